#include "models/qovappdevicemodel.h"

#include "models/qovdatasettable.h"
#include "models/qovipsortkey.h"
#include "models/qovmodelmetatypes.h"
#include "models/qovonlinedevicemodel.h"

QovAppDeviceModelInternal::QovAppDeviceModelInternal(QObject *parent)
    : QObject(parent)
    , m_deviceType(QovDeviceSelector::supportedTypes().constFirst())
{
    qovRegisterModelMetaTypes();
}

QovAppDeviceModelInternal::QovAppDeviceModelInternal(const QovOnlineDeviceModel &online,
                                                     QObject *parent)
    : QObject(parent)
    , m_deviceName(online->deviceName())
    , m_deviceType(QovDeviceSelector::typeFromModelName(online->modelName()))
    , m_ipAddress(online->ipAddress())
    , m_macAddress(online->macAddress())
    , m_addedAddress(online->addedAddress())
    , m_headerColor(online->headerColor())
    , m_deviceId(online->deviceId())
    , m_status(CONNECTED)
{
    qovRegisterModelMetaTypes();
}

QovAppDeviceModelInternal::QovAppDeviceModelInternal(const QString &deviceName,
                                                     QovDeviceSelector::DeviceType deviceType,
                                                     const QString &macAddress, int headerColor,
                                                     int deviceId, QObject *parent)
    : QObject(parent)
    , m_deviceName(deviceName)
    , m_deviceType(deviceType)
    , m_macAddress(macAddress)
    , m_headerColor(headerColor)
    , m_deviceId(deviceId)
    , m_status(macAddress.isEmpty() ? DISCONNECTED : MISSING)
{
    qovRegisterModelMetaTypes();
}

QString QovAppDeviceModelInternal::deviceName() const
{
    return read(m_deviceName);
}

QovDeviceSelector::DeviceType QovAppDeviceModelInternal::deviceType() const
{
    return read(m_deviceType);
}

QString QovAppDeviceModelInternal::modelName() const
{
    return QovDeviceSelector::modelName(deviceType());
}

QString QovAppDeviceModelInternal::ipAddress() const
{
    return read(m_ipAddress);
}

QString QovAppDeviceModelInternal::macAddress() const
{
    return read(m_macAddress);
}

QString QovAppDeviceModelInternal::addedAddress() const
{
    return read(m_addedAddress);
}

int QovAppDeviceModelInternal::headerColor() const
{
    return read(m_headerColor);
}

int QovAppDeviceModelInternal::deviceId() const
{
    return read(m_deviceId);
}

QovAppDeviceModelInternal::Status QovAppDeviceModelInternal::status() const
{
    return read(m_status);
}

quint64 QovAppDeviceModelInternal::connection() const
{
    return read(m_connection);
}

int QovAppDeviceModelInternal::statusAsInt() const
{
    return static_cast<int>(status());
}

QString QovAppDeviceModelInternal::statusNote() const
{
    return read(m_statusNote);
}

bool QovAppDeviceModelInternal::editedSinceConnect() const
{
    return read(m_editedSinceConnect);
}

// The texts are derived outside the lock from the values copied under it.
QStringList QovAppDeviceModelInternal::zephDataPreset() const
{
    return QovZephDataSets::textsOf(read(m_data.preset));
}

QString QovAppDeviceModelInternal::zephData12BandEq() const
{
    return read(m_data.eq12Band)->text();
}

QString QovAppDeviceModelInternal::zephData4BandEq() const
{
    return read(m_data.eq4Band)->text();
}

QStringList QovAppDeviceModelInternal::zephDataPartialPreset() const
{
    return QovZephDataSets::textsOf(read(m_data.partialPreset));
}

QString QovAppDeviceModelInternal::zephDataCurrent() const
{
    return read(m_data.current)->text();
}

QString QovAppDeviceModelInternal::zephDataSet(int code, int bank) const
{
    const auto bankText = [this, bank](ListField field) {
        const Sets sets = read(m_data.*field);
        return bank >= 0 && bank < sets.size() ? sets.at(bank)->text() : QString();
    };
    switch (code) {
    case QovDataSetInfo::kPreset:
        return bankText(&QovZephDataSets::preset);
    case QovDataSetInfo::kEq12Band:
        return zephData12BandEq();
    case QovDataSetInfo::kEq4Band:
        return zephData4BandEq();
    case QovDataSetInfo::kPartialPreset:
        return bankText(&QovZephDataSets::partialPreset);
    case QovDataSetInfo::kCurrent:
        return zephDataCurrent();
    }
    return QString();
}

QovZephData QovAppDeviceModelInternal::zephData() const
{
    return zephDataSets().texts();
}

QovZephDataSets QovAppDeviceModelInternal::zephDataSets() const
{
    return read(m_data);
}

QovAppDeviceRecord QovAppDeviceModelInternal::record() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return QovAppDeviceRecord{m_deviceName, QovDeviceSelector::modelName(m_deviceType),
                              m_macAddress, m_headerColor,
                              m_deviceId,   m_data,
                              {},           m_addedAddress};
}

QString QovAppDeviceModelInternal::setZephDataJson(const QJsonObject &data)
{
    QovZephDataSets next;
    const QString error = QovZephDataSets::read(data, &next);
    if (!error.isEmpty()) {
        return error;
    }
    setZephDataSets(next);
    return QString();
}

void QovAppDeviceModelInternal::setZephDataSets(const QovZephDataSets &next)
{
    storeList(&QovZephDataSets::preset, next.preset,
              &QovAppDeviceModelInternal::zephDataPresetChanged,
              &QovAppDeviceModelInternal::zephDataPresetBankChanged);
    storeList(&QovZephDataSets::partialPreset, next.partialPreset,
              &QovAppDeviceModelInternal::zephDataPartialPresetChanged,
              &QovAppDeviceModelInternal::zephDataPartialPresetBankChanged);
    storeSet(&QovZephDataSets::eq4Band, next.eq4Band,
             &QovAppDeviceModelInternal::zephData4BandEqChanged);
    storeSet(&QovZephDataSets::eq12Band, next.eq12Band,
             &QovAppDeviceModelInternal::zephData12BandEqChanged);
    storeSet(&QovZephDataSets::current, next.current,
             &QovAppDeviceModelInternal::zephDataCurrentChanged);
}

quint32 QovAppDeviceModelInternal::ipSortKey() const
{
    return qovIpSortKey(ipAddress());
}

QString QovAppDeviceModelInternal::debugText() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return QStringLiteral("QovAppDeviceModel{'%1'[%2]}").arg(m_deviceName).arg(m_deviceId);
}
