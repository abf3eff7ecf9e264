#pragma once

#include "models/qovappdevicemodel.h"
#include "models/qovdiscovereddevice.h"

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QVector>

#include <memory>
#include <mutex>
#include <tuple>

// Pairs describing the extension units linked to a primary unit, as the device reports them.
using QovLinkedExtensions = QVector<std::tuple<int, int>>;

// One mixer found on the network. Discovery creates it from the description document and then
// fills in what the device information request returns.
class QovOnlineDeviceModelInternal : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int serial READ serial WRITE setSerial NOTIFY serialChanged)
    Q_PROPERTY(QString uuid READ uuid WRITE setUuid NOTIFY uuidChanged)
    Q_PROPERTY(QString deviceName READ deviceName WRITE setDeviceName NOTIFY deviceNameChanged)
    Q_PROPERTY(QString modelName READ modelName WRITE setModelName NOTIFY modelNameChanged)
    Q_PROPERTY(QString ipAddress READ ipAddress WRITE setIpAddress NOTIFY ipAddressChanged)
    Q_PROPERTY(QString macAddress READ macAddress WRITE setMacAddress NOTIFY macAddressChanged)
    Q_PROPERTY(int headerColor READ headerColor WRITE setHeaderColor NOTIFY headerColorChanged)
    Q_PROPERTY(int deviceId READ deviceId WRITE setDeviceId NOTIFY deviceIdChanged)
    Q_PROPERTY(OvLink ovLink READ ovLink WRITE setOvLink NOTIFY ovLinkChanged)
    Q_PROPERTY(bool authRequired READ authRequired WRITE setAuthRequired NOTIFY authRequiredChanged)
    Q_PROPERTY(
        QString addedAddress READ addedAddress WRITE setAddedAddress NOTIFY addedAddressChanged)
    Q_PROPERTY(bool selected READ selected WRITE setSelected NOTIFY selectedChanged)
    Q_PROPERTY(QovLinkedExtensions linkedExtensions READ linkedExtensions WRITE setLinkedExtensions
                   NOTIFY linkedExtensionsChanged)

public:
    enum OvLink { NONE = 0, PRIMARY = 1, EXTENSION = 2 };
    Q_ENUM(OvLink)

    // Serial 0 when the reported serial is not a decimal number; MAC, colour, ID, link role,
    // flags and extensions stay empty until the device information arrives.
    explicit QovOnlineDeviceModelInternal(const QovDiscoveredDevice &device,
                                          QObject *parent = nullptr);
    // The network view of a project device, to compare it with what discovery found.
    explicit QovOnlineDeviceModelInternal(const QovAppDeviceModel &device,
                                          QObject *parent = nullptr);

    int serial() const;
    QString uuid() const;
    QString deviceName() const;
    QString modelName() const;
    QString ipAddress() const;
    QString macAddress() const;
    int headerColor() const;
    int deviceId() const;
    OvLink ovLink() const;
    bool authRequired() const;
    bool selected() const;
    // The address or host name the user added the mixer by; empty when discovery found it.
    QString addedAddress() const;
    QovLinkedExtensions linkedExtensions() const;

    // The same mixer: same model name and same MAC address, compared exactly.
    bool operator==(const QovOnlineDeviceModelInternal &other) const;
    bool operator!=(const QovOnlineDeviceModelInternal &other) const { return !(*this == other); }

    // "Primary", "Extension" or "-", translated.
    QString ovLinkText() const;
    static QString ovLinkText(OvLink link);
    quint32 ipSortKey() const;
    QString debugText() const;

public Q_SLOTS:
    void setSerial(int serial);
    void setUuid(const QString &uuid);
    void setDeviceName(const QString &deviceName);
    void setModelName(const QString &modelName);
    void setIpAddress(const QString &ipAddress);
    void setMacAddress(const QString &macAddress);
    void setHeaderColor(int headerColor);
    void setDeviceId(int deviceId);
    void setOvLink(QovOnlineDeviceModelInternal::OvLink ovLink);
    void setAuthRequired(bool authRequired);
    void setSelected(bool selected);
    void setAddedAddress(const QString &addedAddress);
    void setLinkedExtensions(const QovLinkedExtensions &linkedExtensions);

Q_SIGNALS:
    void serialChanged(int serial);
    void uuidChanged(const QString &uuid);
    void deviceNameChanged(const QString &deviceName);
    void modelNameChanged(const QString &modelName);
    void ipAddressChanged(const QString &ipAddress);
    void macAddressChanged(const QString &macAddress);
    void headerColorChanged(int headerColor);
    void deviceIdChanged(int deviceId);
    void ovLinkChanged(QovOnlineDeviceModelInternal::OvLink ovLink);
    void authRequiredChanged(bool authRequired);
    void selectedChanged(bool selected);
    void addedAddressChanged(const QString &addedAddress);
    void linkedExtensionsChanged(const QovLinkedExtensions &linkedExtensions);

private:
    template<typename T>
    T read(const T &field) const;
    template<typename T>
    bool assign(T &field, const T &value);

    // Workers fill in a mixer's identity (admission, a connection) while the GUI thread shows
    // it: every field is read and written under this lock, held only to copy or store a value,
    // never while emitting.
    mutable std::mutex m_lock;
    int m_serial = 0;
    QString m_uuid;
    QString m_deviceName;
    QString m_modelName;
    QString m_ipAddress;
    QString m_macAddress;
    int m_headerColor = 0;
    int m_deviceId = 0;
    OvLink m_ovLink = NONE;
    bool m_authRequired = false;
    bool m_selected = false;
    QString m_addedAddress;
    QovLinkedExtensions m_linkedExtensions;
};

Q_DECLARE_METATYPE(QovOnlineDeviceModelInternal::OvLink)
Q_DECLARE_METATYPE(QovOnlineDeviceModel)
Q_DECLARE_METATYPE(QovLinkedExtensions)
