#include "VViewerGate.h"

VViewerGate::Action VViewerGate::decide(bool key, qint64 pendingBytes, qint64 nowMs)
{
    if (pendingBytes > m_maxPending) {
        m_waitForKey = true;
        if (m_behindSinceMs < 0)
            m_behindSinceMs = nowMs;
        if (nowMs - m_behindSinceMs > m_maxBehindMs)
            return Action::Disconnect;
        ++m_skipped;
        return Action::Skip;
    }
    m_behindSinceMs = -1;
    if (m_waitForKey && !key) {
        ++m_skipped;
        return Action::Skip;
    }
    m_waitForKey = false;
    return Action::Send;
}
