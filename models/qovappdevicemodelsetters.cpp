// Setters of QovAppDeviceModelInternal; the signal order of each is part of its contract.
#include "models/qovappdevicemodel.h"

#include "models/qovdatasettable.h"
#include "models/qovmodelassign.h"

#include <QMetaMethod>

// Texts of a device read from a file are made only when someone receives them: a project of
// 256 devices holds 30 MB of them.
template<typename Signal>
bool QovAppDeviceModelInternal::receivers(Signal signal) const
{
    return isSignalConnected(QMetaMethod::fromSignal(signal));
}

void QovAppDeviceModelInternal::setDeviceName(const QString &deviceName)
{
    if (assign(m_deviceName, deviceName)) {
        Q_EMIT deviceNameChanged(deviceName);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setDeviceType(QovDeviceSelector::DeviceType deviceType)
{
    if (assign(m_deviceType, deviceType)) {
        Q_EMIT deviceTypeChanged(deviceType);
        Q_EMIT modelNameChanged(QovDeviceSelector::modelName(deviceType));
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setIpAddress(const QString &ipAddress)
{
    if (assign(m_ipAddress, ipAddress)) {
        Q_EMIT ipAddressChanged(ipAddress);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setMacAddress(const QString &macAddress)
{
    if (assign(m_macAddress, macAddress)) {
        Q_EMIT macAddressChanged(macAddress);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setAddedAddress(const QString &addedAddress)
{
    if (assign(m_addedAddress, addedAddress)) {
        Q_EMIT addedAddressChanged(addedAddress);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setHeaderColor(int headerColor)
{
    if (assign(m_headerColor, headerColor)) {
        Q_EMIT headerColorChanged(headerColor);
    }
}

void QovAppDeviceModelInternal::setDeviceId(int deviceId)
{
    if (assign(m_deviceId, deviceId)) {
        Q_EMIT deviceIdChanged(deviceId);
        Q_EMIT somethingChanged();
    }
}

void QovAppDeviceModelInternal::setStatus(Status status)
{
    bool changed = false;
    bool noteCleared = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        // Every connection counts, one made over a device still CONNECTED too.
        if (status == CONNECTED) {
            ++m_connection;
            m_editedSinceConnect = false;
        }
        changed = qovAssign(m_status, status);
        noteCleared = changed && !m_statusNote.isEmpty();
        if (noteCleared) {
            m_statusNote.clear();
        }
    }
    if (noteCleared) {
        Q_EMIT statusNoteChanged(QString());
    }
    if (changed) {
        Q_EMIT statusChanged(status);
        Q_EMIT statusAsIntChanged(static_cast<int>(status));
        Q_EMIT somethingChanged();
    }
}

bool QovAppDeviceModelInternal::storeSet(SetField field, const QovMixerObject::Ptr &next,
                                         TextSignal changed)
{
    {
        std::lock_guard<std::mutex> writer(m_writeLock);
        if (!read(m_data.*field)->textDiffersFrom(*next)) {
            return false;
        }
        std::lock_guard<std::mutex> lock(m_lock);
        m_data.*field = next;
    }
    if (receivers(changed)) {
        Q_EMIT(this->*changed)(next->text());
    }
    Q_EMIT somethingChanged();
    return true;
}

bool QovAppDeviceModelInternal::storeList(ListField field, const Sets &next, ListSignal listChanged,
                                          BankSignal bankChanged)
{
    {
        std::lock_guard<std::mutex> writer(m_writeLock);
        const Sets held = read(m_data.*field);
        bool differs = held.size() != next.size();
        for (int i = 0; !differs && i < next.size(); ++i) {
            differs = held.at(i)->textDiffersFrom(*next.at(i));
        }
        if (!differs) {
            return false;
        }
        std::lock_guard<std::mutex> lock(m_lock);
        m_data.*field = next;
    }
    if (receivers(listChanged) || receivers(bankChanged)) {
        const QStringList texts = QovZephDataSets::textsOf(next);
        Q_EMIT(this->*listChanged)(texts);
        for (int bank = 0; bank < texts.size(); ++bank) {
            Q_EMIT(this->*bankChanged)(bank, texts.at(bank));
        }
    }
    Q_EMIT somethingChanged();
    return true;
}

void QovAppDeviceModelInternal::storeBank(ListField field, int bankCount, int bank,
                                          const QString &text, BankSignal bankChanged)
{
    {
        std::lock_guard<std::mutex> writer(m_writeLock);
        Sets sets = read(m_data.*field);
        if (bank < 0 || bank >= bankCount || bank >= sets.size() || sets.at(bank)->text() == text) {
            return;
        }
        sets[bank] = QovMixerObject::fromText(text);
        std::lock_guard<std::mutex> lock(m_lock);
        m_data.*field = sets;
    }
    Q_EMIT(this->*bankChanged)(bank, text);
    Q_EMIT somethingChanged();
}

void QovAppDeviceModelInternal::setZephDataPreset(const QStringList &presets)
{
    storeList(&QovZephDataSets::preset, QovZephDataSets::fromTexts(presets),
              &QovAppDeviceModelInternal::zephDataPresetChanged,
              &QovAppDeviceModelInternal::zephDataPresetBankChanged);
}

void QovAppDeviceModelInternal::setZephDataPreset(int bank, const QString &preset)
{
    storeBank(&QovZephDataSets::preset, QovZephData::presetBankCount, bank, preset,
              &QovAppDeviceModelInternal::zephDataPresetBankChanged);
}

void QovAppDeviceModelInternal::setZephData12BandEq(const QString &eq)
{
    storeSet(&QovZephDataSets::eq12Band, QovMixerObject::fromText(eq),
             &QovAppDeviceModelInternal::zephData12BandEqChanged);
}

void QovAppDeviceModelInternal::setZephData4BandEq(const QString &eq)
{
    storeSet(&QovZephDataSets::eq4Band, QovMixerObject::fromText(eq),
             &QovAppDeviceModelInternal::zephData4BandEqChanged);
}

void QovAppDeviceModelInternal::setZephDataPartialPreset(const QStringList &partialPresets)
{
    storeList(&QovZephDataSets::partialPreset, QovZephDataSets::fromTexts(partialPresets),
              &QovAppDeviceModelInternal::zephDataPartialPresetChanged,
              &QovAppDeviceModelInternal::zephDataPartialPresetBankChanged);
}

void QovAppDeviceModelInternal::setZephDataPartialPreset(int bank, const QString &partialPreset)
{
    storeBank(&QovZephDataSets::partialPreset, QovZephData::partialPresetBankCount, bank,
              partialPreset, &QovAppDeviceModelInternal::zephDataPartialPresetBankChanged);
}

void QovAppDeviceModelInternal::setZephDataCurrent(const QString &current)
{
    storeSet(&QovZephDataSets::current, QovMixerObject::fromText(current),
             &QovAppDeviceModelInternal::zephDataCurrentChanged);
}

void QovAppDeviceModelInternal::setZephDataSet(int code, int bank, const QString &text)
{
    switch (code) {
    case QovDataSetInfo::kPreset:
        setZephDataPreset(bank, text);
        break;
    case QovDataSetInfo::kEq12Band:
        setZephData12BandEq(text);
        break;
    case QovDataSetInfo::kEq4Band:
        setZephData4BandEq(text);
        break;
    case QovDataSetInfo::kPartialPreset:
        setZephDataPartialPreset(bank, text);
        break;
    case QovDataSetInfo::kCurrent:
        setZephDataCurrent(text);
        break;
    }
}

void QovAppDeviceModelInternal::markEdited()
{
    assign(m_editedSinceConnect, true);
}

void QovAppDeviceModelInternal::setStatusNote(const QString &note)
{
    // Cosmetic, like the header colour: the project is not edited by it.
    if (assign(m_statusNote, note)) {
        Q_EMIT statusNoteChanged(note);
    }
}
