#pragma once

#include <memory>

namespace ovlib {

class Device;

enum DiscoveryEvent { DEVICE_ADDED = 0, DEVICE_MODIFIED = 1, DEVICE_DELETED = 2 };

// Receives discovery events on a thread of the device manager, never on the caller's thread.
class DiscoveryListener
{
public:
    virtual ~DiscoveryListener() = default;
    virtual void onDiscoveryEvent(const std::shared_ptr<Device> &device, DiscoveryEvent event) = 0;
};

} // namespace ovlib
