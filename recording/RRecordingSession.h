#pragma once
// One recording while it runs: the video pipe the camera worker feeds, the
// microphone worker, both encoders on one clock and the temporary file they
// share. GUI-free; the window polls its state and stops it off the GUI thread.

#include "VAudioEncoder.h"
#include "VFileMuxer.h"
#include "VPacketHub.h"
#include "VVideoPipe.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <atomic>
#include <memory>

class RRecAudio;

class RRecordingSession : public QObject
{
    Q_OBJECT

public:
    struct Options {
        QSize size{1920, 1080};
        int fps = 30;
        QString tempFile;
        bool sound = false;
        QString device;
        QString realm;
    };
    struct Result {
        qint64 durationUs = 0;
        VVideoPipe::Stats video;
        bool sound = false;
        qint64 soundLostAtUs = -1;
        VFileMuxer::Failure failure = VFileMuxer::Failure::None;
    };

    explicit RRecordingSession(QObject *parent = nullptr);
    ~RRecordingSession() override;

    // False when the file cannot be written. A microphone that cannot be
    // opened does not stop the recording: *soundProblem says why.
    bool start(const Options &options, QString *soundProblem = nullptr);
    // Where the camera worker offers its pictures.
    std::shared_ptr<VVideoPipe> pipe() const { return m_pipe; }
    VPacketHub *hub() { return &m_hub; }
    qint64 originUs() const { return m_originUs; }
    bool hasSound() const { return m_audio != nullptr; }

    // Any thread, while recording.
    qint64 elapsedUs() const;
    qint64 soundLostAtUs() const;
    VFileMuxer::Failure failure() const { return m_muxer.failure(); }

    // The moment the recording ends (GUI thread, at once).
    void markStop();
    // Stops the workers and closes the file; takes up to about a second, so
    // any thread but the GUI's. markStop first, else it marks now.
    Result finish();

signals:
    // The encoder could not keep up; the frame rate is now fps. Any thread.
    void sRateLowered(int fps);

private:
    VPacketHub m_hub;
    std::shared_ptr<VVideoPipe> m_pipe;
    VAudioEncoder m_audioEncoder;
    std::unique_ptr<RRecAudio> m_audio;
    VFileMuxer m_muxer;
    qint64 m_originUs = 0;
    std::atomic<qint64> m_stopUs{-1};
    bool m_running = false;
};
