#pragma once
// The recorder's camera worker: one request previews or records until its
// run flag is cleared. Lives on a thread of its own; requests arrive queued.

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <opencv2/core.hpp>

#include <atomic>

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
    // Set before a recording: when the teacher pressed record (ms since the epoch),
    // so video and sound start at the same moment.
    void setStartTime(qint64 wallMs) { m_startWallMs.store(wallMs); }
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
    // strOutput empty: preview only; otherwise also record into that file.
    void recVideo(int iVideo, QSize size, QString strOutput);

signals:
    void sPixmap(QPixmap pix);
    // 1: the file could not be written; 0: the recording ended, strInfo holds its figures.
    void response(int isfail, QString strInfo);

private:
    std::atomic<bool> m_bRun{true};
    std::atomic<bool> m_previewPending{false};
    std::atomic<qint64> m_startWallMs{0};
    std::atomic<bool> m_bMirror{false};
    std::atomic<bool> m_bFlip{false};
    QString m_strCameraName;
};
