#pragma once

#include "models/qovonlinedevicemodel.h"

#include <QLockFile>
#include <QString>

// One transfer per mixer at a time, across every Velmora program of the user: the window and
// any number of velmora-cli runs. Two uploads into one mixer leave it holding a mix of both, and
// a copy read while another program writes holds sets from before and after. Held for the
// object's life; a lock left by a program that died is taken over.
class QovMixerLock
{
public:
    explicit QovMixerLock(const QovOnlineDeviceModel &mixer);
    QovMixerLock(const QovMixerLock &) = delete;
    QovMixerLock &operator=(const QovMixerLock &) = delete;

    // Empty when this transfer may go on; otherwise why not, for the user.
    const QString &busy() const { return m_busy; }

    static QString lockPath(const QovOnlineDeviceModel &mixer);

private:
    QLockFile m_lock;
    QString m_busy;
};
