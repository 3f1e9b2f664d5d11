#pragma once
// The recorder's microphone worker: reads the device through FFmpeg's input
// devices, converts to the AAC encoder's format, encodes and writes an ADTS
// file until its run flag is cleared. Lives on a thread of its own.

#include <QObject>
#include <QString>

#include <atomic>

class RRecAudio : public QObject
{
    Q_OBJECT

public:
    explicit RRecAudio(QObject *parent = nullptr);

    // Set by the window before each request, not while one runs.
    void setDevice(const QString &name, const QString &realm);
    void setOutputPath(const QString &path) { m_strOutputPath = path; }
    // When the teacher pressed record (ms since the epoch): sound that starts
    // later is preceded by silence, so it stays in step with the video.
    void setStartTime(qint64 wallMs) { m_startWallMs = wallMs; }
    QString deviceName() const { return m_strAudioName; }

public slots:
    // Records until the run flag is cleared.
    void ffmpegAudio();
    // Any thread.
    void setRun(bool brun);

signals:
    // 1: the request failed before recording; 0: it ended, strInfo says how many samples were kept.
    void response(int isfail, QString strInfo);

private:
    QString m_strAudioName;
    QString m_strRealm;
    QString m_strOutputPath;
    qint64 m_startWallMs = 0;
    std::atomic<bool> m_bRun{false};
};
