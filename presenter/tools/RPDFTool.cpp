#include "RPDFTool.h"

#include "ROCRRules.h"
#include "RPictureLoader.h"
#include "RSaveNotice.h"
#include "RScreenScale.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace {

constexpr QSize kPreviewSize(480, 640);

struct Preview {
    QImage image;
    QSize size;
};

QString tr2(UiLanguage langue, const char *zh, const char *en)
{
    return langue == UiLanguage::Chinese ? QString::fromUtf8(zh) : QString::fromUtf8(en);
}

} // namespace

RPDFTool::RPDFTool(QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    setFont(RScreenScale::dialogFont());

    m_listFiles = new QListWidget;
    m_listFiles->setDragDropMode(QAbstractItemView::InternalMove);
    m_listFiles->setDefaultDropAction(Qt::MoveAction);
    m_labelPreview = new QLabel;
    m_labelPreview->setFixedSize(kPreviewSize);
    m_labelPreview->setAlignment(Qt::AlignCenter);
    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_listFiles);
    splitter->addWidget(m_labelPreview);

    m_labelSize = new QLabel;
    m_labelName = new QLabel;
    m_btnAddFile = new QPushButton;
    m_btnAddDir = new QPushButton;
    m_btnRemove = new QPushButton;
    m_btnClear = new QPushButton;
    auto *side = new QVBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(m_btnAddFile), static_cast<QWidget *>(m_btnAddDir),
                       static_cast<QWidget *>(m_btnRemove), static_cast<QWidget *>(m_btnClear)})
        side->addWidget(w);
    side->addStretch(1);
    side->addWidget(m_labelName);
    side->addWidget(m_labelSize);

    auto *top = new QHBoxLayout;
    top->addWidget(splitter, 1);
    top->addLayout(side);

    m_progress = new QProgressBar;
    m_progress->hide();

    m_editPath = new QLineEdit;
    m_btnSave = new QPushButton;
    m_chkOpen = new QCheckBox;
    m_chkOpen->setChecked(true);
    m_chkSearchable = new QCheckBox;
    m_btnCreate = new QPushButton;
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_editPath, 1);
    bottom->addWidget(m_btnSave);
    bottom->addWidget(m_chkSearchable);
    bottom->addWidget(m_chkOpen);
    bottom->addWidget(m_btnCreate);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_progress);
    layout->addLayout(bottom);

    connect(m_btnAddFile, &QPushButton::clicked, this, &RPDFTool::addImageFiles);
    connect(m_btnAddDir, &QPushButton::clicked, this, &RPDFTool::addImageDir);
    connect(m_btnSave, &QPushButton::clicked, this, &RPDFTool::setPath);
    connect(m_btnCreate, &QPushButton::clicked, this, &RPDFTool::makePDFFile);
    connect(m_btnRemove, &QPushButton::clicked, this, &RPDFTool::removeItem);
    connect(m_btnClear, &QPushButton::clicked, this, &RPDFTool::clearItems);
    connect(m_listFiles, &QListWidget::currentItemChanged, this, &RPDFTool::openImage);

    m_strProgram = ROCRRules::locateProgram(QCoreApplication::applicationDirPath(), QDir::currentPath());
    slotSetLangue(UiLanguage::Chinese);
}

RPDFTool::~RPDFTool()
{
    // The worker reports to this dialog; it stops after its current picture.
    if (m_cancel)
        m_cancel->store(true);
    m_future.waitForFinished();
}

void RPDFTool::slotSetLangue(UiLanguage ilangue)
{
    m_iLangue = ilangue;
    setWindowTitle(tr2(ilangue, "PDF转换工具", "PDF Maker"));
    m_btnSave->setText(tr2(ilangue, "保存", "Save"));
    m_btnCreate->setText(tr2(ilangue, "生成", "Create"));
    m_btnAddFile->setText(tr2(ilangue, "添加文件", "Add File"));
    m_btnAddDir->setText(tr2(ilangue, "添加目录", "Add Path"));
    m_btnRemove->setText(tr2(ilangue, "移除", "Remove"));
    m_btnClear->setText(tr2(ilangue, "清空", "Clear"));
    m_chkOpen->setText(tr2(ilangue, "完成打开", "Open when finished"));
    m_chkSearchable->setText(tr2(ilangue, "可搜索文字", "Searchable text"));
}

void RPDFTool::addPictures(const QStringList &paths)
{
    for (const QString &path : paths)
        m_listFiles->addItem(path);
}

QStringList RPDFTool::pictures() const
{
    QStringList out;
    for (int r = 0; r < m_listFiles->count(); ++r)
        out << m_listFiles->item(r)->text();
    return out;
}

void RPDFTool::addImageFiles()
{
    const QStringList files = QFileDialog::getOpenFileNames(this, tr2(m_iLangue, "选择图片文件", "Select File"),
                                                            m_strCurDir, m_iLangue == UiLanguage::English ? QStringLiteral("Images (*.png *.bmp *.jpg)") : QStringLiteral("图片 (*.png *.bmp *.jpg)"));
    addPictures(files);
}

void RPDFTool::addImageDir()
{
    const QString dir = QFileDialog::getExistingDirectory(this, tr2(m_iLangue, "选择目录", "Select Path"), m_strCurDir,
                                                          QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (dir.isEmpty())
        return;
    const QStringList names = QDir(dir).entryList({QStringLiteral("*.png"), QStringLiteral("*.bmp"), QStringLiteral("*.jpg")},
                                                  QDir::Files | QDir::Readable, QDir::Name);
    QStringList paths;
    for (const QString &name : names)
        paths << dir + QLatin1Char('/') + name;
    addPictures(paths);
}

void RPDFTool::setPath()
{
    const QString path = QFileDialog::getSaveFileName(this, tr2(m_iLangue, "保存PDF", "Save PDF"), m_strCurDir,
                                                      QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    // The dialog has asked about replacing it already.
    m_strConfirmedPath = QFileInfo(path).absoluteFilePath();
    m_editPath->setText(path);
}

void RPDFTool::openImage()
{
    QListWidgetItem *item = m_listFiles->currentItem();
    const quint64 seq = ++m_uPreviewSeq;
    if (!item) {
        m_labelPreview->clear();
        m_labelSize->clear();
        return;
    }
    const QString path = item->text();
    // Decoded off the GUI thread; only the latest selection is shown.
    auto *watcher = new QFutureWatcher<Preview>(this);
    connect(watcher, &QFutureWatcher<Preview>::finished, this, [this, watcher, seq] {
        const Preview p = watcher->result();
        watcher->deleteLater();
        if (seq != m_uPreviewSeq)
            return;
        m_labelPreview->setPixmap(p.image.isNull() ? QPixmap()
                                                   : QPixmap::fromImage(p.image.scaled(kPreviewSize, Qt::KeepAspectRatio,
                                                                                       Qt::FastTransformation)));
        m_labelSize->setText(p.size.isValid() ? QStringLiteral("%1 X %2").arg(p.size.width()).arg(p.size.height())
                                              : QString());
    });
    watcher->setFuture(QtConcurrent::run([path] {
        Preview p;
        p.image = RPictureLoader::loadScaled(path, kPreviewSize);
        if (!p.image.isNull())
            p.size = RPictureLoader::pictureSize(path);
        return p;
    }));
}

void RPDFTool::removeItem()
{
    QListWidgetItem *item = m_listFiles->currentItem();
    if (!item) {
        qInfo() << "RPDFTool::removeItem: Item is null";
        return;
    }
    delete m_listFiles->takeItem(m_listFiles->row(item));
    ++m_uPreviewSeq;
    m_labelPreview->clear();
    m_labelSize->clear();
    m_labelName->clear();
}

void RPDFTool::clearItems()
{
    m_listFiles->clear();
}

void RPDFTool::setWorking(bool working)
{
    m_bWorking = working;
    for (QWidget *w : {static_cast<QWidget *>(m_btnCreate), static_cast<QWidget *>(m_btnSave),
                       static_cast<QWidget *>(m_btnAddFile), static_cast<QWidget *>(m_btnAddDir),
                       static_cast<QWidget *>(m_btnRemove), static_cast<QWidget *>(m_btnClear),
                       static_cast<QWidget *>(m_listFiles), static_cast<QWidget *>(m_editPath),
                       static_cast<QWidget *>(m_chkSearchable)})
        w->setEnabled(!working);
    m_progress->setVisible(working);
}

QString RPDFTool::targetPath(const QString &typed, const QString &startDir)
{
    QString pdfPath = typed.trimmed();
    if (pdfPath.size() <= 3)
        return QString();
    if (!pdfPath.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        pdfPath += QLatin1String(".pdf");
    // A bare name goes into the start folder, where the teacher looks for it.
    if (QFileInfo(pdfPath).isRelative() && !startDir.isEmpty())
        pdfPath = QDir(startDir).absoluteFilePath(pdfPath);
    return QDir::cleanPath(QFileInfo(pdfPath).absoluteFilePath());
}

void RPDFTool::makePDFFile()
{
    const QString pdfPath = targetPath(m_editPath->text(), m_strCurDir);
    if (m_bWorking || pdfPath.isEmpty() || m_listFiles->count() == 0)
        return;
    const QStringList files = pictures();
    for (const QString &file : files) {
        if (QFileInfo(file).absoluteFilePath() == pdfPath || QFileInfo(file) == QFileInfo(pdfPath)) {
            showMessage(tr2(m_iLangue, "该文件是列表中的图片，请换一个文件名：\n",
                            "That file is one of the pictures in the list; choose another name:\n")
                        + QDir::toNativeSeparators(pdfPath));
            return;
        }
    }
    // A typed name asks before replacing a file, as the Save dialog does.
    if (QFileInfo(pdfPath).isFile() && pdfPath != m_strConfirmedPath) {
        auto *box = new QMessageBox(QMessageBox::Question, tr2(m_iLangue, "提示", "Message"),
                                    tr2(m_iLangue, "文件已存在，要替换它吗？\n", "The file exists. Replace it?\n")
                                        + QDir::toNativeSeparators(pdfPath),
                                    QMessageBox::Yes | QMessageBox::No, this);
        box->setDefaultButton(QMessageBox::No);
        box->setAttribute(Qt::WA_DeleteOnClose);
        connect(box, &QMessageBox::finished, this, [this, pdfPath](int answer) {
            if (answer != QMessageBox::Yes)
                return;
            m_strConfirmedPath = pdfPath;
            makePDFFile();
        });
        box->open();
        return;
    }
    startMaking(pdfPath);
}

void RPDFTool::startMaking(const QString &pdfPath)
{
    const QStringList files = pictures();
    qInfo().noquote() << "RPDFTool::makePDFFile:" << pdfPath << "pictures" << files.size();
    RPdfMaker::Options options{};
    options.searchable = m_chkSearchable->isChecked();
    if (options.searchable)
        options.scanner = m_strProgram;
    m_progress->setRange(0, files.size());
    m_progress->setValue(0);
    // Recognition takes seconds a page: say what the wait is for.
    m_progress->setFormat(options.searchable ? tr2(m_iLangue, "正在识别文字 %v/%m", "Recognising text %v/%m")
                                             : QStringLiteral("%p%"));
    setWorking(true);
    m_cancel = std::make_shared<std::atomic_bool>(false);
    auto cancel = m_cancel;
    m_future = QtConcurrent::run([this, files, pdfPath, cancel, options] {
        const RPdfMaker::Result result = RPdfMaker::make(
            files, pdfPath,
            [this](int done, int) {
                QMetaObject::invokeMethod(this, [this, done] { m_progress->setValue(done); }, Qt::QueuedConnection);
            },
            cancel.get(), options);
        QMetaObject::invokeMethod(this, [this, result, pdfPath] { workDone(result, pdfPath); }, Qt::QueuedConnection);
    });
}

QString RPDFTool::resultMessage(const RPdfMaker::Result &result, const QString &pdfPath, UiLanguage langue, bool willOpen)
{
    if (result.cancelled)
        return QString();
    QStringList names;
    for (const QString &path : result.failed)
        names << QFileInfo(path).fileName();
    const QString failedList = names.join(QLatin1Char('\n'));
    if (!result.writeError.isEmpty())
        return tr2(langue, "无法写入PDF文件：", "Cannot write the PDF file: ") + RSaveNotice::reason(langue, result.writeError)
            + QLatin1Char('\n') + QDir::toNativeSeparators(pdfPath);
    if (result.pages == 0)
        return tr2(langue, "没有可以读取的图片，未生成PDF文件：\n", "No picture could be loaded; no PDF was made:\n")
            + failedList;
    QString text;
    if (!result.failed.isEmpty())
        text = tr2(langue, "PDF文件已经完成，以下图片无法读取：\n", "PDF Done. These pictures could not be loaded:\n")
            + failedList;
    if (!result.unrecognised.isEmpty()) {
        QStringList unread;
        for (const QString &path : result.unrecognised)
            unread << QFileInfo(path).fileName();
        text += (text.isEmpty() ? tr2(langue, "PDF文件已经完成。", "PDF Done. ") : QStringLiteral("\n"))
            + tr2(langue, "以下图片的文字未能识别，页面只有图片：\n",
                  "Text could not be recognised in these pictures; their pages hold the picture only:\n")
            + unread.join(QLatin1Char('\n'));
    }
    if (!text.isEmpty())
        return text;
    return willOpen ? QString() : tr2(langue, "PDF文件已经完成", "PDF Done");
}

void RPDFTool::workDone(const RPdfMaker::Result &result, const QString &pdfPath)
{
    m_future = QFuture<void>();
    setWorking(false);
    const bool open = m_chkOpen->isChecked() && result.written();
    QString text = resultMessage(result, pdfPath, m_iLangue, open);
    if (open && !QDesktopServices::openUrl(QUrl::fromLocalFile(pdfPath))) {
        // Without an opener (xdg-utils) the teacher would wait for nothing.
        const QString where = QDir::toNativeSeparators(pdfPath);
        const QString failed = tr2(m_iLangue, "PDF文件已经完成，但没有找到可以打开它的程序：\n",
                                   "PDF Done, but no program was found to open it:\n") + where;
        text = text.isEmpty() ? failed : failed + QLatin1Char('\n') + text;
    }
    if (!text.isEmpty())
        showMessage(text);
    emit sPdfFinished(result.written());
}

void RPDFTool::showMessage(const QString &text)
{
    m_strLastMessage = text;
    // Not modal to the event loop: the result waits for the teacher.
    auto *box = new QMessageBox(QMessageBox::NoIcon, tr2(m_iLangue, "提示", "Message"), text, QMessageBox::Ok);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setFont(font());
    box->open();
}

void RPDFTool::reject()
{
    if (m_bWorking) {
        m_cancel->store(true);
        m_future.waitForFinished();
    }
    QDialog::reject();
}
