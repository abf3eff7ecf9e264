#include "ovlib/devicemanagerimpl.h"

#include "ovlib/discoverylistener.h"
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
} // namespace

DeviceManager::DeviceManagerImpl::DeviceManagerImpl() = default;

DeviceManager::DeviceManagerImpl::~DeviceManagerImpl()
{
    if (m_active) {
        discoveryStop();
    }
    // Unlike discoveryStop, destruction must not leave the thread running on freed state.
    if (m_thread.joinable()) {
        m_thread.join();
    }
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
    m_upnpDevList.clear();
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
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::seconds(pollingSeconds);
    m_notifyListener = std::make_unique<internal::SsdpNotifyListener>(
        SearchTarget, [this](const std::string &udn, const std::array<uint8_t, 4> &from) {
            onByebye(udn, from);
        });
    std::string error;
    if (!m_notifyListener->start(error)) {
        std::cerr << "Warning: Cannot listen for device announcements: " << error << '\n';
    }
    auto deadline = Clock::now() + period;
    std::unique_lock<std::mutex> lock(m_waitMutex);
    while (!m_stopRequested) {
        m_refreshRequested = false;
        runUpnpDiscovery();
        const auto cap = Clock::now() + std::chrono::hours(24 * 10);
        const bool woken = m_waitCondition.wait_until(lock, std::min(deadline, cap), [this] {
            return m_stopRequested || m_refreshRequested;
        });
        if (!woken && Clock::now() >= deadline) {
            deadline = Clock::now() + period;
        }
    }
    lock.unlock();
    if (m_searchInProgress) {
        cancelUpnpAsyncFind();
    }
    m_notifyListener->stop();
    m_active = false;
    m_threadRunning = false;
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
    callbacks.added = [this](const std::shared_ptr<OvUPnPDevice> &d) { onUpnpDeviceAdded(d); };
    callbacks.complete = [this] { onSearchComplete(); };
    m_search = std::make_unique<internal::SsdpSearch>(SearchTarget, std::move(callbacks));
    m_searchCompleted = false;
    std::string error;
    if (!m_search->start(error)) {
        std::cerr << "Error (ovlib::DeviceManager::DeviceManagerImpl::startUpnpAsyncFind): "
                  << "Failed to create AsyncFind for filter=" << SearchTarget << '\n'
                  << error << '\n';
        m_search.reset();
        m_searchCompleted = true;
        return OV_ERR_SYSTEM;
    }
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
