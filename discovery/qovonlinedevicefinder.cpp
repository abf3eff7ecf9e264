#include "discovery/qovonlinedevicefinder.h"

#include <QDebug>

QovOnlineDeviceFinder *QovOnlineDeviceFinder::instance()
{
    // Concurrent first users wait for the one construction and get the same object.
    static QovOnlineDeviceFinder *const finder = new QovOnlineDeviceFinder();
    return finder;
}

QovOnlineDeviceFinder::QovOnlineDeviceFinder() = default;

void QovOnlineDeviceFinder::start()
{
    if (m_started) {
        return;
    }
    m_started = true;
    qDebug() << "device finder started";
}

void QovOnlineDeviceFinder::refresh()
{
    qDebug() << "device finder refresh";
}
