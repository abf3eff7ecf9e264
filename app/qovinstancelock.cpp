#include "app/qovinstancelock.h"

#include "models/qovlockpaths.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {
QString reasonText(QLockFile::LockError error, const QString &path)
{
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir()) {
        return QStringLiteral("folder %1 does not exist").arg(folder.filePath());
    }
    if (!folder.isWritable()) {
        return QStringLiteral("folder %1 is not writable").arg(folder.filePath());
    }
    return error == QLockFile::PermissionError ? QStringLiteral("permission denied")
                                               : QStringLiteral("unknown error");
}
} // namespace

QovInstanceLock::QovInstanceLock()
    : m_lock(lockFilePath())
{
    // Never age out a lock held by a live instance, however long it runs; a dead owner is
    // recognised by its process id instead.
    m_lock.setStaleLockTime(0);
}

QString QovInstanceLock::lockFilePath()
{
    return qovUserLockPath();
}

bool QovInstanceLock::tryAcquire()
{
    m_held = m_lock.tryLock(0);
    if (m_held || m_lock.error() == QLockFile::LockFailedError) {
        return m_held;
    }
    qWarning().noquote() << "instance lock failed, running without it:"
                         << QDir::toNativeSeparators(lockFilePath()) << "-"
                         << reasonText(m_lock.error(), lockFilePath());
    return true;
}

void QovInstanceLock::release()
{
    if (m_held) {
        m_lock.unlock();
        m_held = false;
    }
}
