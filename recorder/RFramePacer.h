#pragma once
// Real-time arithmetic of a video written at a fixed rate: which frame is due
// when, and how many frames a recording of a given length holds.

#include <QtGlobal>

class RFramePacer
{
public:
    explicit RFramePacer(double fps) : m_fps(fps > 0.0 ? fps : 30.0) {}

    double fps() const { return m_fps; }

    // Milliseconds after the start at which frame n (from 0) is due.
    qint64 tickMs(qint64 n) const { return qint64(double(n) * 1000.0 / m_fps + 0.5); }

    // Frames that should have been written by elapsedMs: frame 0 at once, then one per tick.
    qint64 dueFrames(qint64 elapsedMs) const;

    // Frames of a finished recording of that length (at least one).
    qint64 totalFrames(qint64 elapsedMs) const;

private:
    double m_fps;
};
