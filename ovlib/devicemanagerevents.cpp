// The search and announcement callbacks of the device manager: they run on the control point's
// threads and hand their events to the delivery thread.
#include "ovlib/devicemanagerimpl.h"

#include "ovlib/discoverylistener.h"
#include "ovlib/fetchscheduler.h"
#include "ovlib/ovupnpdevice.h"
#include "ovlib/ssdpsearch.h"
#include "ovlib/upnpdevicebuilder.h"

#include <algorithm>
#include <iostream>

namespace ovlib {

namespace {
// A goodbye older than this can no longer overtake a fetch.
constexpr auto FarewellMemory = std::chrono::seconds(60);

const std::array<uint8_t, 4> &addressOf(const std::shared_ptr<Device> &device)
{
    return static_cast<const OvUPnPDevice &>(*device).ipAddress();
}
} // namespace

void DeviceManager::DeviceManagerImpl::report(const std::shared_ptr<Device> &device, int event,
                                              const char *noListener)
{
    m_events.post([this, device, event, noListener] {
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
    });
}

void DeviceManager::DeviceManagerImpl::flushEvents()
{
    m_events.flush();
}

void DeviceManager::DeviceManagerImpl::notePresentLocked(const std::string &udn, long maxAgeSeconds)
{
    m_cycleSeen.insert(udn);
    Presence &presence = m_presence[udn];
    presence.missed = 0;
    if (maxAgeSeconds >= 0) {
        presence.expires = Clock::now() + std::chrono::seconds(maxAgeSeconds);
    }
}

void DeviceManager::DeviceManagerImpl::acceptLocked(const std::shared_ptr<OvUPnPDevice> &device,
                                                    const std::string &location, long maxAgeSeconds)
{
    auto same = std::find_if(m_cycleList.begin(), m_cycleList.end(),
                             [&](const auto &entry) { return entry->isSameDevice(device); });
    if (same != m_cycleList.end()) {
        *same = device;
    } else {
        m_cycleList.push_back(device);
    }
    notePresentLocked(device->udn(), maxAgeSeconds);
    m_refusals.erase(device->ipAddress());
    if (!location.empty()) {
        m_presence[device->udn()].location = location;
    }
    std::shared_ptr<Device> previous;
    const int result = m_upnpDevList.ConcurrentAddReplace(device, previous);
    switch (result) {
    case internal::DeviceList::Added:
        report(device, DEVICE_ADDED,
               "Warning: onUpnpDeviceAdded - Discovery listener not found.\n");
        break;
    case internal::DeviceList::Replaced:
        // A re-announced device silently replaces its old object; one that moved to another
        // address is reported, so that its users follow it.
        if (previous && previous->getType() == 1 && addressOf(previous) != device->ipAddress()) {
            report(device, DEVICE_MODIFIED,
                   "Warning: onUpnpDeviceAdded - Discovery listener not found.\n");
        }
        break;
    case internal::DeviceList::BadArgument:
        std::cerr << "Error adding UPnP device to device list!\n";
        break;
    default:
        std::cerr << "Error: upnpDevList_.ConcurrentAddReplace: unknown result=" << result << '\n';
    }
}

void DeviceManager::DeviceManagerImpl::onUpnpDeviceAdded(
    const std::shared_ptr<OvUPnPDevice> &device)
{
    if (!device) {
        std::cerr << "Called ConcurrentAddReplace with null pointer!\n"
                  << "Error adding UPnP device to device list!\n";
        return;
    }
    std::lock_guard<std::mutex> lock(m_stateMutex);
    acceptLocked(device, std::string(), -1);
}

void DeviceManager::DeviceManagerImpl::onDescribed(const std::shared_ptr<OvUPnPDevice> &device,
                                                   const internal::SsdpAnnouncement &announcement)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    // A goodbye from the device itself after it answered wins over the fetch that was under way.
    const auto farewell = m_farewells.find(device->udn());
    if (farewell != m_farewells.end() && farewell->second.at >= announcement.at &&
        farewell->second.from == device->ipAddress()) {
        return;
    }
    acceptLocked(device, announcement.location, announcement.maxAgeSeconds);
}

void DeviceManager::DeviceManagerImpl::onRefused(const internal::SsdpAnnouncement &announcement,
                                                 const std::string &reason)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_refusals[announcement.responder] = reason;
}

std::vector<DeviceManager::Refusal> DeviceManager::DeviceManagerImpl::getRefusals() const
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    std::vector<Refusal> refusals;
    for (const auto &[address, reason] : m_refusals) {
        refusals.push_back({address, reason});
    }
    return refusals;
}

void DeviceManager::DeviceManagerImpl::onAnswered(const internal::SsdpAnnouncement &answer)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    const std::shared_ptr<Device> listed = m_upnpDevList.findUpnp(answer.udn);
    if (listed && addressOf(listed) == answer.responder) {
        notePresentLocked(answer.udn, answer.maxAgeSeconds);
    }
}

void DeviceManager::DeviceManagerImpl::onAlive(const internal::SsdpAnnouncement &alive)
{
    const std::string pending =
        alive.udn + ' ' + alive.location + ' ' + IPEndPoint(alive.responder, 0).addressText();
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        const std::shared_ptr<Device> listed = m_upnpDevList.findUpnp(alive.udn);
        if (listed && addressOf(listed) == alive.responder &&
            m_presence[alive.udn].location == alive.location) {
            notePresentLocked(alive.udn, alive.maxAgeSeconds);
            return;
        }
        // New, moved or changed: described at once rather than at the next search.
        if (!m_pendingAnnouncements.insert(pending).second) {
            return;
        }
    }
    const bool queued = m_announcementFetches->submit(
        alive.responder,
        [this, alive, pending] {
            std::string why;
            const auto device =
                internal::buildUpnpDevice(alive.location, alive.responder, alive.udn, &why);
            if (device) {
                onDescribed(device, alive);
            } else {
                onRefused(alive, why);
            }
            std::lock_guard<std::mutex> lock(m_stateMutex);
            m_pendingAnnouncements.erase(pending);
        },
        Clock::now() + std::chrono::milliseconds(AnnouncementStartMs));
    if (!queued) {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_pendingAnnouncements.erase(pending);
    }
}

void DeviceManager::DeviceManagerImpl::removeLocked(const std::string &udn)
{
    auto same = std::find_if(m_cycleList.begin(), m_cycleList.end(),
                             [&](const auto &entry) { return internal::udnOf(entry) == udn; });
    if (same != m_cycleList.end()) {
        m_cycleList.erase(same);
    }
    m_cycleSeen.erase(udn);
    m_presence.erase(udn);
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

void DeviceManager::DeviceManagerImpl::onUpnpDeviceRemoved(const std::string &udn)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    removeLocked(udn);
}

void DeviceManager::DeviceManagerImpl::onByebye(const std::string &udn,
                                                const std::array<uint8_t, 4> &from)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    const auto now = Clock::now();
    for (auto it = m_farewells.begin(); it != m_farewells.end();) {
        it = now - it->second.at > FarewellMemory ? m_farewells.erase(it) : std::next(it);
    }
    m_farewells[udn] = Farewell{now, from};
    // Only the device itself may announce its departure.
    const std::shared_ptr<Device> listed = m_upnpDevList.findUpnp(udn);
    if (listed && addressOf(listed) == from) {
        removeLocked(udn);
    }
}

void DeviceManager::DeviceManagerImpl::beginCycle()
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_cycleList.clear();
    m_cycleSeen.clear();
}

void DeviceManager::DeviceManagerImpl::onSearchComplete()
{
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        const auto now = Clock::now();
        for (const auto &device : m_upnpDevList.copy()) {
            const std::string udn = internal::udnOf(device);
            Presence &presence = m_presence[udn];
            if (m_cycleSeen.count(udn) != 0) {
                presence.missed = 0;
            } else {
                ++presence.missed;
            }
            if (presence.missed < MissedCyclesToExpire && now < presence.expires) {
                continue;
            }
            std::shared_ptr<Device> removed;
            m_presence.erase(udn);
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

void DeviceManager::DeviceManagerImpl::expireOverdue()
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    const auto now = Clock::now();
    for (const auto &device : m_upnpDevList.copy()) {
        const std::string udn = internal::udnOf(device);
        const auto presence = m_presence.find(udn);
        if (presence != m_presence.end() && now >= presence->second.expires) {
            removeLocked(udn);
        }
    }
}

} // namespace ovlib
