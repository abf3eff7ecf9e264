#pragma once

#include "ovlib/devicelist.h"
#include "ovlib/devicemanager.h"
#include "ovlib/eventqueue.h"
#include "ovlib/ipendpoint.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace ovlib {

class OvUPnPDevice;

namespace internal {
class FetchScheduler;
class SsdpSearch;
class SsdpNotifyListener;
struct SsdpAnnouncement;
} // namespace internal

// The manager's state and discovery thread. Separate from the process-wide facade so that
// tests can run several independent managers and drive the search callbacks directly.
// Split over two files: the search and announcement callbacks are in devicemanagerevents.cpp.
class DeviceManager::DeviceManagerImpl
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr const char *SearchTarget = "urn:schemas-upnp-org:device:OVCUDevice:1";
    // One lost datagram or one slow fetch must not remove a mixer for a whole period.
    static constexpr int MissedCyclesToExpire = 2;
    // An announced mixer is fetched at once; one that cannot start within this is dropped.
    static constexpr int AnnouncementStartMs = 1000;

    DeviceManagerImpl();
    ~DeviceManagerImpl();

    int setDiscoveryListener(const std::shared_ptr<DiscoveryListener> &listener);
    int discoveryStart(unsigned pollingSeconds, unsigned flags);
    int discoveryRefresh();
    int discoveryStop();
    std::vector<std::shared_ptr<Device>> getDevices() const;
    std::vector<Refusal> getRefusals() const;
    bool isActive() const { return m_active; }
    bool isThreadRunning() const { return m_threadRunning; }

    // What the SSDP control point reports; public so tests can play a search cycle. Events go
    // to the listener on the manager's delivery thread, in the order of these calls.
    void onUpnpDeviceAdded(const std::shared_ptr<OvUPnPDevice> &device);
    void onUpnpDeviceRemoved(const std::string &udn);
    void onSearchComplete();
    // Forgets who answered the previous cycle; the discovery thread calls it before a search.
    void beginCycle();
    // An answer to our search, before its description arrives: a listed device answering from
    // its own address counts as present even when the fetch then fails.
    void onAnswered(const internal::SsdpAnnouncement &answer);
    // A device described after an answer or announcement.
    void onDescribed(const std::shared_ptr<OvUPnPDevice> &device,
                     const internal::SsdpAnnouncement &announcement);
    // A responder whose description could not be used.
    void onRefused(const internal::SsdpAnnouncement &announcement, const std::string &reason);
    void onAlive(const internal::SsdpAnnouncement &alive);
    void onByebye(const std::string &udn, const std::array<uint8_t, 4> &from);
    // Removes the devices whose announced max-age has passed.
    void expireOverdue();
    // Waits until the listener has been given every event reported so far.
    void flushEvents();

private:
    struct Presence
    {
        int missed = 0;
        Clock::time_point expires = Clock::time_point::max();
        std::string location;
    };
    struct Farewell
    {
        Clock::time_point at;
        std::array<uint8_t, 4> from;
    };

    void doCyclicUpnpDiscovery(unsigned pollingSeconds);
    void runUpnpDiscovery();
    void keepListening();
    int startUpnpAsyncFind();
    int cancelUpnpAsyncFind();
    void report(const std::shared_ptr<Device> &device, int event, const char *noListener);
    // These expect m_stateMutex to be held.
    void acceptLocked(const std::shared_ptr<OvUPnPDevice> &device, const std::string &location,
                      long maxAgeSeconds);
    void removeLocked(const std::string &udn);
    void notePresentLocked(const std::string &udn, long maxAgeSeconds);

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
    // One lock for the list changes, the cycle's bookkeeping and the posting of their events,
    // so that the order of events is the order of the changes.
    mutable std::mutex m_stateMutex;
    std::vector<std::shared_ptr<Device>> m_cycleList;
    std::set<std::string> m_cycleSeen;
    std::map<std::string, Presence> m_presence;
    std::map<std::string, Farewell> m_farewells;
    std::set<std::string> m_pendingAnnouncements;
    std::map<std::array<uint8_t, 4>, std::string> m_refusals;
    internal::EventQueue m_events;
    std::unique_ptr<internal::FetchScheduler> m_announcementFetches;
    std::mutex m_waitMutex;
    std::condition_variable m_waitCondition;
    std::unique_ptr<internal::SsdpSearch> m_search;
    std::unique_ptr<internal::SsdpNotifyListener> m_notifyListener;
    bool m_listenerWarned = false;
    std::thread m_thread;
    // Kept for the notification listener that nothing opens.
    IPEndPoint m_notificationEndpoint{{225, 0, 0, 100}, 17000};
    int m_notificationSocket = -1;
};

} // namespace ovlib
