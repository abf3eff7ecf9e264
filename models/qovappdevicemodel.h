#pragma once

#include "models/qovdeviceselector.h"
#include "models/qovzephdata.h"
#include "models/qovzephdatasets.h"

#include <QJsonObject>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <list>
#include <memory>
#include <mutex>
#include <tuple>
#include <utility>

class QovOnlineDeviceModelInternal;
using QovOnlineDeviceModel = std::shared_ptr<QovOnlineDeviceModelInternal>;

// What the project file holds of one device, taken at one moment.
struct QovAppDeviceRecord
{
    QString deviceName;
    QString modelName;
    QString macAddress;
    int headerColor = 0;
    int deviceId = -1;
    QovZephDataSets data;
    // Sets that could not be read from the mixer this record was copied from; "{}" stands in
    // for each. Written to a file beside "data", where readers that do not know it skip it.
    QVector<QovDataSlot> unreadable;
    // The address or host name the mixer was added by; empty when discovery found it.
    QString addedAddress;
};

// One device of a project with its stored mixer data. Created in the main thread; setters are
// also called from worker threads (a download writes into the device while the project writes
// its autosave copy), so every field is read and written under the device's lock, and
// receivers connect with automatic (queued) connections. Signals are emitted outside the lock.
// Split over two files: the setters are in qovappdevicemodelsetters.cpp.
class QovAppDeviceModelInternal : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString deviceName READ deviceName WRITE setDeviceName NOTIFY deviceNameChanged)
    Q_PROPERTY(QovDeviceSelector::DeviceType deviceType READ deviceType WRITE setDeviceType NOTIFY
                   deviceTypeChanged)
    Q_PROPERTY(QString modelName READ modelName NOTIFY modelNameChanged)
    Q_PROPERTY(QString ipAddress READ ipAddress WRITE setIpAddress NOTIFY ipAddressChanged)
    Q_PROPERTY(QString macAddress READ macAddress WRITE setMacAddress NOTIFY macAddressChanged)
    Q_PROPERTY(
        QString addedAddress READ addedAddress WRITE setAddedAddress NOTIFY addedAddressChanged)
    Q_PROPERTY(int headerColor READ headerColor WRITE setHeaderColor NOTIFY headerColorChanged)
    Q_PROPERTY(int deviceId READ deviceId WRITE setDeviceId NOTIFY deviceIdChanged)
    Q_PROPERTY(Status status READ status WRITE setStatus NOTIFY statusChanged)
    Q_PROPERTY(int statusAsInt READ statusAsInt NOTIFY statusAsIntChanged)
    Q_PROPERTY(QStringList zephDataPreset READ zephDataPreset WRITE setZephDataPreset NOTIFY
                   zephDataPresetChanged)
    Q_PROPERTY(QString zephData12BandEq READ zephData12BandEq WRITE setZephData12BandEq NOTIFY
                   zephData12BandEqChanged)
    Q_PROPERTY(QString zephData4BandEq READ zephData4BandEq WRITE setZephData4BandEq NOTIFY
                   zephData4BandEqChanged)
    Q_PROPERTY(QStringList zephDataPartialPreset READ zephDataPartialPreset WRITE
                   setZephDataPartialPreset NOTIFY zephDataPartialPresetChanged)
    Q_PROPERTY(QString zephDataCurrent READ zephDataCurrent WRITE setZephDataCurrent NOTIFY
                   zephDataCurrentChanged)

public:
    enum Status { CONNECTED = 0, DISCONNECTED = 1, MISSING = 2 };
    Q_ENUM(Status)

    // A new device: first supported type, no hardware bound, DISCONNECTED.
    explicit QovAppDeviceModelInternal(QObject *parent = nullptr);
    // A device taken over from the network: CONNECTED, identity copied from it.
    explicit QovAppDeviceModelInternal(const QovOnlineDeviceModel &online,
                                       QObject *parent = nullptr);
    // A device read from a project file: MISSING when it was bound to hardware (has a MAC),
    // DISCONNECTED otherwise; no IP address until it is connected again.
    QovAppDeviceModelInternal(const QString &deviceName, QovDeviceSelector::DeviceType deviceType,
                              const QString &macAddress, int headerColor, int deviceId,
                              QObject *parent = nullptr);

    QString deviceName() const;
    QovDeviceSelector::DeviceType deviceType() const;
    QString modelName() const;
    QString ipAddress() const;
    // The address or host name its mixer was added by, asked directly where multicast does
    // not reach; empty for a mixer that discovery found. Kept in the project file.
    QString addedAddress() const;
    QString macAddress() const;
    int headerColor() const;
    int deviceId() const;
    Status status() const;
    // Which connection the device is in: a new number each time it is set CONNECTED, so that a
    // reply to a request made under an earlier connection can tell that it is out of date.
    quint64 connection() const;
    int statusAsInt() const;
    // A word on the status for the device's row, such as that its mixer is online again. Not
    // part of the project: it is never saved, and a change of status clears it.
    QString statusNote() const;
    // Whether the user changed the mixer data here since the device was last connected, that
    // is since project and mixer last held the same: in the device's settings page, or in edits
    // restored after a crash. An automatic reconnect must not read the mixer over them.
    bool editedSinceConnect() const;
    void markEdited();
    QStringList zephDataPreset() const;
    QString zephData12BandEq() const;
    QString zephData4BandEq() const;
    QStringList zephDataPartialPreset() const;
    QString zephDataCurrent() const;
    // All five data sets at once (error empty), for uploads.
    QovZephData zephData() const;
    // One set by the code and bank transfers and pages name it by; a set without banks ignores
    // `bank`. A code or bank the mixer does not have reads as empty and stores nothing.
    QString zephDataSet(int code, int bank) const;
    // The mixer data as shared values, taken at one moment.
    QovZephDataSets zephDataSets() const;
    // Everything the project file holds of the device, taken at one moment.
    QovAppDeviceRecord record() const;

    // Fills the mixer data from the "data" object of a project file. Returns the key of the
    // first bad member, or an empty text on success; on failure nothing is stored.
    QString setZephDataJson(const QJsonObject &data);
    // Stores all five data sets, each with its change signals when it differs.
    void setZephDataSets(const QovZephDataSets &next);

    // The IPv4 address as a number, so that lists sort 192.168.1.20 before 192.168.2.3.
    quint32 ipSortKey() const;
    QString debugText() const;

public Q_SLOTS:
    void setDeviceName(const QString &deviceName);
    void setDeviceType(QovDeviceSelector::DeviceType deviceType);
    void setIpAddress(const QString &ipAddress);
    void setMacAddress(const QString &macAddress);
    void setAddedAddress(const QString &addedAddress);
    // Cosmetic only: emits no somethingChanged, so it does not mark the project edited.
    void setHeaderColor(int headerColor);
    void setDeviceId(int deviceId);
    void setStatus(QovAppDeviceModelInternal::Status status);
    void setStatusNote(const QString &note);
    void setZephDataPreset(const QStringList &presets);
    // Ignored unless bank is 0 to 7 and inside the held list.
    void setZephDataPreset(int bank, const QString &preset);
    void setZephData12BandEq(const QString &eq);
    void setZephData4BandEq(const QString &eq);
    void setZephDataPartialPreset(const QStringList &partialPresets);
    // Ignored unless bank is 0 to 39 and inside the held list.
    void setZephDataPartialPreset(int bank, const QString &partialPreset);
    void setZephDataCurrent(const QString &current);
    void setZephDataSet(int code, int bank, const QString &text);

Q_SIGNALS:
    void deviceNameChanged(const QString &deviceName);
    void deviceTypeChanged(QovDeviceSelector::DeviceType deviceType);
    void modelNameChanged(const QString &modelName);
    void ipAddressChanged(const QString &ipAddress);
    void macAddressChanged(const QString &macAddress);
    void addedAddressChanged(const QString &addedAddress);
    void headerColorChanged(int headerColor);
    void deviceIdChanged(int deviceId);
    void statusChanged(QovAppDeviceModelInternal::Status status);
    void statusAsIntChanged(int status);
    void statusNoteChanged(const QString &note);
    void zephDataPresetChanged(const QStringList &presets);
    void zephDataPresetBankChanged(int bank, const QString &preset);
    void zephData12BandEqChanged(const QString &eq);
    void zephData4BandEqChanged(const QString &eq);
    void zephDataPartialPresetChanged(const QStringList &partialPresets);
    void zephDataPartialPresetBankChanged(int bank, const QString &partialPreset);
    void zephDataCurrentChanged(const QString &current);
    // Any change that makes the project differ from its file.
    void somethingChanged();

private:
    using Sets = QVector<QovMixerObject::Ptr>;
    using SetField = QovMixerObject::Ptr QovZephDataSets::*;
    using ListField = Sets QovZephDataSets::*;
    using TextSignal = void (QovAppDeviceModelInternal::*)(const QString &);
    using ListSignal = void (QovAppDeviceModelInternal::*)(const QStringList &);
    using BankSignal = void (QovAppDeviceModelInternal::*)(int, const QString &);

    template<typename T>
    T read(const T &field) const;
    template<typename T>
    bool assign(T &field, const T &value);
    template<typename Signal>
    bool receivers(Signal signal) const;

    // Compare-then-store of the mixer data; each emits what the matching setter emits.
    bool storeSet(SetField field, const QovMixerObject::Ptr &next, TextSignal changed);
    bool storeList(ListField field, const Sets &next, ListSignal listChanged,
                   BankSignal bankChanged);
    void storeBank(ListField field, int bankCount, int bank, const QString &text,
                   BankSignal bankChanged);

    // Guards every field below. Held only to copy or swap values, never while emitting.
    mutable std::mutex m_lock;
    // Makes each compare-then-store of the mixer data one step for concurrent writers; held
    // while texts are compared, which may derive them, so readers never wait for that.
    std::mutex m_writeLock;
    QString m_deviceName;
    QovDeviceSelector::DeviceType m_deviceType;
    QString m_ipAddress;
    QString m_macAddress;
    QString m_addedAddress;
    int m_headerColor = 0;
    int m_deviceId = -1;
    Status m_status = DISCONNECTED;
    quint64 m_connection = 0;
    bool m_editedSinceConnect = false;
    QString m_statusNote;
    QovZephDataSets m_data;
};

template<typename T>
T QovAppDeviceModelInternal::read(const T &field) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return field;
}

template<typename T>
bool QovAppDeviceModelInternal::assign(T &field, const T &value)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

using QovAppDeviceModel = std::shared_ptr<QovAppDeviceModelInternal>;
// One device's outcome, as connection flows report them: `problem` says why it failed, when
// that is known.
struct QovAppDeviceResult
{
    QovAppDeviceResult(bool ok, QovAppDeviceModel device, QString problem = QString())
        : ok(ok)
        , device(std::move(device))
        , problem(std::move(problem))
    {
    }

    bool ok;
    QovAppDeviceModel device;
    QString problem;
};
using QovAppDeviceResultList = std::list<QovAppDeviceResult>;

Q_DECLARE_METATYPE(QovAppDeviceModelInternal::Status)
Q_DECLARE_METATYPE(QovAppDeviceModel)
