#include "ovlib/ssdpsearch.h"

#include "ovlib/fetchscheduler.h"
#include "ovlib/ovupnpdevice.h"
#include "ovlib/ssdpmessage.h"
#include "ovlib/udpsocket.h"
#include "ovlib/upnpdevicebuilder.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <unistd.h>

namespace ovlib::internal {

using Clock = std::chrono::steady_clock;

SsdpSearch::SsdpSearch(std::string searchTarget, Callbacks callbacks)
    : m_target(std::move(searchTarget))
    , m_callbacks(std::move(callbacks))
{
}

SsdpSearch::~SsdpSearch()
{
    cancel();
}

void SsdpSearch::start()
{
    m_started = Clock::now();
    m_fetches = std::make_unique<FetchScheduler>(Workers, MaxAnswersPerResponder);
    m_collector = std::thread([this] { run(); });
}

void SsdpSearch::cancel()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cancelled = true;
        m_wake.notify_all();
    }
    if (m_fetches) {
        m_fetches->cancel();
    }
    if (m_collector.joinable()) {
        m_collector.join();
    }
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
}

bool SsdpSearch::pause(Clock::time_point until)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_wake.wait_until(lock, until, [this] { return m_cancelled; });
}

std::string SsdpSearch::sendSearch()
{
    if (m_socket < 0) {
        m_socket = openUdpSocket({0, 0, 0, 0}, 0, false);
        if (m_socket < 0) {
            return std::string("cannot open a socket: ") + std::strerror(errno);
        }
    }
    const std::vector<MulticastInterface> interfaces = multicastInterfaces();
    if (interfaces.empty()) {
        return "no IPv4 interface that can carry multicast is up";
    }
    const std::string request = buildSearchRequest(m_target, Mx);
    std::string failures;
    bool sent = false;
    for (const auto &interface : interfaces) {
        if (sendDatagramVia(m_socket, request, ssdpGroupAddress(), SsdpPort, interface)) {
            sent = true;
        } else {
            failures +=
                (failures.empty() ? "" : ", ") + interface.name + ": " + std::strerror(errno);
        }
    }
    if (sent && !failures.empty()) {
        std::cerr << "Warning: SSDP search not sent on " << failures << '\n';
    }
    return sent ? std::string() : failures;
}

void SsdpSearch::run()
{
    const auto repeat = m_started + std::chrono::milliseconds(RepeatAfterMs);
    const auto closes = m_started + std::chrono::milliseconds(WindowMs);
    const std::string firstFailure = sendSearch();
    collectUntil(repeat);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_cancelled) {
            return;
        }
    }
    const std::string secondFailure = sendSearch();
    if (!firstFailure.empty() && !secondFailure.empty()) {
        std::cerr << "Warning: SSDP search could not be sent (" << secondFailure
                  << "); this cycle completes without answers.\n";
    }
    collectUntil(closes);
    // Completion waits for the descriptions of the devices that answered in time, but never
    // past the cycle's bound: the scheduler drops what could not start early enough.
    m_fetches->waitIdle(m_started + std::chrono::milliseconds(CompletionMs));
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_cancelled) {
            return;
        }
    }
    if (m_callbacks.complete) {
        m_callbacks.complete();
    }
}

void SsdpSearch::collectUntil(Clock::time_point until)
{
    char buffer[2048];
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_cancelled) {
                return;
            }
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) {
            return;
        }
        const int slice = static_cast<int>(std::min<long>(left, 100));
        if (m_socket < 0) {
            pause(Clock::now() + std::chrono::milliseconds(slice));
            continue;
        }
        std::array<uint8_t, 4> from{};
        uint16_t fromPort = 0;
        const long n = receiveDatagram(m_socket, buffer, sizeof buffer, from, fromPort, slice);
        if (n > 0) {
            offer(buffer, static_cast<size_t>(n), from);
        } else if (n < 0) {
            // A failing socket stays failed; wait out the slice rather than spin on it.
            pause(Clock::now() + std::chrono::milliseconds(slice));
        }
    }
}

void SsdpSearch::offer(const char *data, size_t size, const std::array<uint8_t, 4> &from)
{
    const SsdpParseResult parsed = parseSsdpMessage(data, size);
    if (parsed.status != SsdpParseResult::Complete ||
        parsed.message.kind != SsdpMessage::SearchResponse ||
        parsed.message.header("st") != m_target) {
        return;
    }
    SsdpAnnouncement answer;
    answer.udn = udnFromUsn(parsed.message.header("usn"));
    answer.location = parsed.message.header("location");
    answer.responder = from;
    answer.maxAgeSeconds = maxAgeSeconds(parsed.message.header("cache-control"));
    answer.at = Clock::now();
    if (answer.udn.empty() || answer.location.empty()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const uint32_t key = (uint32_t(from[0]) << 24) | (uint32_t(from[1]) << 16) |
                             (uint32_t(from[2]) << 8) | uint32_t(from[3]);
        auto count = m_answersPerResponder.find(key);
        if (count == m_answersPerResponder.end()) {
            if (m_answersPerResponder.size() >= MaxResponders) {
                return;
            }
            count = m_answersPerResponder.emplace(key, 0).first;
        }
        // One answer per device and cycle is enough; repeats must not cost another fetch, and
        // no responder may speak for more than a few devices.
        const std::string identity = answer.udn + '@' + std::to_string(key);
        if (count->second >= MaxAnswersPerResponder || !m_seen.insert(identity).second) {
            return;
        }
        ++count->second;
    }
    if (m_callbacks.answered) {
        m_callbacks.answered(answer);
    }
    const auto startBy = m_started + std::chrono::milliseconds(CompletionMs - DescriptionTimeoutMs);
    m_fetches->submit(
        from,
        [this, answer] {
            std::string why;
            std::shared_ptr<OvUPnPDevice> device =
                buildUpnpDevice(answer.location, answer.responder, answer.udn, &why);
            bool cancelled;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                cancelled = m_cancelled;
            }
            if (device && !cancelled && m_callbacks.added) {
                m_callbacks.added(device, answer);
            } else if (!device && !cancelled && m_callbacks.refused) {
                m_callbacks.refused(answer, why);
            }
        },
        startBy);
}

} // namespace ovlib::internal
