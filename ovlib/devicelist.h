#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ovlib {
class Device;
}

namespace ovlib::internal {

// The discovery's device list with its own lock; readers always get a copy.
class DeviceList
{
public:
    enum Result { Added = 0, Replaced = 1, Removed = 2, NotFound = 3, BadArgument = 4 };

    // Replaces the first entry that the new device isSameDevice, else appends.
    int ConcurrentAddReplace(const std::shared_ptr<Device> &device);
    // The same, handing out the entry that was replaced.
    int ConcurrentAddReplace(const std::shared_ptr<Device> &device,
                             std::shared_ptr<Device> &previous);
    // Hands out and erases the first UPnP device with that UDN.
    int ConcurrentRemoveUpnp(const std::string &udn, std::shared_ptr<Device> &removed);

    std::vector<std::shared_ptr<Device>> copy() const;
    // The listed device with that UDN, null when none.
    std::shared_ptr<Device> findUpnp(const std::string &udn) const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<Device>> m_devices;
};

// The UDN of a UPnP device, empty for any other device.
std::string udnOf(const std::shared_ptr<Device> &device);

} // namespace ovlib::internal
