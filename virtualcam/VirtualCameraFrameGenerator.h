#pragma once
// Paces frame production on a worker thread. At most one frame is on its way
// to the consumer at any time: while it has not been taken, ticks are skipped
// instead of queueing frames behind it, so a slow screen never builds a backlog.

#include "VirtualCameraFrameSource.h"

#include <QImage>
#include <QMutex>
#include <QObject>

#include <atomic>

class QTimer;

class VirtualCameraFrameGenerator : public QObject
{
    Q_OBJECT

public:
    explicit VirtualCameraFrameGenerator(QObject *parent = nullptr);

    // Any thread; used from the next frame on.
    void setParameters(const VirtualCameraFrameSource::Parameters &parameters);
    void setFrameRate(qreal fps);
    // Any thread: the frame last sent has been taken, the next one may follow.
    void frameConsumed();

    // Worker thread only (queued from the session).
    void start();
    void stop();

signals:
    void frameReady(const QImage &frame);

private:
    void produce();

    QMutex m_mutex;
    VirtualCameraFrameSource::Parameters m_requested;
    bool m_changed = false;
    std::atomic<int> m_intervalMs{33};
    std::atomic<bool> m_inFlight{false};

    VirtualCameraFrameSource m_source;
    QTimer *m_timer = nullptr;
    quint64 m_skipped = 0;
};
