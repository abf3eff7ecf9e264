#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace ovlib {
class OvUPnPDevice;
}

namespace ovlib::internal {

// One search cycle of our SSDP control point: sends M-SEARCH to the group, takes the unicast
// answers until the search window closes, fetches each new device's description on a few worker
// threads and then reports completion. MX is 1 s and the window MX + 1 s: devices spread their
// answers over MX, and the extra second covers late datagrams and the description fetches.
class SsdpSearch
{
public:
    static constexpr int Mx = 1;
    static constexpr int WindowMs = (Mx + 1) * 1000;
    static constexpr size_t Workers = 4;
    static constexpr size_t MaxDevicesPerCycle = 1024;

    struct Callbacks
    {
        std::function<void(const std::shared_ptr<OvUPnPDevice> &)> added;
        std::function<void()> complete;
    };

    SsdpSearch(std::string searchTarget, Callbacks callbacks);
    ~SsdpSearch();

    // Opens the socket, sends the search and starts collecting; errno text on failure.
    bool start(std::string &error);
    // Stops collecting without reporting completion; waits for the threads.
    void cancel();

private:
    struct Candidate
    {
        std::string location;
        std::array<uint8_t, 4> responder;
    };

    void collect();
    void fetchLoop();
    void offer(const char *data, size_t size, const std::array<uint8_t, 4> &from);

    std::string m_target;
    Callbacks m_callbacks;
    int m_socket = -1;
    std::atomic<bool> m_cancelled{false};
    std::thread m_collector;
    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Candidate> m_pending;
    std::set<std::string> m_seen;
    bool m_windowClosed = false;
    size_t m_busy = 0;
};

} // namespace ovlib::internal
