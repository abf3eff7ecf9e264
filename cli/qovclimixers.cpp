#include "cli/qovclimixers.h"

#include "discovery/qovonlinedevicefinder.h"
#include "models/qovlinkgrouporder.h"
#include "models/qovprogramsettingsmodel.h"
#include "ovlib/devicemanager.h"
#include "ovlib/ovupnpdevice.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace {

// Every mixer answers a search within its MX (1 s) and is admitted soon after (tens of
// milliseconds on a local network). A mixer wanted by MAC address is not taken before then,
// so that a second one answering with the same address is seen rather than missed by a
// command that would then overwrite the first.
constexpr int kSettleMs = 2000;

bool sameMac(const QString &a, const QString &b)
{
    auto digits = [](QString mac) {
        return mac.toUpper().remove(QLatin1Char(':')).remove(QLatin1Char('-'));
    };
    return !a.isEmpty() && digits(a) == digits(b);
}

QString dotted(const std::array<uint8_t, 4> &address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address[0])
        .arg(address[1])
        .arg(address[2])
        .arg(address[3]);
}

} // namespace

void QovCliMixers::discover(int seconds, const QStringList &wantedAddresses,
                            const QStringList &wantedMacs, const QStringList &askAddresses)
{
    QovOnlineDeviceFinder *finder = QovOnlineDeviceFinder::instance();
    // Starting searches at once; a refresh now would only collide with that first search and
    // put a warning on the user's terminal.
    finder->start();

    int unanswered = askAddresses.size();
    QMetaObject::Connection probed =
        QObject::connect(finder, &QovOnlineDeviceFinder::addressProbed,
                         [&](const QString &address, const QString &error) {
                             if (askAddresses.contains(address)) {
                                 --unanswered;
                                 if (!error.isEmpty()) {
                                     m_askProblems.insert(address, error);
                                 }
                             }
                         });
    for (const QString &address : askAddresses) {
        finder->addByAddress(address);
    }

    const bool waitForAll = wantedAddresses.isEmpty() && wantedMacs.isEmpty();
    // Set by the settle timer itself, not read off a clock: a timer may fire a little early,
    // and a clock that then still reads short of the time leaves nothing to end the wait but
    // the deadline.
    bool settledDown = wantedMacs.isEmpty();
    auto allFound = [&]() {
        if (waitForAll || unanswered > 0 || !settledDown) {
            return false;
        }
        const QList<QovOnlineDeviceModel> devices = finder->getAll();
        auto has = [&](auto predicate) {
            return std::any_of(devices.begin(), devices.end(), predicate);
        };
        for (const QString &address : wantedAddresses) {
            if (!has([&](const QovOnlineDeviceModel &d) { return d->ipAddress() == address; })) {
                return false;
            }
        }
        for (const QString &mac : wantedMacs) {
            if (!has(
                    [&](const QovOnlineDeviceModel &d) { return sameMac(d->macAddress(), mac); })) {
                return false;
            }
        }
        return true;
    };

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    // An address asked directly is waited for past the deadline: its answer is bounded by the
    // request deadlines, and a mixer dropped half-way would be reported as missing.
    bool expired = false;
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&]() {
        expired = true;
        if (unanswered <= 0) {
            loop.quit();
        }
    });
    QObject::connect(finder, &QovOnlineDeviceFinder::deviceListChanged, &loop, [&]() {
        if (allFound()) {
            loop.quit();
        }
    });
    QObject::connect(finder, &QovOnlineDeviceFinder::addressProbed, &loop, [&]() {
        if (allFound() || (expired && unanswered <= 0)) {
            loop.quit();
        }
    });
    deadline.start(seconds * 1000);
    QTimer settled;
    settled.setSingleShot(true);
    QObject::connect(&settled, &QTimer::timeout, &loop, [&]() {
        settledDown = true;
        if (allFound()) {
            loop.quit();
        }
    });
    if (!wantedMacs.isEmpty()) {
        settled.start(kSettleMs);
    }
    if (!allFound()) {
        loop.exec();
    }
    QObject::disconnect(probed);
}

QList<QovOnlineDeviceModel> QovCliMixers::admitted() const
{
    // By address first, so that two runs against the same network list the same order.
    QList<QovOnlineDeviceModel> devices = QovOnlineDeviceFinder::instance()->getAll();
    std::stable_sort(devices.begin(), devices.end(),
                     [](const QovOnlineDeviceModel &a, const QovOnlineDeviceModel &b) {
                         return a->ipSortKey() < b->ipSortKey();
                     });
    return qovLinkGroupOrder(devices);
}

QovOnlineDeviceModel QovCliMixers::byAddress(const QString &ipAddress) const
{
    for (const QovOnlineDeviceModel &device : QovOnlineDeviceFinder::instance()->getAll()) {
        if (device->ipAddress() == ipAddress) {
            return device;
        }
    }
    return nullptr;
}

QList<QovOnlineDeviceModel> QovCliMixers::byMacAddress(const QString &macAddress) const
{
    QList<QovOnlineDeviceModel> found;
    for (const QovOnlineDeviceModel &device : admitted()) {
        if (sameMac(device->macAddress(), macAddress)) {
            found.append(device);
        }
    }
    return found;
}

QString QovCliMixers::sameMacText(const QList<QovOnlineDeviceModel> &mixers)
{
    QStringList addresses;
    for (const QovOnlineDeviceModel &mixer : mixers) {
        addresses.append(mixer->ipAddress());
    }
    return QStringLiteral("mixers at %1 all answer with MAC address %2")
        .arg(addresses.join(QStringLiteral(", ")), mixers.value(0)->macAddress());
}

QList<QovCliMixers::Seen> QovCliMixers::notAdmitted() const
{
    const QStringList compatible = QovProgramSettingsModel().compatibleModels();
    QList<Seen> seen;
    for (const auto &device : ovlib::DeviceManager::getInstance().getDevices()) {
        const auto mixer = std::dynamic_pointer_cast<ovlib::OvUPnPDevice>(device);
        if (!mixer) {
            continue;
        }
        Seen entry;
        entry.name = QString::fromStdString(mixer->friendlyName());
        entry.model = QString::fromStdString(mixer->modelName());
        entry.ipAddress = dotted(mixer->ipAddress());
        if (byAddress(entry.ipAddress)) {
            continue;
        }
        entry.supported = compatible.contains(entry.model);
        entry.reason = QovOnlineDeviceFinder::instance()->admissionProblem(entry.ipAddress);
        if (entry.reason.isEmpty()) {
            // Still being admitted when the search ended.
            entry.reason = entry.supported ? QovOnlineDeviceFinder::noDeviceInformation()
                                           : QovOnlineDeviceFinder::unsupportedModel(entry.model);
        }
        seen.append(entry);
    }
    // Mixers that answered the search but whose description could not be used: without them
    // a mixer with a broken web server would simply be missing from the list.
    for (const auto &refusal : ovlib::DeviceManager::getInstance().getRefusals()) {
        const QString address = dotted(refusal.address);
        const bool listed = std::any_of(seen.begin(), seen.end(), [&](const Seen &other) {
            return other.ipAddress == address;
        });
        // An address asked directly reports its own problem.
        if (listed || byAddress(address) || m_askProblems.contains(address)) {
            continue;
        }
        seen.append({QString(), QString(), address, QString::fromStdString(refusal.reason), true});
    }
    return seen;
}

QString QovCliMixers::Seen::describe() const
{
    return name.isEmpty() ? ipAddress : QStringLiteral("%1 (%2, %3)").arg(name, model, ipAddress);
}

QString QovCliMixers::notAdmittedReason(const QString &address) const
{
    if (m_askProblems.contains(address)) {
        return m_askProblems.value(address);
    }
    for (const Seen &seen : notAdmitted()) {
        if (seen.ipAddress == address) {
            return seen.reason;
        }
    }
    return QString();
}
