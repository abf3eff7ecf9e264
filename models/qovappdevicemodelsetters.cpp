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

void QovAppDeviceModelInternal::setZephDataPreset(const QStringList &presets)
{
    if (qovAssign(editableTexts().preset, presets)) {
        dropParsedData();
        Q_EMIT zephDataPresetChanged(m_data.preset);
        for (int bank = 0; bank < m_data.preset.size(); ++bank) {
            Q_EMIT zephDataPresetBankChanged(bank, m_data.preset.at(bank));
        }
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setZephDataPreset(int bank, const QString &preset)
{
    if (bank < 0 || bank >= QovZephData::presetBankCount || bank >= editableTexts().preset.size()) {
        return;
    }
    if (qovAssign(m_data.preset[bank], preset)) {
        dropParsedData();
        Q_EMIT zephDataPresetBankChanged(bank, preset);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setZephData12BandEq(const QString &eq)
{
    if (qovAssign(editableTexts().eq12Band, eq)) {
        dropParsedData();
        Q_EMIT zephData12BandEqChanged(m_data.eq12Band);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setZephData4BandEq(const QString &eq)
{
    if (qovAssign(editableTexts().eq4Band, eq)) {
        dropParsedData();
        Q_EMIT zephData4BandEqChanged(m_data.eq4Band);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setZephDataPartialPreset(const QStringList &partialPresets)
{
    if (qovAssign(editableTexts().partialPreset, partialPresets)) {
        dropParsedData();
        Q_EMIT zephDataPartialPresetChanged(m_data.partialPreset);
        for (int bank = 0; bank < m_data.partialPreset.size(); ++bank) {
            Q_EMIT zephDataPartialPresetBankChanged(bank, m_data.partialPreset.at(bank));
        }
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setZephDataPartialPreset(int bank, const QString &partialPreset)
{
    if (bank < 0 || bank >= QovZephData::partialPresetBankCount ||
        bank >= editableTexts().partialPreset.size()) {
        return;
    }
    if (qovAssign(m_data.partialPreset[bank], partialPreset)) {
        dropParsedData();
        Q_EMIT zephDataPartialPresetBankChanged(bank, partialPreset);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setZephDataCurrent(const QString &current)
{
    if (qovAssign(editableTexts().current, current)) {
        dropParsedData();
        Q_EMIT zephDataCurrentChanged(m_data.current);
        Q_EMIT somethingChanged();
    }
}
