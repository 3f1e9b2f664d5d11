#pragma once
// Starts and stops the sync beeper program for a test or a benchmark. It plays
// into the virtual microphone's sink of the server PULSE_SERVER names.

#include <QProcess>
#include <QString>

class SyncBeeper
{
public:
    ~SyncBeeper();

    // False, with the reason in `error`, when no beep can be played.
    bool start(QString *error = nullptr, const QString &sink = QStringLiteral("visora_sink"));
    void stop();

private:
    QProcess m_process;
};
