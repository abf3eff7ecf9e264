#include "ssdptestpeers.h"

#include "ovlib/ssdpmessage.h"
#include "ovlib/udpsocket.h"

#include <functional>
#include <unistd.h>

using namespace ovlib::internal;

namespace ovtest {

namespace {

// Hands every well-formed datagram on the group to the handler until stop is set.
std::thread listenOnGroup(
    int fd, const std::atomic<bool> &stop,
    std::function<void(const SsdpMessage &, const std::array<uint8_t, 4> &, uint16_t)> handler)
{
    return std::thread([fd, &stop, handler] {
        char buffer[2048];
        while (!stop) {
            std::array<uint8_t, 4> from{};
            uint16_t port = 0;
            const long n = receiveDatagram(fd, buffer, sizeof buffer, from, port, 50);
            const SsdpParseResult parsed = parseSsdpMessage(buffer, n > 0 ? size_t(n) : 0);
            if (n > 0 && parsed.status == SsdpParseResult::Complete) {
                handler(parsed.message, from, port);
            }
        }
    });
}

} // namespace

SearchWatcher::SearchWatcher(std::string target)
    : m_target(std::move(target))
{
    m_socket = openUdpSocket({0, 0, 0, 0}, SsdpPort, true);
    joinSsdpGroup(m_socket);
    m_thread = listenOnGroup(m_socket, m_stop, [this](const SsdpMessage &message, auto, auto) {
        if (message.kind == SsdpMessage::Search && message.header("st") == m_target) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_searches.push_back(std::chrono::steady_clock::now());
        }
    });
}

SearchWatcher::~SearchWatcher()
{
    m_stop = true;
    m_thread.join();
    ::close(m_socket);
}

std::vector<std::chrono::steady_clock::time_point> SearchWatcher::searches() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_searches;
}

HostilePeer::HostilePeer(std::array<uint8_t, 4> address, std::vector<std::string> answers)
    : m_address(address)
    , m_answers(std::move(answers))
{
    m_groupSocket = openUdpSocket({0, 0, 0, 0}, SsdpPort, true);
    joinSsdpGroup(m_groupSocket);
    m_sendSocket = openUdpSocket(m_address, 0, false);
    m_thread = listenOnGroup(
        m_groupSocket, m_stop,
        [this](const SsdpMessage &message, const std::array<uint8_t, 4> &from, uint16_t port) {
            if (message.kind != SsdpMessage::Search) {
                return;
            }
            for (const auto &answer : m_answers) {
                sendDatagram(m_sendSocket, answer, from, port);
            }
        });
}

HostilePeer::~HostilePeer()
{
    m_stop = true;
    m_thread.join();
    for (auto &service : m_services) {
        service->stop();
    }
    ::close(m_groupSocket);
    ::close(m_sendSocket);
}

bool HostilePeer::serve(uint16_t port, std::string reply)
{
    m_services.push_back(std::make_unique<velmora::sim::TcpService>());
    return m_services.back()->start(m_address, port, [reply](int fd, const std::atomic<bool> &) {
        std::string request;
        velmora::sim::receiveSome(fd, request, 500);
        velmora::sim::sendAll(fd, reply);
    });
}

bool HostilePeer::serveStalling(uint16_t port)
{
    m_services.push_back(std::make_unique<velmora::sim::TcpService>());
    return m_services.back()->start(m_address, port, [](int fd, const std::atomic<bool> &stop) {
        std::string request;
        // Holds the connection without a word until the fetch gives up or the test ends.
        while (!stop && velmora::sim::receiveSome(fd, request, 100) >= 0) {
        }
    });
}

void HostilePeer::sendToGroup(const std::string &datagram)
{
    sendDatagram(m_sendSocket, datagram, ssdpGroupAddress(), SsdpPort);
}

} // namespace ovtest
