#pragma once

#include "ovlib/httpfetch.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace ovlib {
class OvUPnPDevice;
}

namespace ovlib::internal {

class FetchScheduler;

// What one answer or announcement said about a device.
struct SsdpAnnouncement
{
    std::string udn;
    std::string location;
    std::array<uint8_t, 4> responder{};
    // -1 when the device named none.
    long maxAgeSeconds = -1;
    std::chrono::steady_clock::time_point at;
};

// One search cycle of our SSDP control point. M-SEARCH goes out of every multicast interface
// twice within MX (one lost datagram must not hide a mixer), the unicast answers are taken until
// the search window closes, each new device's description is fetched meanwhile with every
// responder getting its own share of the workers, and then completion is reported. A cycle
// that cannot send completes empty all the same, so that vanished mixers can expire.
class SsdpSearch
{
public:
    static constexpr int Mx = 1;
    static constexpr int WindowMs = (Mx + 1) * 1000;
    static constexpr int RepeatAfterMs = 400;
    // However slow the responders, a cycle ends by MX plus two fetch time-outs.
    static constexpr int CompletionMs = Mx * 1000 + 2 * DescriptionTimeoutMs;
    static constexpr size_t Workers = 8;
    static constexpr size_t MaxAnswersPerResponder = 4;
    static constexpr size_t MaxResponders = 1024;

    struct Callbacks
    {
        // Every accepted answer, before its description is fetched.
        std::function<void(const SsdpAnnouncement &)> answered;
        std::function<void(const std::shared_ptr<OvUPnPDevice> &, const SsdpAnnouncement &)> added;
        // An answer whose description could not be used, with the reason.
        std::function<void(const SsdpAnnouncement &, const std::string &)> refused;
        std::function<void()> complete;
    };

    SsdpSearch(std::string searchTarget, Callbacks callbacks);
    ~SsdpSearch();

    // Starts the cycle. When nothing can be sent, warns why and still completes empty.
    void start();
    // Stops collecting without reporting completion; waits for the threads.
    void cancel();

private:
    void run();
    // Sends the search out of every interface; the reason when it went out of none.
    std::string sendSearch();
    void collectUntil(std::chrono::steady_clock::time_point until);
    void offer(const char *data, size_t size, const std::array<uint8_t, 4> &from);
    // Sleeps until the time or a cancel; false when cancelled.
    bool pause(std::chrono::steady_clock::time_point until);

    std::string m_target;
    Callbacks m_callbacks;
    int m_socket = -1;
    std::chrono::steady_clock::time_point m_started;
    std::unique_ptr<FetchScheduler> m_fetches;
    std::thread m_collector;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_cancelled = false;
    std::set<std::string> m_seen;
    std::map<uint32_t, size_t> m_answersPerResponder;
};

} // namespace ovlib::internal
