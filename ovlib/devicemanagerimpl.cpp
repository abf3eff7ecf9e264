#include "ovlib/devicemanagerimpl.h"

#include "ovlib/discoverylistener.h"
#include "ovlib/fetchscheduler.h"
#include "ovlib/overror.h"
#include "ovlib/ovupnpdevice.h"
#include "ovlib/ssdpnotifylistener.h"
#include "ovlib/ssdpsearch.h"

#include <chrono>
#include <iostream>

namespace ovlib {

namespace {
constexpr unsigned UpnpFlag = 0x1;
constexpr unsigned SecondMethodFlag = 0x4;
// How often the discovery thread looks for devices whose max-age has passed.
constexpr auto ExpiryCheck = std::chrono::seconds(1);
} // namespace

DeviceManager::DeviceManagerImpl::DeviceManagerImpl()
    : m_announcementFetches(std::make_unique<internal::FetchScheduler>(2, 2))
{
}

DeviceManager::DeviceManagerImpl::~DeviceManagerImpl()
{
    if (m_active) {
        discoveryStop();
    }
    // Unlike discoveryStop, destruction must not leave the thread running on freed state.
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_announcementFetches->cancel();
}

int DeviceManager::DeviceManagerImpl::setDiscoveryListener(
    const std::shared_ptr<DiscoveryListener> &listener)
{
    if (!listener) {
        std::cerr << "Error: DeviceManager::DeviceManagerImpl::setDiscoveryListener: "
                  << "Discovery listener is null!\n";
        return OV_ERR_INVALID_PARAMETER;
    }
    std::lock_guard<std::mutex> lock(m_listenerMutex);
    m_listener = listener;
    return OV_SUCCESS;
}

int DeviceManager::DeviceManagerImpl::discoveryStart(unsigned pollingSeconds, unsigned flags)
{
    if (pollingSeconds < 10 || pollingSeconds > 3600 ||
        (flags & ~(UpnpFlag | SecondMethodFlag)) != 0) {
        return OV_ERR_INVALID_PARAMETER;
    }
    if (!m_threadRunning) {
        m_active = false;
    }
    const char *prefix = "Error: DeviceManager::DeviceManagerImpl::discoveryStart(): ";
    if (m_active) {
        std::cerr << prefix << "Discovery already active.\n";
        return OV_ERR_INVALID_STATE;
    }
    {
        std::lock_guard<std::mutex> lock(m_listenerMutex);
        if (m_listener.expired()) {
            std::cerr << prefix << "Discovery listener not registered.\n";
            return OV_ERR_INVALID_STATE;
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_upnpDevList.clear();
        // What earlier runs learned about devices no longer listed must not expire new ones.
        m_cycleList.clear();
        m_cycleSeen.clear();
        m_presence.clear();
        m_farewells.clear();
    }
    m_upnpEnabled = (flags & UpnpFlag) != 0;
    m_secondMethodEnabled = (flags & SecondMethodFlag) != 0;
    if (!m_upnpEnabled) {
        m_active = true;
        return OV_SUCCESS;
    }
    // The previous thread has cleared threadRunning as its last step; collect it.
    if (m_thread.joinable()) {
        m_thread.join();
    }
    {
        std::lock_guard<std::mutex> lock(m_waitMutex);
        m_stopRequested = false;
    }
    m_threadRunning = true;
    m_thread = std::thread([this, pollingSeconds] { doCyclicUpnpDiscovery(pollingSeconds); });
    m_active = true;
    return OV_SUCCESS;
}

int DeviceManager::DeviceManagerImpl::discoveryRefresh()
{
    if (!m_threadRunning) {
        m_active = false;
    }
    if (!m_active) {
        std::cerr << "Error (ovlib::DeviceManager::DeviceManagerImpl::discoveryRefresh) "
                  << "Discovery was not already started.\n";
        return OV_ERR_INVALID_STATE;
    }
    {
        std::lock_guard<std::mutex> lock(m_waitMutex);
        m_refreshRequested = true;
    }
    m_waitCondition.notify_all();
    return OV_SUCCESS;
}

int DeviceManager::DeviceManagerImpl::discoveryStop()
{
    if (!m_threadRunning && m_upnpEnabled) {
        m_active = false;
    }
    if (!m_active) {
        std::cerr << "Error: (ovlib::DeviceManager::DeviceManagerImpl::discoveryStop"
                  << ") called but discovery is not started.\n";
        return OV_ERR_INVALID_STATE;
    }
    if (!m_upnpEnabled) {
        return OV_SUCCESS;
    }
    {
        std::lock_guard<std::mutex> lock(m_waitMutex);
        m_stopRequested = true;
    }
    m_waitCondition.notify_all();
    if (!m_threadRunning) {
        m_active = false;
    }
    return OV_SUCCESS;
}

std::vector<std::shared_ptr<Device>> DeviceManager::DeviceManagerImpl::getDevices() const
{
    return m_upnpDevList.copy();
}

void DeviceManager::DeviceManagerImpl::doCyclicUpnpDiscovery(unsigned pollingSeconds)
{
    const auto period = std::chrono::seconds(pollingSeconds);
    m_notifyListener = std::make_unique<internal::SsdpNotifyListener>(
        SearchTarget,
        [this](const std::string &udn, const std::array<uint8_t, 4> &from) { onByebye(udn, from); },
        [this](const internal::SsdpAnnouncement &alive) { onAlive(alive); });
    m_listenerWarned = false;
    auto deadline = Clock::now() + period;
    std::unique_lock<std::mutex> lock(m_waitMutex);
    bool startCycle = true;
    while (!m_stopRequested) {
        if (startCycle) {
            m_refreshRequested = false;
            keepListening();
            runUpnpDiscovery();
            startCycle = false;
        }
        // Short waits: a device's max-age may pass between two searches.
        const auto wake = std::min(deadline, Clock::now() + ExpiryCheck);
        m_waitCondition.wait_until(lock, wake,
                                   [this] { return m_stopRequested || m_refreshRequested; });
        if (m_stopRequested) {
            break;
        }
        if (m_refreshRequested) {
            startCycle = true;
        } else if (Clock::now() >= deadline) {
            deadline = Clock::now() + period;
            startCycle = true;
        }
        expireOverdue();
    }
    lock.unlock();
    if (m_searchInProgress) {
        cancelUpnpAsyncFind();
    }
    m_notifyListener->stop();
    m_active = false;
    m_threadRunning = false;
}

void DeviceManager::DeviceManagerImpl::keepListening()
{
    if (m_notifyListener->isRunning()) {
        m_notifyListener->rejoin();
        return;
    }
    // Retried every cycle: the interfaces may come up later than the program.
    std::string error;
    if (m_notifyListener->start(error)) {
        m_listenerWarned = false;
    } else if (!m_listenerWarned) {
        std::cerr << "Warning: Cannot listen for device announcements: " << error
                  << "; trying again every search.\n";
        m_listenerWarned = true;
    }
}

void DeviceManager::DeviceManagerImpl::runUpnpDiscovery()
{
    if (!m_searchCompleted) {
        std::cerr << "Warning: New SSDP search not automatically started because previous "
                  << "search has not yet completed. Try using longer polling time.\n";
        return;
    }
    if (m_searchInProgress && cancelUpnpAsyncFind() != OV_SUCCESS) {
        std::cerr << "Failed to stop current SSDP search. "
                  << "New search not automatically started.\n";
        return;
    }
    beginCycle();
    if (startUpnpAsyncFind() != OV_SUCCESS) {
        std::cerr << "Error (ovlib::DeviceManager::DeviceManagerImpl::runUpnpDiscovery): "
                  << "Failed to start new SSDP search.\n";
    }
}

int DeviceManager::DeviceManagerImpl::startUpnpAsyncFind()
{
    internal::SsdpSearch::Callbacks callbacks;
    callbacks.answered = [this](const internal::SsdpAnnouncement &a) { onAnswered(a); };
    callbacks.added = [this](const std::shared_ptr<OvUPnPDevice> &d,
                             const internal::SsdpAnnouncement &a) { onDescribed(d, a); };
    callbacks.refused = [this](const internal::SsdpAnnouncement &a, const std::string &why) {
        onRefused(a, why);
    };
    callbacks.complete = [this] { onSearchComplete(); };
    m_search = std::make_unique<internal::SsdpSearch>(SearchTarget, std::move(callbacks));
    m_searchCompleted = false;
    // A search that cannot send still completes after its window; it says why itself.
    m_search->start();
    m_searchInProgress = true;
    return OV_SUCCESS;
}

int DeviceManager::DeviceManagerImpl::cancelUpnpAsyncFind()
{
    if (m_search) {
        m_search->cancel();
        m_search.reset();
    }
    m_searchCompleted = true;
    m_searchInProgress = false;
    return OV_SUCCESS;
}

} // namespace ovlib
