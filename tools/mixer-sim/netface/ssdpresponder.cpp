#include "ssdpresponder.h"

#include "ovlib/ssdpmessage.h"
#include "ovlib/udpsocket.h"

#include <algorithm>
#include <chrono>
#include <netinet/in.h>
#include <queue>
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
    const MulticastInterface own = interfaceFor(m_identity.address);
    if (m_groupSocket >= 0) {
        // Only what reaches the mixer's own segment: Linux would otherwise hand this socket
        // the group's datagrams from every interface any socket joined on.
        const int off = 0;
        setsockopt(m_groupSocket, IPPROTO_IP, IP_MULTICAST_ALL, &off, sizeof off);
    }
    const bool joined = m_groupSocket >= 0 && (own.index != 0 ? joinSsdpGroupOn(m_groupSocket, own)
                                                              : joinSsdpGroup(m_groupSocket) > 0);
    if (m_groupSocket < 0 || m_sendSocket < 0 || !joined) {
        stop(false);
        return false;
    }
    m_stop = false;
    m_searchesHeard = 0;
    announce();
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
        sendToGroup(notify("ssdp:byebye"));
    }
    std::lock_guard<std::mutex> lock(m_sendMutex);
    for (int *fd : {&m_groupSocket, &m_sendSocket}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

bool SsdpResponder::sendToGroup(const std::string &datagram)
{
    std::lock_guard<std::mutex> lock(m_sendMutex);
    if (m_sendSocket < 0) {
        return false;
    }
    const MulticastInterface own = interfaceFor(m_identity.address);
    if (own.index == 0) {
        return sendDatagram(m_sendSocket, datagram, ssdpGroupAddress(), SsdpPort);
    }
    // From the mixer's own address, out of its own interface.
    MulticastInterface via = own;
    via.address = m_identity.address;
    return sendDatagramVia(m_sendSocket, datagram, ssdpGroupAddress(), SsdpPort, via);
}

bool SsdpResponder::announce()
{
    return sendToGroup(notify("ssdp:alive"));
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

std::string SsdpResponder::forgedResponse(int n) const
{
    return "HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=1800\r\nEXT:\r\nLOCATION: http://" +
           m_identity.addressText() + ':' + std::to_string(m_identity.httpPort) + "/forged/" +
           std::to_string(n) + ".xml\r\nST: " + DeviceType + "\r\nUSN: uuid:forged-" +
           std::to_string(n) + "::" + DeviceType + "\r\n\r\n";
}

void SsdpResponder::run()
{
    using Clock = std::chrono::steady_clock;
    // An answer waiting for its moment: each search is answered on its own clock, so that a
    // burst of searchers (or searchers long gone) never delays the answer to the next one.
    struct Pending
    {
        Clock::time_point due;
        std::array<uint8_t, 4> to;
        uint16_t port;
        bool operator>(const Pending &other) const { return due > other.due; }
    };
    std::priority_queue<Pending, std::vector<Pending>, std::greater<Pending>> pending;
    std::mt19937 random(std::random_device{}());
    char buffer[2048];
    while (!m_stop) {
        while (!pending.empty() && pending.top().due <= Clock::now()) {
            std::lock_guard<std::mutex> lock(m_sendMutex);
            sendDatagram(m_sendSocket, searchResponse(), pending.top().to, pending.top().port);
            pending.pop();
        }
        int waitMs = 100;
        if (!pending.empty()) {
            const auto untilDue = std::chrono::duration_cast<std::chrono::milliseconds>(
                                      pending.top().due - Clock::now())
                                      .count();
            waitMs = static_cast<int>(std::clamp<long long>(untilDue, 1, 100));
        }
        std::array<uint8_t, 4> from{};
        uint16_t fromPort = 0;
        const long n =
            receiveDatagram(m_groupSocket, buffer, sizeof buffer, from, fromPort, waitMs);
        if (n < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
            continue;
        }
        if (n == 0 || m_muted) {
            continue;
        }
        const SsdpParseResult parsed = parseSsdpMessage(buffer, static_cast<size_t>(n));
        const std::string st = parsed.message.header("st");
        if (parsed.status != SsdpParseResult::Complete ||
            parsed.message.kind != SsdpMessage::Search || (st != DeviceType && st != "ssdp:all")) {
            continue;
        }
        if (++m_searchesHeard % 2 == 0 && m_dropEveryOther) {
            continue;
        }
        const std::string mxText = parsed.message.header("mx");
        const int mx = mxText.size() == 1 && std::isdigit(mxText[0]) ? mxText[0] - '0' : 1;
        const int forged = m_forgedAnswers;
        // The flood goes out first, as an attacker racing the genuine answers would send it.
        for (int i = 0; i < forged; ++i) {
            std::lock_guard<std::mutex> lock(m_sendMutex);
            sendDatagram(m_sendSocket, forgedResponse(i), from, fromPort);
        }
        // Spread the answers over MX as real devices do, so a search sees a realistic burst.
        std::uniform_int_distribution<int> delay(0, std::max(1, mx) * 1000 - 200);
        pending.push({Clock::now() + std::chrono::milliseconds(delay(random)), from, fromPort});
    }
}

} // namespace velmora::sim
