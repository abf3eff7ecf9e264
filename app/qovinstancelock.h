#pragma once

#include <QLockFile>
#include <QString>

// Keeps one running instance per user. A lock left behind by a crashed instance is taken over,
// because the lock file records a process that no longer exists.
class QovInstanceLock
{
public:
    QovInstanceLock();

    // False only when another live instance holds the lock. A lock that cannot be taken for
    // any other reason (a missing or read-only folder, say) must not keep the user from the
    // program: the reason goes to the log and the program runs without the lock.
    bool tryAcquire();
    void release();
    bool isHeld() const { return m_held; }

    static QString lockFilePath();

private:
    QLockFile m_lock;
    bool m_held = false;
};
