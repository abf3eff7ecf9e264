#include "ovlib/udpsocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ovlib::internal {

namespace {

sockaddr_in toSockaddr(const std::array<uint8_t, 4> &address, uint16_t port)
{
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    std::memcpy(&out.sin_addr, address.data(), 4);
    return out;
}

uint32_t hostOrder(const std::array<uint8_t, 4> &address)
{
    return (uint32_t(address[0]) << 24) | (uint32_t(address[1]) << 16) |
           (uint32_t(address[2]) << 8) | uint32_t(address[3]);
}

ip_mreqn groupRequest(const MulticastInterface &interface)
{
    ip_mreqn request{};
    inet_pton(AF_INET, SsdpGroup, &request.imr_multiaddr);
    std::memcpy(&request.imr_address, interface.address.data(), 4);
    request.imr_ifindex = static_cast<int>(interface.index);
    return request;
}

} // namespace

std::array<uint8_t, 4> ssdpGroupAddress()
{
    return {239, 255, 255, 250};
}

std::vector<MulticastInterface> multicastInterfaces()
{
    std::vector<MulticastInterface> found;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0) {
        return found;
    }
    for (const ifaddrs *it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET ||
            (it->ifa_flags & IFF_UP) == 0 || (it->ifa_flags & IFF_MULTICAST) == 0) {
            continue;
        }
        MulticastInterface interface;
        interface.name = it->ifa_name;
        interface.index = if_nametoindex(it->ifa_name);
        std::memcpy(interface.address.data(),
                    &reinterpret_cast<const sockaddr_in *>(it->ifa_addr)->sin_addr, 4);
        if (it->ifa_netmask != nullptr) {
            const uint32_t mask =
                ntohl(reinterpret_cast<const sockaddr_in *>(it->ifa_netmask)->sin_addr.s_addr);
            interface.prefixLength = __builtin_popcount(mask);
        }
        // One entry per address, not per interface: a mixer that fell back to a link-local
        // address (169.254/16) answers only a search sent from that network, which an
        // interface holds beside its DHCP address.
        bool known = false;
        for (const auto &other : found) {
            known = known || (other.index == interface.index && other.address == interface.address);
        }
        if (interface.index != 0 && !known) {
            found.push_back(interface);
        }
    }
    freeifaddrs(list);
    return found;
}

MulticastInterface interfaceFor(const std::array<uint8_t, 4> &address)
{
    MulticastInterface best;
    int bestLength = -1;
    for (const auto &interface : multicastInterfaces()) {
        const uint32_t mask =
            interface.prefixLength == 0 ? 0 : ~uint32_t(0) << (32 - interface.prefixLength);
        if ((hostOrder(interface.address) & mask) == (hostOrder(address) & mask) &&
            interface.prefixLength > bestLength) {
            best = interface;
            bestLength = interface.prefixLength;
        }
    }
    return best;
}

int openUdpSocket(const std::array<uint8_t, 4> &address, uint16_t port, bool shared)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const int on = 1;
    if (shared) {
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
    }
    // Room for a burst of answers from many devices while descriptions are being fetched.
    const int buffer = 1 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    const unsigned char ttl = 2;
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl);
    const sockaddr_in at = toSockaddr(address, port);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&at), sizeof at) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

bool joinSsdpGroupOn(int fd, const MulticastInterface &interface)
{
    const ip_mreqn request = groupRequest(interface);
    return setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) == 0 ||
           errno == EADDRINUSE;
}

int joinSsdpGroup(int fd)
{
    int joined = 0;
    for (const auto &interface : multicastInterfaces()) {
        joined += joinSsdpGroupOn(fd, interface) ? 1 : 0;
    }
    return joined;
}

long receiveDatagram(int fd, char *buffer, size_t size, std::array<uint8_t, 4> &from,
                     uint16_t &fromPort, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready == 0 || (ready < 0 && errno == EINTR)) {
        return 0;
    }
    if (ready < 0) {
        return -1;
    }
    if ((p.revents & POLLNVAL) != 0) {
        errno = EBADF;
        return -1;
    }
    sockaddr_in source{};
    socklen_t length = sizeof source;
    const ssize_t n =
        ::recvfrom(fd, buffer, size, MSG_DONTWAIT, reinterpret_cast<sockaddr *>(&source), &length);
    if (n < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
    }
    std::memcpy(from.data(), &source.sin_addr, 4);
    fromPort = ntohs(source.sin_port);
    return n;
}

bool sendDatagram(int fd, const std::string &bytes, const std::array<uint8_t, 4> &to, uint16_t port)
{
    const sockaddr_in target = toSockaddr(to, port);
    return ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr *>(&target),
                    sizeof target) == static_cast<ssize_t>(bytes.size());
}

bool sendDatagramVia(int fd, const std::string &bytes, const std::array<uint8_t, 4> &to,
                     uint16_t port, const MulticastInterface &interface)
{
    ip_mreqn request{};
    std::memcpy(&request.imr_address, interface.address.data(), 4);
    request.imr_ifindex = static_cast<int>(interface.index);
    if (setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &request, sizeof request) != 0) {
        return false;
    }
    return sendDatagram(fd, bytes, to, port);
}

} // namespace ovlib::internal
