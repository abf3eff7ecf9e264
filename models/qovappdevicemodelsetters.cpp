// Setters of QovAppDeviceModelInternal; the signal order of each is part of its contract.
#include "models/qovappdevicemodel.h"
#include "models/qovmodelassign.h"

void QovAppDeviceModelInternal::setDeviceName(const QString &deviceName)
{
    if (qovAssign(m_deviceName, deviceName)) {
        Q_EMIT deviceNameChanged(m_deviceName);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setDeviceType(QovDeviceSelector::DeviceType deviceType)
{
    if (qovAssign(m_deviceType, deviceType)) {
        Q_EMIT deviceTypeChanged(m_deviceType);
        Q_EMIT modelNameChanged(modelName());
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setIpAddress(const QString &ipAddress)
{
    if (qovAssign(m_ipAddress, ipAddress)) {
        Q_EMIT ipAddressChanged(m_ipAddress);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setMacAddress(const QString &macAddress)
{
    if (qovAssign(m_macAddress, macAddress)) {
        Q_EMIT macAddressChanged(m_macAddress);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setHeaderColor(int headerColor)
{
    if (qovAssign(m_headerColor, headerColor)) {
        Q_EMIT headerColorChanged(m_headerColor);
    }
}

void QovAppDeviceModelInternal::setDeviceId(int deviceId)
{
    if (qovAssign(m_deviceId, deviceId)) {
        Q_EMIT deviceIdChanged(m_deviceId);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setStatus(Status status)
{
    if (qovAssign(m_status, status)) {
        Q_EMIT statusChanged(m_status);
        Q_EMIT statusAsIntChanged(statusAsInt());
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::storeText(QString QovZephData::*field, const QString &text,
                                          TextSignal changed)
{
    QString &held = editableTexts().*field;
    if (qovAssign(held, text)) {
        dropParsedData();
        Q_EMIT(this->*changed)(held);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::storeList(QStringList QovZephData::*field, const QStringList &texts,
                                          ListSignal listChanged, BankSignal bankChanged)
{
    QStringList &held = editableTexts().*field;
    if (qovAssign(held, texts)) {
        dropParsedData();
        Q_EMIT(this->*listChanged)(held);
        for (int bank = 0; bank < held.size(); ++bank) {
            Q_EMIT(this->*bankChanged)(bank, held.at(bank));
        }
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::storeBank(QStringList QovZephData::*field, int bankCount, int bank,
                                          const QString &text, BankSignal bankChanged)
{
    QStringList &held = editableTexts().*field;
    if (bank < 0 || bank >= bankCount || bank >= held.size()) {
        return;
    }
    if (qovAssign(held[bank], text)) {
        dropParsedData();
        Q_EMIT(this->*bankChanged)(bank, text);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setZephDataPreset(const QStringList &presets)
{
    storeList(&QovZephData::preset, presets, &QovAppDeviceModelInternal::zephDataPresetChanged,
              &QovAppDeviceModelInternal::zephDataPresetBankChanged);
}

void QovAppDeviceModelInternal::setZephDataPreset(int bank, const QString &preset)
{
    storeBank(&QovZephData::preset, QovZephData::presetBankCount, bank, preset,
              &QovAppDeviceModelInternal::zephDataPresetBankChanged);
}

void QovAppDeviceModelInternal::setZephData12BandEq(const QString &eq)
{
    storeText(&QovZephData::eq12Band, eq, &QovAppDeviceModelInternal::zephData12BandEqChanged);
}

void QovAppDeviceModelInternal::setZephData4BandEq(const QString &eq)
{
    storeText(&QovZephData::eq4Band, eq, &QovAppDeviceModelInternal::zephData4BandEqChanged);
}

void QovAppDeviceModelInternal::setZephDataPartialPreset(const QStringList &partialPresets)
{
    storeList(&QovZephData::partialPreset, partialPresets,
              &QovAppDeviceModelInternal::zephDataPartialPresetChanged,
              &QovAppDeviceModelInternal::zephDataPartialPresetBankChanged);
}

void QovAppDeviceModelInternal::setZephDataPartialPreset(int bank, const QString &partialPreset)
{
    storeBank(&QovZephData::partialPreset, QovZephData::partialPresetBankCount, bank, partialPreset,
              &QovAppDeviceModelInternal::zephDataPartialPresetBankChanged);
}

void QovAppDeviceModelInternal::setZephDataCurrent(const QString &current)
{
    storeText(&QovZephData::current, current, &QovAppDeviceModelInternal::zephDataCurrentChanged);
}
