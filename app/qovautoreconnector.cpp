#include "app/qovautoreconnector.h"

#include "device/qovcgiapifactory.h"
#include "discovery/qovonlinedevicefinder.h"
#include "models/qovprogramsettingsmodel.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovworkerpool.h"

#include <QDebug>
#include <QFutureWatcher>
#include <QThread>
#include <QtConcurrent>

#include <algorithm>
#include <memory>

namespace {

// A mixer lost again sooner than this after its reconnect is flapping.
const qint64 kFlapWindowMs = 60000;
const int kFirstPauseMs = 2000;
const int kLongestPauseMs = 120000;

std::set<QString> listedMacs()
{
    std::set<QString> macs;
    for (const QovOnlineDeviceModel &mixer : QovOnlineDeviceFinder::instance()->getAll()) {
        macs.insert(mixer->macAddress().toUpper());
    }
    return macs;
}

QDebug reconnectLine(const QovAppDeviceModel &device)
{
    return qDebug().noquote() << QThread::currentThreadId() << "auto-reconnect"
                              << device->debugText();
}

} // namespace

QovAutoReconnector::QovAutoReconnector(Hooks hooks, QObject *parent)
    : QObject(parent)
    , m_listed(listedMacs())
    , m_hooks(std::move(hooks))
{
    m_clock.start();
}

bool QovAutoReconnector::isReconnecting(const QovAppDeviceModel &device) const
{
    return m_inFlight.count(device) > 0;
}

int QovAutoReconnector::pauseMs(int flaps)
{
    if (flaps <= 0) {
        return 0;
    }
    const int doublings = std::min(flaps - 1, 16);
    return static_cast<int>(std::min<qint64>(qint64(kFirstPauseMs) << doublings, kLongestPauseMs));
}

void QovAutoReconnector::onMixersAnswering(const QVector<QovAppDeviceModel> &devices)
{
    for (const QovAppDeviceModel &device : devices) {
        // Asked at the device's own address and known by its MAC: the device is the target.
        consider(device, std::make_shared<QovOnlineDeviceModelInternal>(device));
    }
}

void QovAutoReconnector::onDiscoveryChanged()
{
    QovOnlineDeviceFinder *finder = QovOnlineDeviceFinder::instance();
    std::set<QString> before = listedMacs();
    std::swap(before, m_listed);
    for (const QovAppDeviceModel &device : m_hooks.devices()) {
        const auto status = device->status();
        if (device->macAddress().isEmpty() || status == QovAppDeviceModelInternal::DISCONNECTED) {
            continue;
        }
        const QovOnlineDeviceModel partner = finder->findByAppDevice(device);
        if (!partner) {
            // Its mixer has gone again: the row must not go on offering it as online.
            if (status == QovAppDeviceModelInternal::MISSING && !isReconnecting(device) &&
                (device->statusNote() == onlineAgainNote() ||
                 device->statusNote() == editsKeptNote())) {
                device->setStatusNote(QString());
            }
            continue;
        }
        const QString was = device->ipAddress();
        const bool moved = !was.isEmpty() && was != partner->ipAddress();
        if (moved) {
            // Its mixer answers at a new address (a new DHCP lease): the entry follows it, so
            // that keep-alive and reconnect ask there.
            qDebug() << QThread::currentThreadId() << "moved!" << device->debugText() << was << "->"
                     << partner->ipAddress();
            device->setIpAddress(partner->ipAddress());
        }
        // A mixer still at its address is the keep-alive's to report.
        const bool appeared = was.isEmpty() && !before.count(partner->macAddress().toUpper());
        if (status == QovAppDeviceModelInternal::MISSING && (appeared || moved)) {
            consider(device, partner);
        }
    }
}

void QovAutoReconnector::onProjectShown()
{
    if (QovProgramSettingsModel().autoReconnect() != QovProgramSettingsModel::NONE) {
        return;
    }
    QovOnlineDeviceFinder *finder = QovOnlineDeviceFinder::instance();
    for (const QovAppDeviceModel &device : m_hooks.devices()) {
        if (device->status() != QovAppDeviceModelInternal::MISSING) {
            continue;
        }
        if (const QovOnlineDeviceModel partner = finder->findByAppDevice(device)) {
            consider(device, partner);
        }
    }
}

void QovAutoReconnector::consider(const QovAppDeviceModel &device,
                                  const QovOnlineDeviceModel &target)
{
    const QVector<QovAppDeviceModel> devices = m_hooks.devices();
    // Entries of a closed project are dropped; one mixer belongs to one entry.
    for (auto it = m_tracks.begin(); it != m_tracks.end();) {
        it = devices.contains(it->first) || m_inFlight.count(it->first) ? std::next(it)
                                                                        : m_tracks.erase(it);
    }
    if (!devices.contains(device) || device->status() != QovAppDeviceModelInternal::MISSING ||
        isReconnecting(device) ||
        QovProjectDataModel::holderOf(devices, device->macAddress()) != device) {
        return;
    }
    const auto mode = QovProgramSettingsModel().autoReconnect();
    if (mode == QovProgramSettingsModel::NONE) {
        if (device->statusNote().isEmpty()) {
            reconnectLine(device) << "the mixer is online again";
        }
        device->setStatusNote(onlineAgainNote());
        return;
    }
    // Reading the mixer would replace what the user changed meanwhile, unasked; the row offers
    // the reconnect, whose dialog compares and lets the user choose the direction.
    if (mode == QovProgramSettingsModel::DEVICE2APP && device->editedSinceConnect()) {
        if (device->statusNote().isEmpty()) {
            reconnectLine(device) << "the mixer is online again; edits here are kept";
        }
        device->setStatusNote(editsKeptNote());
        return;
    }
    Track &track = m_tracks[device];
    const qint64 now = m_clock.elapsed();
    if (now < track.notBefore) {
        return;
    }
    if (m_hooks.userBusy()) {
        reconnectLine(device) << "waits for the user";
        return;
    }
    start(device, target, mode == QovProgramSettingsModel::APP2DEVICE);
}

void QovAutoReconnector::start(const QovAppDeviceModel &device, const QovOnlineDeviceModel &target,
                               bool upload)
{
    std::shared_ptr<QovCgiApi> api(createCgiApi(device));
    if (!api) {
        return;
    }
    reconnectLine(device) << (upload ? "App->Device" : "Device->App") << target->debugText();
    m_inFlight.insert(device);
    device->setStatusNote(tr("Reconnecting…"));
    auto *watcher = new QFutureWatcher<QovCgiApi::ConnectOutcome>(this);
    connect(watcher, &QFutureWatcher<QovCgiApi::ConnectOutcome>::finished, this,
            [this, watcher, device, target] {
                watcher->deleteLater();
                finish(device, target, watcher->result());
            });
    // The same path as a connection the user starts: a safety copy before any overwrite.
    watcher->setFuture(QtConcurrent::run(qovWorkerPool(), [api, upload, device, target] {
        return api->connectDeviceWithOutcome(upload, device, target, false, true).get();
    }));
}

void QovAutoReconnector::finish(const QovAppDeviceModel &device, const QovOnlineDeviceModel &target,
                                const QovCgiApi::ConnectOutcome &outcome)
{
    m_inFlight.erase(device);
    Track &track = m_tracks[device];
    const qint64 now = m_clock.elapsed();
    // A reconnect soon after the last one, or one that failed, makes the next wait longer.
    const bool soon = track.connectedAt >= 0 && now - track.connectedAt < kFlapWindowMs;
    if (outcome.connected) {
        reconnectLine(device) << "reconnected!";
        track.flaps = soon ? track.flaps + 1 : 0;
        track.connectedAt = now;
    } else if (outcome.editedMeanwhile) {
        reconnectLine(device) << "edited meanwhile; edits here are kept";
        if (device->status() == QovAppDeviceModelInternal::MISSING) {
            device->setStatusNote(editsKeptNote());
        }
    } else {
        reconnectLine(device) << "failed";
        ++track.flaps;
        if (device->status() == QovAppDeviceModelInternal::MISSING) {
            device->setStatusNote(tr("Reconnect failed"));
        }
    }
    track.notBefore = now + pauseMs(track.flaps);
    if (outcome.partlyWritten || outcome.safetyCopyFailure != QovCgiApi::NO_FAILURE) {
        m_hooks.report(target, outcome);
    }
    if (m_inFlight.empty()) {
        Q_EMIT idle();
    }
}
