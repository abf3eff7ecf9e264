#pragma once

#include "ovlib/devicelist.h"
#include "ovlib/devicemanager.h"
#include "ovlib/ipendpoint.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace ovlib {

class OvUPnPDevice;

namespace internal {
class SsdpSearch;
class SsdpNotifyListener;
} // namespace internal

// The manager's state and discovery thread. Separate from the process-wide facade so that
// tests can run several independent managers and drive the search callbacks directly.
class DeviceManager::DeviceManagerImpl
{
public:
    static constexpr const char *SearchTarget = "urn:schemas-upnp-org:device:OVCUDevice:1";

    DeviceManagerImpl();
    ~DeviceManagerImpl();

    int setDiscoveryListener(const std::shared_ptr<DiscoveryListener> &listener);
    int discoveryStart(unsigned pollingSeconds, unsigned flags);
    int discoveryRefresh();
    int discoveryStop();
    std::vector<std::shared_ptr<Device>> getDevices() const;
    bool isActive() const { return m_active; }
    bool isThreadRunning() const { return m_threadRunning; }

    // What the SSDP control point reports; public so tests can play a search cycle.
    void onUpnpDeviceAdded(const std::shared_ptr<OvUPnPDevice> &device);
    void onUpnpDeviceRemoved(const std::string &udn);
    void onSearchComplete();
    // Forgets who answered the previous cycle; the discovery thread calls it before a search.
    void beginCycle();

private:
    void doCyclicUpnpDiscovery(unsigned pollingSeconds);
    void runUpnpDiscovery();
    int startUpnpAsyncFind();
    int cancelUpnpAsyncFind();
    void onByebye(const std::string &udn, const std::array<uint8_t, 4> &from);
    void report(const std::shared_ptr<Device> &device, int event, const char *noListener);

    mutable std::mutex m_listenerMutex;
    std::weak_ptr<DiscoveryListener> m_listener;
    std::atomic<bool> m_active{false};
    std::atomic<bool> m_threadRunning{false};
    bool m_upnpEnabled = false;
    bool m_secondMethodEnabled = false;
    std::atomic<bool> m_searchCompleted{true};
    std::atomic<bool> m_searchInProgress{false};
    bool m_stopRequested = false;
    bool m_refreshRequested = false;
    internal::DeviceList m_upnpDevList;
    // Written by the search's callbacks, emptied by the discovery thread between searches.
    std::mutex m_cycleMutex;
    std::vector<std::shared_ptr<Device>> m_cycleList;
    std::mutex m_waitMutex;
    std::condition_variable m_waitCondition;
    std::unique_ptr<internal::SsdpSearch> m_search;
    std::unique_ptr<internal::SsdpNotifyListener> m_notifyListener;
    std::thread m_thread;
    // Kept for the notification listener that nothing opens.
    IPEndPoint m_notificationEndpoint{{225, 0, 0, 100}, 17000};
    int m_notificationSocket = -1;
};

} // namespace ovlib
