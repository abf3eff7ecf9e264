#include "discovery/qovonlinedevicefinder.h"

#include "device/qovcgiapi.h"
#include "device/qovcgiapifactory.h"
#include "discovery/qovovlibdevicediscoverylistener.h"
#include "models/qovprogramsettingsmodel.h"
#include "ovlib/addressprobe.h"
#include "ovlib/devicemanager.h"
#include "ovlib/ovupnpdevice.h"

#include <QFutureWatcher>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent>

#include <memory>

namespace {
constexpr unsigned kSearchPeriodSeconds = 60;
constexpr unsigned kUpnpOnly = 0x1;
// Admissions wait on mixers, not on the processor, so the bound is set by how many mixers may
// stall at once, not by the cores: a few stalling mixers must leave room for healthy ones.
constexpr int kAdmissionThreads = 16;

// Admissions run here, never on the global pool: the connection worker, the project loader,
// Compare and the add-online dialog use that one, and with two threads a couple of mixers
// that stall their device information request would make every user action wait for them.
// Destroyed at exit, which waits for the admissions still running, as the global pool does.
class AdmissionPool : public QThreadPool
{
public:
    AdmissionPool() { setMaxThreadCount(kAdmissionThreads); }
};

QThreadPool &admissionPool()
{
    static AdmissionPool pool;
    return pool;
}
} // namespace

QovOnlineDeviceFinder *QovOnlineDeviceFinder::instance()
{
    // Concurrent first users wait for the one construction and get the same object.
    static QovOnlineDeviceFinder *const finder = new QovOnlineDeviceFinder();
    return finder;
}

QovOnlineDeviceFinder::QovOnlineDeviceFinder()
    : m_manager(ovlib::DeviceManager::getInstance())
    // Shared ownership, not a QObject parent: the manager keeps a weak reference to it.
    , m_listener(std::make_shared<QovOvlibDeviceDiscoveryListener>())
{
    m_manager.setDiscoveryListener(m_listener);
    qRegisterMetaType<QovOnlineDeviceModel>("QovOnlineDeviceModel");
    debugLine() << "created!";
    // The listener emits on the library's threads, so these connections deliver queued.
    connect(m_listener.get(), &QovOvlibDeviceDiscoveryListener::deviceAdded, this,
            &QovOnlineDeviceFinder::onDeviceAdded);
    connect(m_listener.get(), &QovOvlibDeviceDiscoveryListener::deviceModified, this,
            &QovOnlineDeviceFinder::onDeviceModified);
    connect(m_listener.get(), &QovOvlibDeviceDiscoveryListener::deviceDeleted, this,
            &QovOnlineDeviceFinder::onDeviceDeleted);
}

QovOnlineDeviceFinder::~QovOnlineDeviceFinder()
{
    debugLine() << "deleted!";
    m_listener.reset();
}

QDebug QovOnlineDeviceFinder::debugLine() const
{
    return qDebug() << QThread::currentThreadId() << this;
}

void QovOnlineDeviceFinder::start()
{
    if (m_started) {
        return;
    }
    debugLine() << "start!";
    m_started = true;
    const int result = m_manager.discoveryStart(kSearchPeriodSeconds, kUpnpOnly);
    if (result != 0) {
        debugLine() << "ERROR: failed to start discovery" << result;
        m_started = false;
        return;
    }
    debugLine() << "start OK!";
}

void QovOnlineDeviceFinder::refresh()
{
    m_devices.clear();
    for (const std::shared_ptr<ovlib::Device> &device : m_manager.getDevices()) {
        if (const auto *upnp = dynamic_cast<const ovlib::OvUPnPDevice *>(device.get())) {
            onDeviceAdded(QovOvlibDeviceDiscoveryListener::makeOnlineDevice(*upnp));
        }
    }
    m_manager.discoveryRefresh();
    for (const QString &address : std::as_const(m_addedAddresses)) {
        addByAddress(address);
    }
}

void QovOnlineDeviceFinder::addByAddress(const QString &address)
{
    if (!m_addedAddresses.contains(address)) {
        m_addedAddresses.append(address);
    }
    debugLine() << "ADDRESS" << address << "started";
    auto *watcher = new QFutureWatcher<QovOnlineDeviceModel>();
    auto error = std::make_shared<QString>();
    connect(watcher, &QFutureWatcher<QovOnlineDeviceModel>::finished, this,
            [this, watcher, address, error] {
                const QovOnlineDeviceModel device = watcher->result();
                watcher->deleteLater();
                debugLine() << "ADDRESS" << address << "result:" << *error;
                if (device) {
                    // Whatever discovery reported of this mixer meanwhile is older than this.
                    m_latestReport.remove(identityOf(device));
                    completeAdmission(device, true);
                }
                Q_EMIT addressProbed(address, *error);
            });
    watcher->setFuture(QtConcurrent::run(
        &admissionPool(), [this, address, error] { return probe(address, error.get()); }));
}

QovOnlineDeviceModel QovOnlineDeviceFinder::probe(const QString &address, QString *error) const
{
    const ovlib::AddressProbeResult found = ovlib::probeAddress(address.toStdString());
    if (!found.device) {
        *error = QString::fromStdString(found.error);
        return {};
    }
    const QovOnlineDeviceModel device =
        QovOvlibDeviceDiscoveryListener::makeOnlineDevice(*found.device);
    device->setAddedAddress(address);
    if (!admit(device)) {
        *error = tr("%1 is not a mixer that Velmora can use, or it did not tell who it is.")
                     .arg(device->ipAddress());
        return {};
    }
    return device;
}

void QovOnlineDeviceFinder::onDeviceAdded(QovOnlineDeviceModel device)
{
    startAdmission(device);
}

QString QovOnlineDeviceFinder::identityOf(const QovOnlineDeviceModel &device)
{
    return device->uuid().isEmpty() ? device->ipAddress() : device->uuid();
}

void QovOnlineDeviceFinder::startAdmission(const QovOnlineDeviceModel &device)
{
    const QString identity = identityOf(device);
    const quint64 report = ++m_reports;
    m_latestReport.insert(identity, report);
    // A report of a listed mixer at another address: it moved, or one UDN answers at two
    // addresses. Only the old address can tell, so the check asks there too.
    QString previous, previousMac;
    const int listed = m_devices.indexOfIdentity(device->uuid(), device->ipAddress());
    if (listed >= 0 && !device->uuid().isEmpty()) {
        const QovOnlineDeviceModel entry = m_devices.devices().at(listed);
        if (entry->ipAddress() != device->ipAddress()) {
            previous = entry->ipAddress();
            previousMac = entry->macAddress();
        }
    }
    auto previousAnswers = std::make_shared<bool>(false);
    auto why = std::make_shared<QString>();
    // The check waits on the network, so it runs on the pool and reports back here.
    auto *watcher = new QFutureWatcher<bool>();
    connect(watcher, &QFutureWatcher<bool>::finished, this,
            [this, watcher, device, identity, report, previous, previousAnswers, why] {
                const bool admitted = watcher->result();
                watcher->deleteLater();
                if (admitted) {
                    m_admissionProblems.remove(device->ipAddress());
                } else {
                    m_admissionProblems.insert(device->ipAddress(), *why);
                }
                // A deletion or a newer report of the same device came in while it was checked.
                if (m_latestReport.value(identity) != report) {
                    debugLine() << "ADD" << device->debugText().toUtf8().constData()
                                << "outdated, skip.";
                    return;
                }
                m_latestReport.remove(identity);
                if (admitted && *previousAnswers) {
                    warnTwin(device, previous);
                    return;
                }
                completeAdmission(device, admitted);
            });
    watcher->setFuture(QtConcurrent::run(
        &admissionPool(), [this, device, previous, previousMac, previousAnswers, why] {
            const bool admitted = admit(device, why.get());
            *previousAnswers =
                admitted && !previous.isEmpty() && answersAt(device, previous, previousMac);
            return admitted;
        }));
}

bool QovOnlineDeviceFinder::answersAt(const QovOnlineDeviceModel &device, const QString &address,
                                      const QString &mac) const
{
    auto there = std::make_shared<QovOnlineDeviceModelInternal>(QovDiscoveredDevice{
        QString(), device->uuid(), device->deviceName(), device->modelName(), address});
    std::unique_ptr<QovCgiApi> api{createCgiApi(there)};
    if (!api) {
        return false;
    }
    // A DHCP server may have given the address to another mixer since: that one is no twin.
    const QovCgiApi::DeviceInfo info = api->getDeviceInfo(there).get();
    return info.error.isEmpty() && info.macAddress == mac;
}

void QovOnlineDeviceFinder::warnTwin(const QovOnlineDeviceModel &device, const QString &listedAt)
{
    // Once per pair of addresses: the library reports the pair again on every cycle.
    const QString key =
        device->uuid() + QLatin1Char(' ') + listedAt + QLatin1Char(' ') + device->ipAddress();
    if (!m_warnedTwins.contains(key)) {
        m_warnedTwins.insert(key);
        debugLine() << "WARNING: UDN" << device->uuid() << "answers at" << listedAt << "and"
                    << device->ipAddress() << "; listed once, at" << listedAt;
    }
}

QString QovOnlineDeviceFinder::unsupportedModel(const QString &model)
{
    return QStringLiteral("model \"%1\" is not supported").arg(model);
}

QString QovOnlineDeviceFinder::noDeviceInformation()
{
    return QStringLiteral("did not answer the device information request");
}

bool QovOnlineDeviceFinder::admit(const QovOnlineDeviceModel &device, QString *why) const
{
    const QString name = device->debugText();
    debugLine() << "ADD" << name.toUtf8().constData() << "started" << device->ipAddress();

    if (!QovProgramSettingsModel().compatibleModels().contains(device->modelName())) {
        debugLine() << "ADD" << name.toUtf8().constData() << "is not compatible model, skip.";
        if (why) {
            *why = unsupportedModel(device->modelName());
        }
        return false;
    }

    QovCgiApi::DeviceInfo info;
    info.deviceName = device->deviceName();
    info.deviceId = device->deviceId();
    info.headerColor = device->headerColor();
    info.macAddress = device->macAddress();
    // A compatible model without an API of its own keeps the record as filled: admitted.
    if (std::unique_ptr<QovCgiApi> api{createCgiApi(device)}) {
        info = api->getDeviceInfo(device).get();
    }
    debugLine() << "getDeviceInfo" << name.toUtf8().constData()
                << "result:" << info.error.isEmpty();
    if (!info.error.isEmpty()) {
        debugLine() << "ADD" << name.toUtf8().constData() << "can not get device info,";
        // A mixer that updates its firmware answers, but with nothing to admit it by yet;
        // any other failure looks the same from here, whether silence or an error page.
        if (why) {
            *why = info.error == QLatin1String(QovCgiApi::DeviceInfo::kFirmwareUpdating)
                       ? QStringLiteral("firmware update in progress")
                       : noDeviceInformation();
        }
        return false;
    }

    device->setMacAddress(info.macAddress);
    device->setDeviceId(info.deviceId);
    device->setHeaderColor(info.headerColor);
    device->setOvLink(info.ovLink);
    device->setAuthRequired(info.authRequired);
    device->setLinkedExtensions(info.linkedExtensions);
    return true;
}

void QovOnlineDeviceFinder::completeAdmission(const QovOnlineDeviceModel &device, bool admitted)
{
    const int listed = m_devices.indexOfIdentity(device->uuid(), device->ipAddress());
    if (!admitted) {
        // A listed mixer that moved and no longer passes the check must not stay at its old
        // address.
        if (listed >= 0 && m_devices.devices().at(listed)->ipAddress() != device->ipAddress()) {
            m_devices.removeAt(listed);
            Q_EMIT deviceListChanged();
        }
        return;
    }
    // The same mixer is listed once: a new report replaces its entry in place.
    if (listed >= 0) {
        const QovOnlineDeviceModel previous = m_devices.devices().at(listed);
        // Discovery's report of a mixer the user added by address keeps the mark.
        if (device->addedAddress().isEmpty()) {
            device->setAddedAddress(previous->addedAddress());
        }
        m_devices.replace(listed, device);
    } else {
        m_devices.append(device);
    }
    debugLine() << "ADD" << device->debugText().toUtf8().constData()
                << "completed, deviceList.length =" << m_devices.size();
    Q_EMIT deviceListChanged();
}

void QovOnlineDeviceFinder::onDeviceModified(QovOnlineDeviceModel device)
{
    debugLine() << "MOD" << device->debugText().toUtf8().constData();
    // A mixer at a new address is checked there and then takes over its entry.
    startAdmission(device);
}

void QovOnlineDeviceFinder::onDeviceDeleted(QovOnlineDeviceModel device)
{
    debugLine() << "DEL" << device->debugText().toUtf8().constData();
    m_latestReport.insert(identityOf(device), ++m_reports);
    const int listed = m_devices.indexOfIdentity(device->uuid(), device->ipAddress());
    if (listed >= 0) {
        m_devices.removeAt(listed);
    }
    Q_EMIT deviceListChanged();
}

void QovOnlineDeviceFinder::moveDevice(const QModelIndex &, int start, int end, const QModelIndex &,
                                       int row)
{
    debugLine() << "moved," << start << "~" << end << "->" << row;
    debugLine() << "moveding," << start << "->" << QovOnlineDeviceList::dropTarget(start, row);
    m_devices.move(start, row);
    Q_EMIT deviceListChanged();
}

QList<QovOnlineDeviceModel> QovOnlineDeviceFinder::getAll() const
{
    debugLine() << "getAll()" << m_devices.size();
    return m_devices.devices();
}

QList<QovOnlineDeviceModel>
QovOnlineDeviceFinder::getAllByDeviceType(QovDeviceSelector::DeviceType type) const
{
    return m_devices.byDeviceType(type);
}

void QovOnlineDeviceFinder::sortBy(int column, int order)
{
    m_devices.sortBy(column, order);
}

QovOnlineDeviceModel QovOnlineDeviceFinder::findByAppDevice(const QovAppDeviceModel &device) const
{
    const QList<QovOnlineDeviceModel> found = m_devices.findAllByAppDevice(device);
    if (found.size() > 1) {
        QStringList addresses;
        for (const QovOnlineDeviceModel &online : found) {
            addresses.append(online->ipAddress());
        }
        debugLine() << "WARNING: mixers at" << addresses.join(QStringLiteral(", "))
                    << "all answer with MAC" << device->macAddress() << "; none is chosen for"
                    << device->debugText();
        return {};
    }
    return found.value(0);
}

QList<QovOnlineDeviceModel>
QovOnlineDeviceFinder::findAllByAppDevice(const QovAppDeviceModel &device) const
{
    return m_devices.findAllByAppDevice(device);
}
