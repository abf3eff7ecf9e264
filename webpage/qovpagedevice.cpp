#include "webpage/qovpagedevice.h"

#include "webpage/qovpagesurface.h"

#include <QDebug>
#include <QMetaMethod>

QovPageDevice::QovPageDevice(QovAppDeviceModel device, QObject *parent)
    : QObject(parent)
    , m_device(std::move(device))
{
    // The bridge's currentDevice property hands it out by this type.
    qRegisterMetaType<QovPageDevice *>();
    qovKeepObjectName(this);
}

bool QovPageDevice::event(QEvent *event)
{
    return qovRefuseDeferredDelete(this, event) || QObject::event(event);
}

void QovPageDevice::connectNotify(const QMetaMethod &signal)
{
    QObject::connectNotify(signal);
    const int index = signal.methodIndex();
    // QObject's own signals have no counterpart on the device.
    if (index < staticMetaObject.methodOffset() || m_forwarded.contains(index)) {
        return;
    }
    const QMetaObject *source = m_device->metaObject();
    const int sourceIndex = source->indexOfSignal(signal.methodSignature().constData());
    if (sourceIndex < 0) {
        qWarning() << "QovPageDevice: the device has no signal" << signal.methodSignature();
        return;
    }
    // Device setters run on worker threads too: their signals reach the page's side queued.
    if (QMetaObject::connect(m_device.get(), sourceIndex, this, index, Qt::AutoConnection)) {
        m_forwarded.insert(index);
    }
}

QString QovPageDevice::deviceName() const
{
    return m_device->deviceName();
}

QString QovPageDevice::modelName() const
{
    return m_device->modelName();
}

QString QovPageDevice::ipAddress() const
{
    return m_device->ipAddress();
}

QString QovPageDevice::macAddress() const
{
    return m_device->macAddress();
}

int QovPageDevice::headerColor() const
{
    return m_device->headerColor();
}

int QovPageDevice::deviceId() const
{
    return m_device->deviceId();
}

int QovPageDevice::statusAsInt() const
{
    return m_device->statusAsInt();
}

QString QovPageDevice::statusNote() const
{
    return m_device->statusNote();
}

QStringList QovPageDevice::zephDataPreset() const
{
    return m_device->zephDataPreset();
}

QString QovPageDevice::zephData12BandEq() const
{
    return m_device->zephData12BandEq();
}

QString QovPageDevice::zephData4BandEq() const
{
    return m_device->zephData4BandEq();
}

QStringList QovPageDevice::zephDataPartialPreset() const
{
    return m_device->zephDataPartialPreset();
}

QString QovPageDevice::zephDataCurrent() const
{
    return m_device->zephDataCurrent();
}
