#pragma once
// The virtual document camera as a capture device: its frames are paced to
// the camera's rate like a real device (a read waits for the next tick and
// never bursts), and an unplugged camera gives empty frames.

#include "RCaptureSource.h"

#include "VirtualCameraFrameSource.h"

#include <QElapsedTimer>

class RVirtualCapture : public RCaptureSource
{
public:
    RVirtualCapture(const QString &description, const QSize &size);

    bool read(cv::Mat &bgr) override;
    bool isOpened() const override { return true; }

    // True when the configuration lists a camera with that description, plugged in or not.
    static bool configured(const QString &description);

private:
    void refreshPresence();

    QString m_description;
    VirtualCameraFrameSource m_source;
    double m_fps = 30.0;
    bool m_present = true;
    QElapsedTimer m_clock;
    qint64 m_frames = 0;
    qint64 m_lastCheckMs = -1000;
};
