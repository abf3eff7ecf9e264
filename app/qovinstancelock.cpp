#include "app/qovinstancelock.h"

#include <QDir>
#include <QStandardPaths>

QovInstanceLock::QovInstanceLock()
    : m_lock(lockFilePath())
{
    // Never age out a lock held by a live instance, however long it runs; a dead owner is
    // recognised by its process id instead.
    m_lock.setStaleLockTime(0);
}

QString QovInstanceLock::lockFilePath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder + QStringLiteral("/velmora.lock");
}

bool QovInstanceLock::tryAcquire()
{
    return m_lock.tryLock(0);
}

void QovInstanceLock::release()
{
    m_lock.unlock();
}
