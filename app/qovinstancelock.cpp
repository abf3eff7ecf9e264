#include "app/qovinstancelock.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
QString userTag()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME", qEnvironmentVariable("USER"));
#endif
}

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
    // Only a runtime folder the user names counts: the toolkit's own stand-in for a missing
    // one may be refused for its permissions, and then every user met in one shared file.
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        return QDir(qEnvironmentVariable("XDG_RUNTIME_DIR"))
            .filePath(QStringLiteral("velmora.lock"));
    }
    return QDir(QDir::tempPath()).filePath(QStringLiteral("velmora-%1.lock").arg(userTag()));
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
