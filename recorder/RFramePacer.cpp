#include "RFramePacer.h"

#include <cmath>

qint64 RFramePacer::dueFrames(qint64 elapsedMs) const
{
    if (elapsedMs < 0)
        return 0;
    return qint64(std::floor(double(elapsedMs) * m_fps / 1000.0)) + 1;
}

qint64 RFramePacer::totalFrames(qint64 elapsedMs) const
{
    return qMax<qint64>(1, qint64(std::llround(double(qMax<qint64>(0, elapsedMs)) * m_fps / 1000.0)));
}
