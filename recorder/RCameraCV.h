#pragma once
// The recorder's camera worker: one request previews until its run flag is
// cleared; while a video pipe is attached every picture also goes to it,
// stamped with its capture time. Lives on a thread of its own.

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <opencv2/core.hpp>

#include <atomic>
#include <memory>
#include <mutex>

class VVideoPipe;

class RCameraCV : public QObject
{
    Q_OBJECT

public:
    explicit RCameraCV(QObject *parent = nullptr);

    // Any thread.
    void setRun(bool run) { m_bRun.store(run); }
    bool isRunning() const { return m_bRun.load(); }
    // Set before a request: the description selects the virtual camera.
    void setCameraName(const QString &name);
    // Any thread: the recording's pipe, or null when not recording.
    void setPipe(const std::shared_ptr<VVideoPipe> &pipe);
    // The window has shown the last picture; the next one may follow.
    void previewShown() { m_previewPending.store(false); }
    // The presenter's mirror and flip of the live picture: preview and file
    // show the page as the teacher saw it. Any thread.
    void setOrientation(bool mirror, bool flip)
    {
        m_bMirror.store(mirror);
        m_bFlip.store(flip);
    }

    // `frame` itself, or mirrored and/or flipped into `scratch`.
    static const cv::Mat &oriented(const cv::Mat &frame, cv::Mat &scratch, bool mirror, bool flip);

public slots:
    // Previews (and feeds the pipe) until the run flag is cleared.
    void recVideo(int iVideo, QSize size);

signals:
    void sPixmap(QPixmap pix);
    // The camera delivers pictures again (true) or has delivered none for a second.
    void sCameraPresent(bool present);

private:
    std::atomic<bool> m_bRun{true};
    std::atomic<bool> m_previewPending{false};
    std::mutex m_pipeMutex;
    std::shared_ptr<VVideoPipe> m_pipe;
    std::atomic<bool> m_bMirror{false};
    std::atomic<bool> m_bFlip{false};
    QString m_strCameraName;
};
