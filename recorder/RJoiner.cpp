#include "RJoiner.h"

#include "RRecorderRules.h"

#include <QDebug>
#include <QFileInfo>
#include <QRegularExpression>

RJoiner::RJoiner(QObject *parent) : QObject(parent) {}

RJoiner::~RJoiner()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(3000);
    }
}

bool RJoiner::isRunning() const
{
    return !m_done;
}

void RJoiner::start(const QString &program, const QStringList &arguments, const QString &outputPath,
                    double lengthSeconds)
{
    m_outputPath = outputPath;
    m_lengthSeconds = lengthSeconds;
    m_tail.clear();
    m_done = false;
    qInfo() << "RJoiner::start:" << program << arguments;
    if (program.isEmpty()) {
        // Reported from the event loop, like every other ending.
        QMetaObject::invokeMethod(this, [this] { finish(false, QStringLiteral("ffmpeg not found")); },
                                  Qt::QueuedConnection);
        return;
    }
    if (m_process)
        m_process->deleteLater();
    m_process = new QProcess(this);
    connect(m_process, &QProcess::readyReadStandardError, this, &RJoiner::readErrors);
    connect(m_process, &QProcess::readyReadStandardOutput, this, [this] {
        qInfo() << "RJoiner::output:" << QString::fromLocal8Bit(m_process->readAllStandardOutput());
    });
    connect(m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this, &RJoiner::processFinished);
    connect(m_process, &QProcess::errorOccurred, this, &RJoiner::processError);
    m_process->start(program, arguments, QIODevice::ReadWrite);
    // With an existing output ffmpeg would wait forever at its overwrite question.
    m_process->closeWriteChannel();
}

void RJoiner::readErrors()
{
    const QString text = QString::fromLocal8Bit(m_process->readAllStandardError());
    m_tail = (m_tail + text).right(2000);
    const double seconds = RRecorderRules::progressSeconds(text);
    if (seconds >= 0 && m_lengthSeconds > 0)
        emit sProgress(qBound(0.0, seconds / m_lengthSeconds, 1.0));
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts))
        qDebug() << "RJoiner::readErrors:" << line;
}

void RJoiner::processFinished(int exitCode, QProcess::ExitStatus status)
{
    readErrors();
    const QFileInfo out(m_outputPath);
    const bool ok = status == QProcess::NormalExit && exitCode == 0 && out.isFile() && out.size() > 0;
    qInfo() << "RJoiner::processFinished: exit" << exitCode << "status" << status << "output" << out.size();
    finish(ok, ok ? m_outputPath : QStringLiteral("exit code %1\n%2").arg(exitCode).arg(m_tail.right(400)));
}

void RJoiner::processError(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart)
        return; // the finished signal follows and reports
    qInfo() << "RJoiner::processError:" << m_process->errorString();
    finish(false, m_process->errorString());
}

void RJoiner::finish(bool ok, const QString &details)
{
    if (m_done)
        return;
    m_done = true;
    if (ok)
        emit sProgress(1.0);
    emit sFinished(ok, details);
}
