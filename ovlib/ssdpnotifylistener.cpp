#include "ovlib/ssdpnotifylistener.h"

#include "ovlib/ssdpmessage.h"
#include "ovlib/udpsocket.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <unistd.h>

namespace ovlib::internal {

SsdpNotifyListener::SsdpNotifyListener(std::string searchTarget, Byebye byebye, Alive alive)
    : m_target(std::move(searchTarget))
    , m_byebye(std::move(byebye))
    , m_alive(std::move(alive))
{
}

SsdpNotifyListener::~SsdpNotifyListener()
{
    stop();
}

bool SsdpNotifyListener::start(std::string &error)
{
    stop();
    m_socket = openUdpSocket({0, 0, 0, 0}, SsdpPort, true);
    if (m_socket < 0) {
        error = std::strerror(errno);
        return false;
    }
    if (joinSsdpGroup(m_socket) == 0) {
        error = multicastInterfaces().empty() ? "no IPv4 interface that can carry multicast is up"
                                              : std::strerror(errno);
        ::close(m_socket);
        m_socket = -1;
        return false;
    }
    m_stop = false;
    m_running = true;
    m_thread = std::thread([this] { run(); });
    return true;
}

bool SsdpNotifyListener::rejoin()
{
    return m_socket >= 0 && joinSsdpGroup(m_socket) > 0;
}

void SsdpNotifyListener::stop()
{
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
    m_running = false;
}

void SsdpNotifyListener::run()
{
    char buffer[2048];
    while (!m_stop) {
        std::array<uint8_t, 4> from{};
        uint16_t fromPort = 0;
        const long n = receiveDatagram(m_socket, buffer, sizeof buffer, from, fromPort, 100);
        if (n > 0) {
            handle(buffer, static_cast<size_t>(n), from);
        } else if (n < 0) {
            // A broken socket is given up; the discovery thread opens a new one next cycle.
            std::cerr << "Warning: Listening for device announcements failed: "
                      << std::strerror(errno) << '\n';
            break;
        }
    }
    m_running = false;
}

void SsdpNotifyListener::handle(const char *data, size_t size, const std::array<uint8_t, 4> &from)
{
    const SsdpParseResult parsed = parseSsdpMessage(data, size);
    if (parsed.status != SsdpParseResult::Complete || parsed.message.kind != SsdpMessage::Notify ||
        parsed.message.header("nt") != m_target) {
        return;
    }
    const std::string nts = parsed.message.header("nts");
    const std::string udn = udnFromUsn(parsed.message.header("usn"));
    if (udn.empty()) {
        return;
    }
    if (nts == "ssdp:byebye") {
        m_byebye(udn, from);
    } else if (nts == "ssdp:alive" && m_alive) {
        SsdpAnnouncement alive;
        alive.udn = udn;
        alive.location = parsed.message.header("location");
        alive.responder = from;
        alive.maxAgeSeconds = maxAgeSeconds(parsed.message.header("cache-control"));
        alive.at = std::chrono::steady_clock::now();
        if (!alive.location.empty()) {
            m_alive(alive);
        }
    }
}

} // namespace ovlib::internal
