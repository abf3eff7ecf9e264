#include "models/qovlinkgrouporder.h"

#include <QSet>

#include <algorithm>

QList<QovOnlineDeviceModel> qovLinkGroupOrder(const QList<QovOnlineDeviceModel> &devices)
{
    // Serial numbers that some listed device names as its extension unit.
    QSet<int> named;
    for (const QovOnlineDeviceModel &device : devices) {
        for (const auto &pair : device->linkedExtensions()) {
            named.insert(std::get<0>(pair));
        }
    }
    QList<QovOnlineDeviceModel> main;
    QList<QovOnlineDeviceModel> extensions;
    for (const QovOnlineDeviceModel &device : devices) {
        const bool isNamedExtension = device->ovLink() == QovOnlineDeviceModelInternal::EXTENSION &&
                                      named.contains(device->serial());
        (isNamedExtension ? extensions : main).append(device);
    }
    QList<QovOnlineDeviceModel> ordered;
    for (const QovOnlineDeviceModel &device : main) {
        ordered.append(device);
        auto pairs = device->linkedExtensions();
        std::stable_sort(pairs.begin(), pairs.end(), [](const auto &a, const auto &b) {
            return std::get<1>(a) < std::get<1>(b);
        });
        for (const auto &pair : pairs) {
            const auto it = std::find_if(extensions.begin(), extensions.end(),
                                         [&](const QovOnlineDeviceModel &extension) {
                                             return extension->serial() == std::get<0>(pair);
                                         });
            if (it != extensions.end()) {
                ordered.append(*it);
                extensions.erase(it);
            }
        }
    }
    // Extension units whose naming device is itself an extension unit are left over here; they
    // are not shown in a list of groups.
    return ordered;
}
