#include "ROCRTool.h"
#include "ROCRRules.h"
#include "RPictureLoader.h"
#include "RScreenScale.h"
#include "RSettingsStore.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTextEdit>
#include <QtConcurrent>

namespace {
const QSize kPreviewSize(300, 400);
}

ROCRTool::ROCRTool(QWidget *parent)
    : QDialog(parent, Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
{
    QFont f(QStringLiteral("微软雅黑"));
    f.setPixelSize(qRound(12 * RScreenScale::dpiScale()));
    setFont(f);

    m_editFile = new QLineEdit(this);
    m_btnOpen = new QPushButton(this);
    m_labelPicture = new QLabel(this);
    m_labelPicture->setFixedSize(kPreviewSize);
    m_labelPicture->setAlignment(Qt::AlignCenter);
    m_labelPicture->setStyleSheet(QStringLiteral("border: 1px solid rgb(160, 160, 160);"));
    m_btnOcr = new QPushButton(this);
    m_btnCancel = new QPushButton(this);
    m_btnCancel->hide();
    m_textResult = new QTextEdit(this);
    m_textResult->setMinimumSize(kPreviewSize);

    auto *top = new QHBoxLayout;
    top->addWidget(m_editFile, 1);
    top->addWidget(m_btnOpen);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_btnOcr);
    buttons->addWidget(m_btnCancel);
    auto *grid = new QGridLayout(this);
    grid->addLayout(top, 0, 0, 1, 2);
    grid->addWidget(m_labelPicture, 1, 0);
    grid->addWidget(m_textResult, 1, 1);
    grid->addLayout(buttons, 2, 0, 1, 2);

    m_strProgram = ROCRRules::locateProgram(QCoreApplication::applicationDirPath(), QDir::currentPath());

    connect(m_btnOpen, &QPushButton::clicked, this, &ROCRTool::openFile);
    connect(m_btnOcr, &QPushButton::clicked, this, &ROCRTool::ocrFile);
    connect(m_btnCancel, &QPushButton::clicked, this, &ROCRTool::cancelOcr);
    slotSetLangue(UiLanguage::Chinese);
}

ROCRTool::~ROCRTool()
{
    stopProcess();
}

bool ROCRTool::isRunning() const
{
    return m_process != nullptr;
}

void ROCRTool::slotSetLangue(UiLanguage ilangue)
{
    m_iLangue = ilangue;
    setWindowTitle(ROCRRules::text(ROCRRules::Title, ilangue));
    m_btnOpen->setText(ROCRRules::text(ROCRRules::Open, ilangue));
    m_btnOcr->setText(ROCRRules::text(ROCRRules::Begin, ilangue));
    m_btnCancel->setText(ROCRRules::text(ROCRRules::Cancel, ilangue));
}

void ROCRTool::openFile()
{
    const QString dir = RSettingsStore::readString(RSettingsKeys::FileDir);
    m_textResult->clear();
    const QString path = QFileDialog::getOpenFileName(this, ROCRRules::text(ROCRRules::Open, m_iLangue), dir,
                                                      ROCRRules::text(ROCRRules::PictureFilter, m_iLangue));
    if (!path.isEmpty())
        setPicture(path);
}

void ROCRTool::setPicture(const QString &path)
{
    m_editFile->setText(path);
    m_labelPicture->clear();
    // Decoding a camera picture takes long enough to stall the live picture.
    const int request = ++m_iPreviewRequest;
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, request, path] {
        watcher->deleteLater();
        const QImage image = watcher->result();
        if (request != m_iPreviewRequest)
            return;
        if (image.isNull()) {
            qInfo().noquote() << "ROCRTool::setPicture: cannot preview" << path;
            return;
        }
        m_labelPicture->setPixmap(QPixmap::fromImage(image));
    });
    watcher->setFuture(QtConcurrent::run([path] { return RPictureLoader::loadScaled(path, kPreviewSize); }));
}

void ROCRTool::ocrFile()
{
    qInfo() << "ROCRTool::ocrFile()";
    if (m_process)
        return;
    showButtons(true);
    m_textResult->setPlainText(ROCRRules::text(ROCRRules::Progress, m_iLangue));
    m_strRunPath = m_editFile->text();
    m_bCancelled = false;
    if (m_strProgram.isEmpty()) {
        qInfo() << "ROCRTool::ocrFile: recognition program not found";
        endRun(true, QString());
        return;
    }
    m_process = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // More threads cost several times the CPU and finish later on our machines.
    env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    m_process->setProcessEnvironment(env);
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    connect(m_process, &QProcess::errorOccurred, this, &ROCRTool::slotProcessError);
    connect(m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &ROCRTool::slotProcessFinished);
    m_process->start(m_strProgram, ROCRRules::arguments(m_strRunPath), QIODevice::ReadOnly);
}

void ROCRTool::cancelOcr()
{
    if (!m_process)
        return;
    qInfo() << "ROCRTool::cancelOcr:" << m_strRunPath;
    m_bCancelled = true;
    m_process->kill();
}

void ROCRTool::reject()
{
    stopProcess();
    QDialog::reject();
}

void ROCRTool::slotProcessError(QProcess::ProcessError error)
{
    // Only a failed start ends the run here; every other error is followed by finished().
    if (error != QProcess::FailedToStart || !m_process)
        return;
    qInfo() << "ROCRTool::slotProcessError:" << m_strProgram << m_process->errorString();
    m_process->deleteLater();
    m_process = nullptr;
    endRun(true, QString());
}

void ROCRTool::slotProcessFinished(int exitCode, QProcess::ExitStatus status)
{
    if (!m_process)
        return;
    // The answer is ours and always UTF-8, whatever the presenter's locale.
    const QString output = QString::fromUtf8(m_process->readAllStandardOutput());
    const QByteArray errors = m_process->readAllStandardError();
    m_process->deleteLater();
    m_process = nullptr;
    qInfo().noquote() << "ROCRTool::ocrFile: strTemp:" << output << "exit" << exitCode << status;
    if (!errors.isEmpty())
        qDebug().noquote() << "ROCRTool::ocrFile: stderr:" << QString::fromUtf8(errors).trimmed();
    if (m_bCancelled) {
        m_textResult->setPlainText(ROCRRules::text(ROCRRules::Cancelled, m_iLangue));
        showButtons(false);
        emit sOcrFinished(false);
        return;
    }
    endRun(ROCRRules::isFailure(status, exitCode, output), output);
}

void ROCRTool::endRun(bool failed, const QString &output)
{
    if (failed) {
        const int count = ++m_mapFailCount[m_strRunPath];
        m_textResult->setPlainText(ROCRRules::failureMessage(m_iLangue, count));
    } else {
        m_textResult->setPlainText(output);
    }
    showButtons(false);
    emit sOcrFinished(!failed);
}

void ROCRTool::showButtons(bool running)
{
    m_btnOpen->setVisible(!running);
    m_btnOcr->setVisible(!running);
    m_btnCancel->setVisible(running);
}

void ROCRTool::stopProcess()
{
    if (!m_process)
        return;
    QProcess *process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    process->kill();
    process->waitForFinished(3000);
    delete process;
    showButtons(false);
}
