#include "ovlib/ssdpnotifylistener.h"

#include "ovlib/ssdpmessage.h"
#include "ovlib/udpsocket.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace ovlib::internal {

SsdpNotifyListener::SsdpNotifyListener(std::string searchTarget, Byebye byebye)
    : m_target(std::move(searchTarget))
    , m_byebye(std::move(byebye))
{
}

SsdpNotifyListener::~SsdpNotifyListener()
{
    stop();
}

bool SsdpNotifyListener::start(std::string &error)
{
    m_socket = openUdpSocket({0, 0, 0, 0}, SsdpPort, true);
    if (m_socket < 0 || !joinSsdpGroup(m_socket)) {
        error = std::strerror(errno);
        if (m_socket >= 0) {
            ::close(m_socket);
            m_socket = -1;
        }
        return false;
    }
    m_stop = false;
    m_thread = std::thread([this] { run(); });
    return true;
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
}

void SsdpNotifyListener::run()
{
    char buffer[2048];
    while (!m_stop) {
        std::array<uint8_t, 4> from{};
        uint16_t fromPort = 0;
        const long n = receiveDatagram(m_socket, buffer, sizeof buffer, from, fromPort, 100);
        if (n <= 0) {
            continue;
        }
        const SsdpParseResult parsed = parseSsdpMessage(buffer, static_cast<size_t>(n));
        if (parsed.status != SsdpParseResult::Complete ||
            parsed.message.kind != SsdpMessage::Notify ||
            parsed.message.header("nts") != "ssdp:byebye" ||
            parsed.message.header("nt") != m_target) {
            continue;
        }
        const std::string udn = udnFromUsn(parsed.message.header("usn"));
        if (!udn.empty()) {
            m_byebye(udn, from);
        }
    }
}

} // namespace ovlib::internal
