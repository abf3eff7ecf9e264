#pragma once

#include <QLockFile>
#include <QString>

// Keeps one running instance per user. A lock left behind by a crashed instance is taken over,
// because the lock file records a process that no longer exists.
class QovInstanceLock
{
public:
    QovInstanceLock();

    // True when this process now holds the lock; false when another live instance has it.
    bool tryAcquire();
    void release();

    static QString lockFilePath();

private:
    QLockFile m_lock;
};
