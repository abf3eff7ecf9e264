#pragma once

#include "models/qovonlinedevicemodel.h"
#include "ovlib/discoverylistener.h"

#include <QObject>

namespace ovlib {
class OvUPnPDevice;
}

// Turns the device library's discovery events into Qt signals. Events arrive on the library's
// threads; receivers in the GUI thread get them queued.
class QovOvlibDeviceDiscoveryListener : public QObject, public ovlib::DiscoveryListener
{
    Q_OBJECT

public:
    explicit QovOvlibDeviceDiscoveryListener(QObject *parent = nullptr);

    void onDiscoveryEvent(const std::shared_ptr<ovlib::Device> &device,
                          ovlib::DiscoveryEvent event) override;

    // A fresh online device model for a device the library found, owned by the GUI thread.
    static QovOnlineDeviceModel makeOnlineDevice(const ovlib::OvUPnPDevice &device);

Q_SIGNALS:
    void deviceAdded(QovOnlineDeviceModel device);
    void deviceModified(QovOnlineDeviceModel device);
    void deviceDeleted(QovOnlineDeviceModel device);
};
