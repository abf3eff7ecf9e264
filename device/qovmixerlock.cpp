#include "device/qovmixerlock.h"

#include "models/qovlockpaths.h"

#include <QCoreApplication>
#include <QDebug>
#include <QRegularExpression>
#include <QThread>

QString QovMixerLock::lockPath(const QovOnlineDeviceModel &mixer)
{
    // By hardware address, which stays when the mixer moves; one known by address only is
    // locked by that.
    QString key = mixer->macAddress().toLower();
    key.remove(QRegularExpression(QStringLiteral("[^0-9a-f]")));
    if (key.isEmpty()) {
        key = QStringLiteral("at-") + mixer->ipAddress();
    }
    return qovUserLockPath(QStringLiteral("mixer-") + key);
}

QovMixerLock::QovMixerLock(const QovOnlineDeviceModel &mixer)
    : m_lock(lockPath(mixer))
{
    // A long transfer never ages out; a dead holder is recognised by its process id.
    m_lock.setStaleLockTime(0);
    if (m_lock.tryLock(0)) {
        return;
    }
    if (m_lock.error() != QLockFile::LockFailedError) {
        // A lock that cannot be written (no runtime folder, say) must not keep the user from
        // the mixer.
        qDebug() << QThread::currentThreadId()
                 << "mixer lock unavailable, going on without it:" << lockPath(mixer);
        return;
    }
    qint64 pid = 0;
    QString host;
    QString program;
    if (m_lock.getLockInfo(&pid, &host, &program) && pid == QCoreApplication::applicationPid()) {
        // Mixers that answer with one MAC address share its lock.
        m_busy = QStringLiteral("another transfer of this program is using this mixer or one "
                                "with the same MAC address (%1)")
                     .arg(mixer->macAddress());
    } else if (pid > 0) {
        m_busy = QStringLiteral("the mixer is in use by another Velmora program (%1, process %2)")
                     .arg(program.isEmpty() ? QStringLiteral("unnamed") : program)
                     .arg(pid);
    } else {
        m_busy = QStringLiteral("the mixer is in use by another Velmora program");
    }
    qDebug() << QThread::currentThreadId() << "mixer busy:" << mixer->debugText() << m_busy;
}
