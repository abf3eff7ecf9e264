#include "discovery/qovonlinedevicelist.h"

#include <algorithm>

using Lock = std::lock_guard<std::mutex>;

QList<QovOnlineDeviceModel> QovOnlineDeviceList::devices() const
{
    const Lock lock(m_lock);
    return m_devices;
}

int QovOnlineDeviceList::size() const
{
    const Lock lock(m_lock);
    return m_devices.size();
}

void QovOnlineDeviceList::clear()
{
    const Lock lock(m_lock);
    m_devices.clear();
}

void QovOnlineDeviceList::append(const QovOnlineDeviceModel &device)
{
    const Lock lock(m_lock);
    m_devices.append(device);
}

void QovOnlineDeviceList::removeAt(int index)
{
    const Lock lock(m_lock);
    m_devices.removeAt(index);
}

void QovOnlineDeviceList::replace(int index, const QovOnlineDeviceModel &device)
{
    const Lock lock(m_lock);
    m_devices[index] = device;
}

void QovOnlineDeviceList::move(int start, int row)
{
    const Lock lock(m_lock);
    const int target = dropTarget(start, row);
    if (target != start && start >= 0 && start < m_devices.size() && target >= 0 &&
        target < m_devices.size()) {
        m_devices.move(start, target);
    }
}

int QovOnlineDeviceList::indexOfIdentity(const QString &uuid, const QString &ipAddress) const
{
    const Lock lock(m_lock);
    for (int i = 0; i < m_devices.size(); ++i) {
        if (uuid.isEmpty() ? m_devices.at(i)->ipAddress() == ipAddress
                           : m_devices.at(i)->uuid() == uuid) {
            return i;
        }
    }
    return -1;
}

namespace {
template<typename Key>
void sortByKey(QList<QovOnlineDeviceModel> &devices, bool ascending, Key key)
{
    // std::sort on purpose: the order of equal keys is not promised to anyone.
    std::sort(devices.begin(), devices.end(),
              [&](const QovOnlineDeviceModel &a, const QovOnlineDeviceModel &b) {
                  return ascending ? key(a) < key(b) : key(b) < key(a);
              });
}
} // namespace

void QovOnlineDeviceList::sortBy(int column, int order)
{
    const bool ascending = order == 1;
    const Lock lock(m_lock);
    switch (column) {
    case 0:
        // QString's operator< compares UTF-16 code units, case-sensitively.
        sortByKey(m_devices, ascending,
                  [](const QovOnlineDeviceModel &d) { return d->deviceName(); });
        break;
    case 1:
        sortByKey(m_devices, ascending,
                  [](const QovOnlineDeviceModel &d) { return d->ipSortKey(); });
        break;
    case 2:
        sortByKey(m_devices, ascending,
                  [](const QovOnlineDeviceModel &d) { return d->deviceId(); });
        break;
    default:
        break;
    }
}

QList<QovOnlineDeviceModel>
QovOnlineDeviceList::byDeviceType(QovDeviceSelector::DeviceType type) const
{
    const QString modelName = QovDeviceSelector::modelName(type);
    const Lock lock(m_lock);
    QList<QovOnlineDeviceModel> result;
    for (const QovOnlineDeviceModel &device : m_devices) {
        if (device->modelName() == modelName) {
            result.append(device);
        }
    }
    return result;
}

QovOnlineDeviceModel QovOnlineDeviceList::findByAppDevice(const QovAppDeviceModel &device) const
{
    return findAllByAppDevice(device).value(0);
}

QList<QovOnlineDeviceModel>
QovOnlineDeviceList::findAllByAppDevice(const QovAppDeviceModel &device) const
{
    const QString modelName = QovDeviceSelector::modelName(device->deviceType());
    const QString mac = device->macAddress();
    const Lock lock(m_lock);
    QList<QovOnlineDeviceModel> found;
    for (const QovOnlineDeviceModel &online : m_devices) {
        if (online->macAddress() == mac && online->modelName() == modelName) {
            found.append(online);
        }
    }
    return found;
}
