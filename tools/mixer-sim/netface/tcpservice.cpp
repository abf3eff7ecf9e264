#include "tcpservice.h"

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmora::sim {

TcpService::~TcpService()
{
    stop();
}

bool TcpService::start(const std::array<uint8_t, 4> &address, uint16_t port, Handler handler)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    std::memcpy(&at.sin_addr, address.data(), 4);
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0 ||
        ::listen(m_listener, 16) != 0) {
        stop();
        return false;
    }
    m_handler = std::move(handler);
    m_stop = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void TcpService::stop()
{
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_listener >= 0) {
        ::close(m_listener);
        m_listener = -1;
    }
}

void TcpService::run()
{
    while (!m_stop) {
        pollfd p{m_listener, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) {
            continue;
        }
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        m_handler(fd, m_stop);
        ::close(fd);
    }
}

bool sendAll(int fd, const std::string &bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0 && errno != EINTR) {
            return false;
        }
        sent += n > 0 ? static_cast<size_t>(n) : 0;
    }
    return true;
}

long receiveSome(int fd, std::string &into, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready <= 0) {
        return ready == 0 || errno == EINTR ? 0 : -1;
    }
    char chunk[4096];
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) {
        return -1;
    }
    into.append(chunk, static_cast<size_t>(n));
    return n;
}

} // namespace velmora::sim
