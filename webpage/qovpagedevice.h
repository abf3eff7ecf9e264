#pragma once

#include "models/qovappdevicemodel.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

// What a settings page sees of its device: the device's fields and their change signals, read
// only. The page reaches the device's data through the bridge alone, which checks what it is
// handed; the device's own setters, and the device object itself (owned by shared handles the
// page must never be able to delete), stay out of its reach.
//
// The device's signals are passed on only once something (the web channel, when a page sets
// up its channel) connects to the one here: a device with no page then makes no texts for its
// change signals.
class QovPageDevice : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString deviceName READ deviceName NOTIFY deviceNameChanged)
    Q_PROPERTY(QString modelName READ modelName NOTIFY modelNameChanged)
    Q_PROPERTY(QString ipAddress READ ipAddress NOTIFY ipAddressChanged)
    Q_PROPERTY(QString macAddress READ macAddress NOTIFY macAddressChanged)
    Q_PROPERTY(int headerColor READ headerColor NOTIFY headerColorChanged)
    Q_PROPERTY(int deviceId READ deviceId NOTIFY deviceIdChanged)
    Q_PROPERTY(int statusAsInt READ statusAsInt NOTIFY statusAsIntChanged)
    Q_PROPERTY(QString statusNote READ statusNote NOTIFY statusNoteChanged)
    Q_PROPERTY(QStringList zephDataPreset READ zephDataPreset NOTIFY zephDataPresetChanged)
    Q_PROPERTY(QString zephData12BandEq READ zephData12BandEq NOTIFY zephData12BandEqChanged)
    Q_PROPERTY(QString zephData4BandEq READ zephData4BandEq NOTIFY zephData4BandEqChanged)
    Q_PROPERTY(QStringList zephDataPartialPreset READ zephDataPartialPreset NOTIFY
                   zephDataPartialPresetChanged)
    Q_PROPERTY(QString zephDataCurrent READ zephDataCurrent NOTIFY zephDataCurrentChanged)

public:
    explicit QovPageDevice(QovAppDeviceModel device, QObject *parent = nullptr);

    QString deviceName() const;
    QString modelName() const;
    QString ipAddress() const;
    QString macAddress() const;
    int headerColor() const;
    int deviceId() const;
    int statusAsInt() const;
    QString statusNote() const;
    QStringList zephDataPreset() const;
    QString zephData12BandEq() const;
    QString zephData4BandEq() const;
    QStringList zephDataPartialPreset() const;
    QString zephDataCurrent() const;

Q_SIGNALS:
    void deviceNameChanged(const QString &deviceName);
    void modelNameChanged(const QString &modelName);
    void ipAddressChanged(const QString &ipAddress);
    void macAddressChanged(const QString &macAddress);
    void headerColorChanged(int headerColor);
    void deviceIdChanged(int deviceId);
    void statusAsIntChanged(int status);
    void statusNoteChanged(const QString &note);
    void zephDataPresetChanged(const QStringList &presets);
    void zephDataPresetBankChanged(int bank, const QString &preset);
    void zephData12BandEqChanged(const QString &eq);
    void zephData4BandEqChanged(const QString &eq);
    void zephDataPartialPresetChanged(const QStringList &partialPresets);
    void zephDataPartialPresetBankChanged(int bank, const QString &partialPreset);
    void zephDataCurrentChanged(const QString &current);

protected:
    void connectNotify(const QMetaMethod &signal) override;
    bool event(QEvent *event) override;

private:
    QovAppDeviceModel m_device;
    // Signals of this class (by index) already fed from the device's signal of the same name.
    QSet<int> m_forwarded;
};
