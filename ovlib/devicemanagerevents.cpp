// The search callbacks of the device manager: they run on the control point's threads.
#include "ovlib/devicemanagerimpl.h"

#include "ovlib/discoverylistener.h"
#include "ovlib/ovupnpdevice.h"

#include <algorithm>
#include <iostream>

namespace ovlib {

void DeviceManager::DeviceManagerImpl::report(const std::shared_ptr<Device> &device, int event,
                                              const char *noListener)
{
    std::shared_ptr<DiscoveryListener> listener;
    {
        std::lock_guard<std::mutex> lock(m_listenerMutex);
        listener = m_listener.lock();
    }
    if (!listener) {
        std::cerr << noListener;
        return;
    }
    listener->onDiscoveryEvent(device, static_cast<DiscoveryEvent>(event));
}

void DeviceManager::DeviceManagerImpl::onUpnpDeviceAdded(
    const std::shared_ptr<OvUPnPDevice> &device)
{
    {
        std::lock_guard<std::mutex> lock(m_cycleMutex);
        auto same = std::find_if(m_cycleList.begin(), m_cycleList.end(),
                                 [&](const auto &entry) { return entry->isSameDevice(device); });
        if (same != m_cycleList.end()) {
            *same = device;
        } else {
            m_cycleList.push_back(device);
        }
    }
    const int result = m_upnpDevList.ConcurrentAddReplace(device);
    switch (result) {
    case internal::DeviceList::Added:
        report(device, DEVICE_ADDED,
               "Warning: onUpnpDeviceAdded - Discovery listener not found.\n");
        break;
    case internal::DeviceList::Replaced:
        // A re-announced device silently replaces its old object.
        break;
    case internal::DeviceList::BadArgument:
        std::cerr << "Error adding UPnP device to device list!\n";
        break;
    default:
        std::cerr << "Error: upnpDevList_.ConcurrentAddReplace: unknown result=" << result << '\n';
    }
}

void DeviceManager::DeviceManagerImpl::onUpnpDeviceRemoved(const std::string &udn)
{
    {
        std::lock_guard<std::mutex> lock(m_cycleMutex);
        auto same = std::find_if(m_cycleList.begin(), m_cycleList.end(),
                                 [&](const auto &entry) { return internal::udnOf(entry) == udn; });
        if (same != m_cycleList.end()) {
            m_cycleList.erase(same);
        }
    }
    std::shared_ptr<Device> removed;
    const int result = m_upnpDevList.ConcurrentRemoveUpnp(udn, removed);
    switch (result) {
    case internal::DeviceList::Removed:
        report(removed, DEVICE_DELETED, "Discovery listener not registered.\n");
        break;
    case internal::DeviceList::NotFound:
        std::cerr << "UPNP device removed callback called, but device not found in list. UDN="
                  << udn << '\n';
        break;
    case internal::DeviceList::BadArgument:
        std::cerr << "Error adding device to device list!\n";
        break;
    default:
        std::cerr << "upnpDevList_.ConcurrentRemoveUpnp: unknown result=" << result << '\n';
    }
}

void DeviceManager::DeviceManagerImpl::onByebye(const std::string &udn,
                                                const std::array<uint8_t, 4> &from)
{
    // Only the device itself may announce its departure.
    for (const auto &device : m_upnpDevList.copy()) {
        if (internal::udnOf(device) == udn) {
            if (static_cast<const OvUPnPDevice &>(*device).ipAddress() == from) {
                onUpnpDeviceRemoved(udn);
            }
            return;
        }
    }
}

void DeviceManager::DeviceManagerImpl::beginCycle()
{
    std::lock_guard<std::mutex> lock(m_cycleMutex);
    m_cycleList.clear();
}

void DeviceManager::DeviceManagerImpl::onSearchComplete()
{
    const std::vector<std::shared_ptr<Device>> listed = m_upnpDevList.copy();
    std::vector<std::shared_ptr<Device>> answered;
    {
        std::lock_guard<std::mutex> lock(m_cycleMutex);
        answered = m_cycleList;
    }
    if (!listed.empty() && listed.size() != answered.size()) {
        for (const auto &device : listed) {
            const bool seen = std::any_of(answered.begin(), answered.end(),
                                          [&](const auto &e) { return e->isSameDevice(device); });
            if (seen) {
                continue;
            }
            const std::string udn = internal::udnOf(device);
            std::shared_ptr<Device> removed;
            const int result = m_upnpDevList.ConcurrentRemoveUpnp(udn, removed);
            if (result == internal::DeviceList::Removed) {
                report(removed, DEVICE_DELETED, "Discovery listener not registered.\n");
            } else if (result != internal::DeviceList::NotFound) {
                std::cerr << "Error trying to remove device from device list. UUID=" << udn << '\n';
            }
        }
    }
    m_searchCompleted = true;
}

} // namespace ovlib
