#pragma once

#include <QSharedMemory>
#include <QSystemSemaphore>

// System-wide start-up guard: a second instance is delayed, not refused.
// The semaphore serialises instances that start at the same moment; the
// one-byte segment marks that an instance is running.
class RStartupGuard
{
public:
    explicit RStartupGuard(const QString &semaphoreKey = QStringLiteral("Visora"),
                           const QString &markerKey = QStringLiteral("VisoraSystemObject"));

    // Acquires the semaphore, creates the marker, waits `delaySeconds` when
    // another instance holds it, releases the semaphore. Returns whether the
    // start was delayed.
    bool pass(int delaySeconds = 2);

    bool holdsMarker() const { return m_bHoldsMarker; }

private:
    // Declared in this order so the marker goes before the semaphore.
    QSystemSemaphore m_semaphore;
    QSharedMemory m_marker;
    bool m_bHoldsMarker = false;
};
