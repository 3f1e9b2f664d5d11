#pragma once
// The one clock of a recording: CLOCK_MONOTONIC in microseconds. Every frame
// and every sound packet carries its capture time on it, so picture and sound
// stay together however fast or slow either worker runs.

#include <QtGlobal>

#include <chrono>

namespace VClock {

inline qint64 nowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace VClock
