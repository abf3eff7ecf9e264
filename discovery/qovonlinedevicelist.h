#pragma once

#include "models/qovappdevicemodel.h"
#include "models/qovdeviceselector.h"
#include "models/qovonlinedevicemodel.h"

#include <QList>

#include <mutex>

// The ordered list of admitted online devices and the ways dialogs reorder and search it.
// The GUI thread changes it; a project that opens looks its mixers up from the loader thread
// at the same time, so every access holds the lock. Readers get copies, which cost a reference
// count: QList shares its data until one side writes.
class QovOnlineDeviceList
{
public:
    QList<QovOnlineDeviceModel> devices() const;
    int size() const;
    void clear();
    void append(const QovOnlineDeviceModel &device);

    // A list view reports a row dropped before `row`; that is index row-1 when moving down.
    static int dropTarget(int start, int row) { return start < row ? row - 1 : row; }
    // Moves the entry at `start` to dropTarget(start, row) when both are valid indices.
    void move(int start, int row);

    // The entry of a device: the one with its UDN, else (for a device without one) the one at
    // its address; -1 when none.
    int indexOfIdentity(const QString &uuid, const QString &ipAddress) const;
    void removeAt(int index);
    void replace(int index, const QovOnlineDeviceModel &device);

    // Column 0 device name, 1 IP address (numeric), 2 device id; other columns leave the list.
    // Order 1 is ascending, every other value descending. Equal keys may change places.
    void sortBy(int column, int order);

    QList<QovOnlineDeviceModel> byDeviceType(QovDeviceSelector::DeviceType type) const;

    // The first device with the project device's MAC address and the model name of its type.
    QovOnlineDeviceModel findByAppDevice(const QovAppDeviceModel &device) const;
    // All of them, in list order.
    QList<QovOnlineDeviceModel> findAllByAppDevice(const QovAppDeviceModel &device) const;

private:
    mutable std::mutex m_lock;
    QList<QovOnlineDeviceModel> m_devices;
};
