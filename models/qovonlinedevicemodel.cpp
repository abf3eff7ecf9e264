#include "models/qovonlinedevicemodel.h"

#include "models/qovipsortkey.h"
#include "models/qovmodelmetatypes.h"

#include <QDebug>

QovOnlineDeviceModelInternal::QovOnlineDeviceModelInternal(const QovDiscoveredDevice &device,
                                                           QObject *parent)
    : QObject(parent)
    , m_serial(device.serialNumber.toInt(nullptr, 10))
    , m_uuid(device.udn)
    , m_deviceName(device.friendlyName)
    , m_modelName(device.modelName)
    , m_ipAddress(device.ipAddress)
{
    qovRegisterModelMetaTypes();
}

QovOnlineDeviceModelInternal::QovOnlineDeviceModelInternal(const QovAppDeviceModel &device,
                                                           QObject *parent)
    : QObject(parent)
    , m_deviceName(device->deviceName())
    , m_modelName(device->modelName())
    , m_ipAddress(device->ipAddress())
    , m_macAddress(device->macAddress())
    , m_headerColor(device->headerColor())
    , m_deviceId(device->deviceId())
    , m_addedAddress(device->addedAddress())
{
    qovRegisterModelMetaTypes();
}

template<typename T>
T QovOnlineDeviceModelInternal::read(const T &field) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return field;
}

template<typename T>
bool QovOnlineDeviceModelInternal::assign(T &field, const T &value)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

int QovOnlineDeviceModelInternal::serial() const
{
    return read(m_serial);
}
QString QovOnlineDeviceModelInternal::uuid() const
{
    return read(m_uuid);
}
QString QovOnlineDeviceModelInternal::deviceName() const
{
    return read(m_deviceName);
}
QString QovOnlineDeviceModelInternal::modelName() const
{
    return read(m_modelName);
}
QString QovOnlineDeviceModelInternal::ipAddress() const
{
    return read(m_ipAddress);
}
QString QovOnlineDeviceModelInternal::macAddress() const
{
    return read(m_macAddress);
}
QString QovOnlineDeviceModelInternal::addedAddress() const
{
    return read(m_addedAddress);
}
int QovOnlineDeviceModelInternal::headerColor() const
{
    return read(m_headerColor);
}
int QovOnlineDeviceModelInternal::deviceId() const
{
    return read(m_deviceId);
}
QovOnlineDeviceModelInternal::OvLink QovOnlineDeviceModelInternal::ovLink() const
{
    return read(m_ovLink);
}
bool QovOnlineDeviceModelInternal::authRequired() const
{
    return read(m_authRequired);
}
bool QovOnlineDeviceModelInternal::selected() const
{
    return read(m_selected);
}
QovLinkedExtensions QovOnlineDeviceModelInternal::linkedExtensions() const
{
    return read(m_linkedExtensions);
}

bool QovOnlineDeviceModelInternal::operator==(const QovOnlineDeviceModelInternal &other) const
{
    qDebug() << debugText() << "==" << other.debugText();
    // One lock at a time: comparing two devices from two threads in opposite order must not
    // deadlock.
    return modelName() == other.modelName() && macAddress() == other.macAddress();
}

QString QovOnlineDeviceModelInternal::ovLinkText() const
{
    return ovLinkText(ovLink());
}

QString QovOnlineDeviceModelInternal::ovLinkText(OvLink link)
{
    switch (link) {
    case PRIMARY:
        return tr("Primary");
    case EXTENSION:
        return tr("Extension");
    case NONE:
        break;
    }
    return QStringLiteral("-");
}

quint32 QovOnlineDeviceModelInternal::ipSortKey() const
{
    return qovIpSortKey(ipAddress());
}

QString QovOnlineDeviceModelInternal::debugText() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return QStringLiteral("QovOnlineDeviceModel('%1'[%2])").arg(m_deviceName).arg(m_deviceId);
}

// Every setter stores and notifies only on a real change.
#define QOV_ONLINE_SETTER(Setter, Type, member, signal)                                            \
    void QovOnlineDeviceModelInternal::Setter(Type value)                                          \
    {                                                                                              \
        if (assign(member, value)) {                                                               \
            Q_EMIT signal(value);                                                                  \
        }                                                                                          \
    }

QOV_ONLINE_SETTER(setSerial, int, m_serial, serialChanged)
QOV_ONLINE_SETTER(setUuid, const QString &, m_uuid, uuidChanged)
QOV_ONLINE_SETTER(setDeviceName, const QString &, m_deviceName, deviceNameChanged)
QOV_ONLINE_SETTER(setModelName, const QString &, m_modelName, modelNameChanged)
QOV_ONLINE_SETTER(setIpAddress, const QString &, m_ipAddress, ipAddressChanged)
QOV_ONLINE_SETTER(setMacAddress, const QString &, m_macAddress, macAddressChanged)
QOV_ONLINE_SETTER(setHeaderColor, int, m_headerColor, headerColorChanged)
QOV_ONLINE_SETTER(setDeviceId, int, m_deviceId, deviceIdChanged)
QOV_ONLINE_SETTER(setOvLink, OvLink, m_ovLink, ovLinkChanged)
QOV_ONLINE_SETTER(setAuthRequired, bool, m_authRequired, authRequiredChanged)
QOV_ONLINE_SETTER(setSelected, bool, m_selected, selectedChanged)
QOV_ONLINE_SETTER(setAddedAddress, const QString &, m_addedAddress, addedAddressChanged)
// QVector compares element by element.
QOV_ONLINE_SETTER(setLinkedExtensions, const QovLinkedExtensions &, m_linkedExtensions,
                  linkedExtensionsChanged)

#undef QOV_ONLINE_SETTER
