#include "ovlib/udpsocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
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

} // namespace

std::array<uint8_t, 4> ssdpGroupAddress()
{
    return {239, 255, 255, 250};
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

bool joinSsdpGroup(int fd)
{
    ip_mreq request{};
    inet_pton(AF_INET, SsdpGroup, &request.imr_multiaddr);
    request.imr_interface.s_addr = htonl(INADDR_ANY);
    return setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) == 0;
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
    sockaddr_in source{};
    socklen_t length = sizeof source;
    const ssize_t n =
        ::recvfrom(fd, buffer, size, 0, reinterpret_cast<sockaddr *>(&source), &length);
    if (n < 0) {
        return errno == EAGAIN || errno == EINTR ? 0 : -1;
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

} // namespace ovlib::internal
