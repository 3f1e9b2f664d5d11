#include "VirtualCameraFrameGenerator.h"

#include <QDebug>
#include <QMutexLocker>
#include <QTimer>

#include <cmath>

VirtualCameraFrameGenerator::VirtualCameraFrameGenerator(QObject *parent)
    : QObject(parent)
{
}

void VirtualCameraFrameGenerator::setParameters(const VirtualCameraFrameSource::Parameters &parameters)
{
    QMutexLocker lock(&m_mutex);
    m_requested = parameters;
    m_changed = true;
}

void VirtualCameraFrameGenerator::setFrameRate(qreal fps)
{
    m_intervalMs = qBound(8, int(std::lround(1000.0 / qMax<qreal>(1.0, fps))), 1000);
}

void VirtualCameraFrameGenerator::frameConsumed()
{
    m_inFlight = false;
}

void VirtualCameraFrameGenerator::start()
{
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setTimerType(Qt::PreciseTimer);
        connect(m_timer, &QTimer::timeout, this, &VirtualCameraFrameGenerator::produce);
    }
    // A frame lost with an earlier stop must not block the new stream.
    m_inFlight = false;
    m_skipped = 0;
    m_timer->start(m_intervalMs);
}

void VirtualCameraFrameGenerator::stop()
{
    if (m_timer)
        m_timer->stop();
    if (m_skipped > 0)
        qDebug() << "VirtualCameraFrameGenerator::stop: frames skipped while the consumer was busy:" << m_skipped;
}

void VirtualCameraFrameGenerator::produce()
{
    if (m_timer->interval() != m_intervalMs)
        m_timer->setInterval(m_intervalMs);
    if (m_inFlight) {
        ++m_skipped;
        return;
    }
    {
        QMutexLocker lock(&m_mutex);
        if (m_changed) {
            m_source.setParameters(m_requested);
            m_changed = false;
        }
    }
    const QImage frame = m_source.nextFrame();
    if (frame.isNull())
        return;
    m_inFlight = true;
    emit frameReady(frame);
}
