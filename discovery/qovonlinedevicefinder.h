#pragma once

#include "discovery/qovonlinedevicelist.h"
#include "models/qovappdevicemodel.h"
#include "models/qovdeviceselector.h"
#include "models/qovonlinedevicemodel.h"

#include <QDebug>
#include <QHash>
#include <QList>
#include <QModelIndex>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>

namespace ovlib {
class DeviceManager;
}
class QovOvlibDeviceDiscoveryListener;

// The program's view of the mixers on the network: what discovery finds, admitted only when
// the model is compatible and the mixer answers the device information request. One object per
// process, living in the GUI thread; the list changes only there.
class QovOnlineDeviceFinder : public QObject
{
    Q_OBJECT

public:
    // Created on first use, never destroyed before the process ends.
    static QovOnlineDeviceFinder *instance();
    ~QovOnlineDeviceFinder() override;

    // Starts cyclic discovery (60 s period) once; may be called again after a failure.
    void start();
    // Empties the list at once, re-examines every device the library knows and asks for an
    // immediate search. Devices come back as their checks finish.
    void refresh();

    QList<QovOnlineDeviceModel> getAll() const;
    QList<QovOnlineDeviceModel> getAllByDeviceType(QovDeviceSelector::DeviceType type) const;
    // `order` is a QovSortLabel::SortOrder value: 1 ascending, anything else descending.
    void sortBy(int column, int order);
    // The one listed mixer with the project device's MAC and model; none when two answer with
    // that MAC (logged: picking one would let a reconnect write to either).
    QovOnlineDeviceModel findByAppDevice(const QovAppDeviceModel &device) const;
    // Every listed mixer with the project device's MAC and model.
    QList<QovOnlineDeviceModel> findAllByAppDevice(const QovAppDeviceModel &device) const;

    // Asks a mixer directly at an IPv4 address or host name, for networks that multicast does
    // not reach. It passes the same admission as a discovered one and is listed marked with the
    // address; refresh() asks again. addressProbed tells how it went.
    void addByAddress(const QString &address);
    // Every address added so far, in the order they were added.
    QStringList addedAddresses() const { return m_addedAddresses; }
    // The admission of addByAddress on the calling thread, without listing: the mixer at the
    // address, marked with it, or null with the reason in `error`. Blocks on the network: for
    // workers only.
    QovOnlineDeviceModel probe(const QString &address, QString *error) const;
    // Why the latest report of a mixer at `address` was not listed ("firmware update in
    // progress", ...); empty when none was refused there since the last one listed.
    QString admissionProblem(const QString &address) const
    {
        return m_admissionProblems.value(address);
    }
    // The reasons admission gives, for callers that must name one before it has reported.
    static QString unsupportedModel(const QString &model);
    static QString noDeviceInformation();

Q_SIGNALS:
    void deviceListChanged();
    // After addByAddress: `error` is empty when the mixer was admitted and listed.
    void addressProbed(const QString &address, const QString &error);

public Q_SLOTS:
    void moveDevice(const QModelIndex &parent, int start, int end, const QModelIndex &destination,
                    int row);
    void onDeviceAdded(QovOnlineDeviceModel device);
    void onDeviceModified(QovOnlineDeviceModel device);
    void onDeviceDeleted(QovOnlineDeviceModel device);

private:
    QovOnlineDeviceFinder();

    // Runs on a pool thread: true when the device may be listed. Fills in its identity and
    // touches nothing else of the finder; `why` says why not.
    bool admit(const QovOnlineDeviceModel &device, QString *why = nullptr) const;
    // Every line of the finder starts with the thread and the finder.
    QDebug debugLine() const;
    // Starts the check of a device the library reported; its result is dropped when the device
    // has been deleted (or reported again) meanwhile.
    void startAdmission(const QovOnlineDeviceModel &device);
    void completeAdmission(const QovOnlineDeviceModel &device, bool admitted);
    // Identity of a device across reports: its UDN, or its address when it has none.
    static QString identityOf(const QovOnlineDeviceModel &device);

    // Runs on a pool thread: whether the mixer with `mac` still answers the device information
    // request at `address`.
    bool answersAt(const QovOnlineDeviceModel &device, const QString &address,
                   const QString &mac) const;
    // One UDN at two addresses: the listed entry stays, and the log says so once per pair.
    void warnTwin(const QovOnlineDeviceModel &device, const QString &listedAt);

    QStringList m_addedAddresses;
    QHash<QString, QString> m_admissionProblems;
    QSet<QString> m_warnedTwins;
    bool m_started = false;
    QovOnlineDeviceList m_devices;
    // Per identity, the newest report's number; a check of an older report is stale.
    QHash<QString, quint64> m_latestReport;
    quint64 m_reports = 0;
    ovlib::DeviceManager &m_manager;
    std::shared_ptr<QovOvlibDeviceDiscoveryListener> m_listener;
};
