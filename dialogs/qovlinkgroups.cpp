#include "dialogs/qovlinkgroups.h"

#include <QSet>

#include <algorithm>

QList<QovOnlineDeviceModel> orderByLinkGroups(const QList<QovOnlineDeviceModel> &devices)
{
    QSet<int> namedSerials;
    for (const QovOnlineDeviceModel &device : devices) {
        for (const auto &[serial, unitNumber] : device->linkedExtensions()) {
            Q_UNUSED(unitNumber)
            namedSerials.insert(serial);
        }
    }

    QList<QovOnlineDeviceModel> mainList;
    QList<QovOnlineDeviceModel> extensions;
    for (const QovOnlineDeviceModel &device : devices) {
        const bool groupedExtension = device->ovLink() == QovOnlineDeviceModelInternal::EXTENSION &&
                                      namedSerials.contains(device->serial());
        (groupedExtension ? extensions : mainList).append(device);
    }

    QList<QovOnlineDeviceModel> ordered;
    ordered.reserve(devices.size());
    for (const QovOnlineDeviceModel &device : mainList) {
        ordered.append(device);
        QovLinkedExtensions units = device->linkedExtensions();
        std::stable_sort(units.begin(), units.end(), [](const auto &a, const auto &b) {
            return std::get<1>(a) < std::get<1>(b);
        });
        for (const auto &[serial, unitNumber] : units) {
            Q_UNUSED(unitNumber)
            const auto found = std::find_if(
                extensions.begin(), extensions.end(),
                [serial = serial](const QovOnlineDeviceModel &e) { return e->serial() == serial; });
            if (found != extensions.end()) {
                ordered.append(*found);
                extensions.erase(found);
            }
        }
    }
    return ordered;
}
