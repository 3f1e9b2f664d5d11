#pragma once
// Decides, picture by picture, what one viewer gets. A viewer whose
// connection still holds too much is not sent more: it skips to the next key
// frame once it has caught up, and one that stays behind too long is let go.
// The stream itself never waits for anybody.

#include <QtGlobal>

class VViewerGate
{
public:
    enum class Action { Send, Skip, Disconnect };

    VViewerGate(qint64 maxPendingBytes, qint64 maxBehindMs)
        : m_maxPending(maxPendingBytes), m_maxBehindMs(maxBehindMs) {}

    // pendingBytes: what the viewer's connection has not sent yet.
    Action decide(bool key, qint64 pendingBytes, qint64 nowMs);
    qint64 skipped() const { return m_skipped; }

private:
    qint64 m_maxPending;
    qint64 m_maxBehindMs;
    bool m_waitForKey = true; // a viewer starts at a key frame
    qint64 m_behindSinceMs = -1;
    qint64 m_skipped = 0;
};
