#include "ovlib/devicelist.h"

#include "ovlib/ovupnpdevice.h"

#include <iostream>

namespace ovlib::internal {

std::string udnOf(const std::shared_ptr<Device> &device)
{
    if (device && device->getType() == 1) {
        return static_cast<const OvUPnPDevice &>(*device).udn();
    }
    return std::string();
}

int DeviceList::ConcurrentAddReplace(const std::shared_ptr<Device> &device)
{
    std::shared_ptr<Device> previous;
    return ConcurrentAddReplace(device, previous);
}

int DeviceList::ConcurrentAddReplace(const std::shared_ptr<Device> &device,
                                     std::shared_ptr<Device> &previous)
{
    if (!device) {
        std::cerr << "Called ConcurrentAddReplace with null pointer!\n";
        return BadArgument;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto &entry : m_devices) {
        if (device->isSameDevice(entry)) {
            previous = entry;
            entry = device;
            return Replaced;
        }
    }
    m_devices.push_back(device);
    return Added;
}

int DeviceList::ConcurrentRemoveUpnp(const std::string &udn, std::shared_ptr<Device> &removed)
{
    if (udn.empty()) {
        std::cerr << "Called ConcurrentRemoveUpnp with empty string!\n";
        return BadArgument;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_devices.begin(); it != m_devices.end(); ++it) {
        if (udnOf(*it) == udn) {
            removed = *it;
            m_devices.erase(it);
            return Removed;
        }
    }
    return NotFound;
}

std::vector<std::shared_ptr<Device>> DeviceList::copy() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_devices;
}

std::shared_ptr<Device> DeviceList::findUpnp(const std::string &udn) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto &entry : m_devices) {
        if (!udn.empty() && udnOf(entry) == udn) {
            return entry;
        }
    }
    return nullptr;
}

void DeviceList::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_devices.clear();
}

} // namespace ovlib::internal
