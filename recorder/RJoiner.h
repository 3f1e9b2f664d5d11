#pragma once
// Runs the ffmpeg program that joins a recording's video and sound, without
// blocking the caller's thread: progress from ffmpeg's "time=" against the
// recording's length, and a result that says whether the output file exists.

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

class RJoiner : public QObject
{
    Q_OBJECT

public:
    explicit RJoiner(QObject *parent = nullptr);
    ~RJoiner() override;

    // program empty: the join fails at once (reported through sFinished).
    void start(const QString &program, const QStringList &arguments, const QString &outputPath,
               double lengthSeconds);
    bool isRunning() const;

signals:
    void sProgress(double fraction);
    // ok: the output file was written; otherwise details holds ffmpeg's last words.
    void sFinished(bool ok, QString details);

private:
    void readErrors();
    void processFinished(int exitCode, QProcess::ExitStatus status);
    void processError(QProcess::ProcessError error);
    void finish(bool ok, const QString &details);

    QProcess *m_process = nullptr;
    QString m_outputPath;
    double m_lengthSeconds = 0.0;
    QString m_tail;
    bool m_done = true;
};
