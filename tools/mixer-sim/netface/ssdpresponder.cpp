#include "ssdpresponder.h"

#include "ovlib/ssdpmessage.h"
#include "ovlib/udpsocket.h"

#include <chrono>
#include <random>
#include <unistd.h>

namespace velmora::sim {

using namespace ovlib::internal;

SsdpResponder::~SsdpResponder()
{
    stop(false);
}

bool SsdpResponder::start()
{
    m_groupSocket = openUdpSocket({0, 0, 0, 0}, SsdpPort, true);
    m_sendSocket = openUdpSocket(m_identity.address, 0, false);
    if (m_groupSocket < 0 || m_sendSocket < 0 || !joinSsdpGroup(m_groupSocket)) {
        stop(false);
        return false;
    }
    m_stop = false;
    sendDatagram(m_sendSocket, notify("ssdp:alive"), ssdpGroupAddress(), SsdpPort);
    m_thread = std::thread([this] { run(); });
    return true;
}

void SsdpResponder::stop(bool byebye)
{
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (byebye && m_sendSocket >= 0) {
        sendDatagram(m_sendSocket, notify("ssdp:byebye"), ssdpGroupAddress(), SsdpPort);
    }
    for (int *fd : {&m_groupSocket, &m_sendSocket}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

std::string SsdpResponder::notify(const char *nts) const
{
    return "NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nCACHE-CONTROL: max-age=1800\r\n"
           "LOCATION: " +
           m_identity.location() + "\r\nNT: " + DeviceType + "\r\nNTS: " + nts +
           "\r\nSERVER: Linux/5 UPnP/1.0 ZEPH/1.0\r\nUSN: " + m_identity.udn + "::" + DeviceType +
           "\r\n\r\n";
}

std::string SsdpResponder::searchResponse() const
{
    return "HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=1800\r\nEXT:\r\nLOCATION: " +
           m_identity.location() + "\r\nSERVER: Linux/5 UPnP/1.0 ZEPH/1.0\r\nST: " + DeviceType +
           "\r\nUSN: " + m_identity.udn + "::" + DeviceType + "\r\n\r\n";
}

void SsdpResponder::run()
{
    std::mt19937 random(std::random_device{}());
    char buffer[2048];
    while (!m_stop) {
        std::array<uint8_t, 4> from{};
        uint16_t fromPort = 0;
        const long n = receiveDatagram(m_groupSocket, buffer, sizeof buffer, from, fromPort, 100);
        if (n <= 0 || m_muted) {
            continue;
        }
        const SsdpParseResult parsed = parseSsdpMessage(buffer, static_cast<size_t>(n));
        const std::string st = parsed.message.header("st");
        if (parsed.status != SsdpParseResult::Complete ||
            parsed.message.kind != SsdpMessage::Search || (st != DeviceType && st != "ssdp:all")) {
            continue;
        }
        const std::string mxText = parsed.message.header("mx");
        const int mx = mxText.size() == 1 && std::isdigit(mxText[0]) ? mxText[0] - '0' : 1;
        // Spread the answers over MX as real devices do, so a search sees a realistic burst.
        std::uniform_int_distribution<int> delay(0, std::max(1, mx) * 1000 - 200);
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
        if (!m_stop) {
            sendDatagram(m_sendSocket, searchResponse(), from, fromPort);
        }
    }
}

} // namespace velmora::sim
