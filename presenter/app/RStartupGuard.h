#pragma once

#include <QLockFile>
#include <QString>

// Per-user start-up guard: a second instance of the same user is delayed, not
// refused. The lock file lives in the user's runtime folder, so other users of
// the machine never meet it, and a lock left by a crashed instance (its
// process gone) is taken over at once.
class RStartupGuard
{
public:
    // `folder` empty: the user's runtime folder (XDG_RUNTIME_DIR).
    explicit RStartupGuard(const QString &name = QStringLiteral("Visora"), const QString &folder = QString());

    // Takes the lock; when a running instance of this user holds it, waits
    // `delaySeconds` instead. Returns whether the start was delayed.
    bool pass(int delaySeconds = 2);

    bool holdsLock() const { return m_bHoldsLock; }

private:
    static QString lockPath(const QString &name, const QString &folder);

    QLockFile m_lock;
    bool m_bHoldsLock = false;
};
