#pragma once

#include "device/qovcgiapi.h"
#include "models/qovappdevicemodel.h"

#include <QElapsedTimer>
#include <QObject>
#include <QVector>

#include <functional>
#include <map>
#include <set>

// Reconnects the MISSING devices of the open project whose mixers come back, in the direction
// the program settings choose, without taking the window from the user: no overlay, progress
// and outcome in the device's row and the log. With automatic reconnection off, the row only
// says that the mixer is online again. One reconnect per mixer at a time; a mixer that comes
// and goes is retried after a growing pause; nothing starts while the user is busy.
class QovAutoReconnector : public QObject
{
    Q_OBJECT

public:
    struct Hooks
    {
        // The user connects, transfers or compares: automatic reconnects wait for that.
        std::function<bool()> userBusy;
        // The open project's devices; only those are reconnected.
        std::function<QVector<QovAppDeviceModel>()> devices;
        // Tells the user what the reconnect of the device came to, when there is more to say
        // than its status: no safety copy, or a mixer left partly written.
        std::function<void(const QovOnlineDeviceModel &, const QovCgiApi::ConnectOutcome &)> report;
    };

    explicit QovAutoReconnector(Hooks hooks, QObject *parent = nullptr);

    bool isReconnecting(const QovAppDeviceModel &device) const;
    bool isIdle() const { return m_inFlight.empty(); }

    // How long a mixer that came back waits before its reconnect, after `flaps` returns that
    // each came soon after the last reconnect.
    static int pauseMs(int flaps);
    // The row's word for a device whose mixer answers but is not read over the user's edits.
    static QString editsKeptNote() { return tr("Online, edits kept"); }
    static QString onlineAgainNote() { return tr("Online again"); }

public Q_SLOTS:
    // Mixers of MISSING devices that answered again at the address they had.
    void onMixersAnswering(const QVector<QovAppDeviceModel> &devices);
    // Discovery lists mixers anew: a device whose mixer it lists at another address follows it
    // there; MISSING devices whose mixer it lists for the first time since the last change (it
    // was off when the project opened) or at a new address have come back. Mixers listed all
    // along have not: a change elsewhere in the list reconnects nothing. A MAC that two mixers
    // answer with matches none.
    void onDiscoveryChanged();
    // A project is shown. Opening reconnected what it could; with automatic reconnection off,
    // the rows of MISSING devices whose mixers are listed already say that they are online.
    void onProjectShown();

Q_SIGNALS:
    // The last reconnect in flight has ended.
    void idle();

private:
    struct Track
    {
        qint64 notBefore = 0;
        int flaps = 0;
        qint64 connectedAt = -1;
    };

    void consider(const QovAppDeviceModel &device, const QovOnlineDeviceModel &target);
    void start(const QovAppDeviceModel &device, const QovOnlineDeviceModel &target, bool upload);
    void finish(const QovAppDeviceModel &device, const QovOnlineDeviceModel &target,
                const QovCgiApi::ConnectOutcome &outcome);

    // The MACs discovery listed at its last change: only a mixer new to the list came back.
    std::set<QString> m_listed;
    Hooks m_hooks;
    QElapsedTimer m_clock;
    std::map<QovAppDeviceModel, Track> m_tracks;
    std::set<QovAppDeviceModel> m_inFlight;
};
