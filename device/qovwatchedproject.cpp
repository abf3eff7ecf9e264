#include "device/qovwatchedproject.h"

#include <QMutexLocker>

void QovWatchedProject::publish(const QString &projectName,
                                const QVector<QovAppDeviceModel> &devices)
{
    // The old copy is released after the lock: its last handle may delete a device.
    Snapshot next{projectName, devices};
    QMutexLocker locker(&m_lock);
    std::swap(m_current, next);
}

QovWatchedProject::Snapshot QovWatchedProject::snapshot() const
{
    QMutexLocker locker(&m_lock);
    return m_current;
}
