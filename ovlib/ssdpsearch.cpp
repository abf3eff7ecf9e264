#include "ovlib/ssdpsearch.h"

#include "ovlib/ovupnpdevice.h"
#include "ovlib/ssdpmessage.h"
#include "ovlib/udpsocket.h"
#include "ovlib/upnpdevicebuilder.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <unistd.h>

namespace ovlib::internal {

SsdpSearch::SsdpSearch(std::string searchTarget, Callbacks callbacks)
    : m_target(std::move(searchTarget))
    , m_callbacks(std::move(callbacks))
{
}

SsdpSearch::~SsdpSearch()
{
    cancel();
}

bool SsdpSearch::start(std::string &error)
{
    m_socket = openUdpSocket({0, 0, 0, 0}, 0, false);
    if (m_socket < 0 ||
        !sendDatagram(m_socket, buildSearchRequest(m_target, Mx), ssdpGroupAddress(), SsdpPort)) {
        error = std::strerror(errno);
        if (m_socket >= 0) {
            ::close(m_socket);
            m_socket = -1;
        }
        return false;
    }
    for (size_t i = 0; i < Workers; ++i) {
        m_workers.emplace_back([this] { fetchLoop(); });
    }
    m_collector = std::thread([this] { collect(); });
    return true;
}

void SsdpSearch::cancel()
{
    m_cancelled = true;
    m_wake.notify_all();
    if (m_collector.joinable()) {
        m_collector.join();
    }
    for (auto &worker : m_workers) {
        if (worker.joinable()) {
            worker.join();
        }
    }
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
}

void SsdpSearch::collect()
{
    const auto closes = std::chrono::steady_clock::now() + std::chrono::milliseconds(WindowMs);
    char buffer[2048];
    while (!m_cancelled) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              closes - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            break;
        }
        std::array<uint8_t, 4> from{};
        uint16_t fromPort = 0;
        const long n = receiveDatagram(m_socket, buffer, sizeof buffer, from, fromPort,
                                       static_cast<int>(std::min<long>(left, 100)));
        if (n > 0) {
            offer(buffer, static_cast<size_t>(n), from);
        }
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_windowClosed = true;
    m_wake.notify_all();
    // Completion waits for the descriptions of every device that answered in time.
    m_wake.wait(lock, [this] { return m_cancelled || (m_pending.empty() && m_busy == 0); });
    lock.unlock();
    if (!m_cancelled && m_callbacks.complete) {
        m_callbacks.complete();
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
    const std::string usn = parsed.message.header("usn");
    const std::string location = parsed.message.header("location");
    if (usn.empty() || location.empty()) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    // One answer per device and cycle is enough; repeats must not cost another fetch.
    if (m_seen.size() >= MaxDevicesPerCycle || !m_seen.insert(usn).second) {
        return;
    }
    m_pending.push_back(Candidate{location, from});
    m_wake.notify_one();
}

void SsdpSearch::fetchLoop()
{
    for (;;) {
        Candidate candidate;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock,
                        [this] { return m_cancelled || !m_pending.empty() || m_windowClosed; });
            if (m_cancelled || m_pending.empty()) {
                return;
            }
            candidate = m_pending.front();
            m_pending.pop_front();
            ++m_busy;
        }
        std::shared_ptr<OvUPnPDevice> device =
            buildUpnpDevice(candidate.location, candidate.responder);
        if (device && !m_cancelled && m_callbacks.added) {
            m_callbacks.added(device);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_busy;
        m_wake.notify_all();
    }
}

} // namespace ovlib::internal
