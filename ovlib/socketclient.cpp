#include "ovlib/socketclient.h"

#include "ovlib/overror.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace ovlib::internal {

SocketClient::~SocketClient()
{
    if (m_socket >= 0) {
        ::close(m_socket);
    }
}

int SocketClient::connect()
{
    close();
    return setupSocket();
}

int SocketClient::connectWithin(int fd, const sockaddr *address, socklen_t length, int timeoutMs)
{
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        return errno;
    }
    int error = 0;
    if (::connect(fd, address, length) != 0) {
        if (errno != EINPROGRESS) {
            return errno;
        }
        pollfd p{fd, POLLOUT, 0};
        int ready;
        do {
            ready = ::poll(&p, 1, timeoutMs);
        } while (ready < 0 && errno == EINTR);
        if (ready == 0) {
            return ETIMEDOUT;
        }
        socklen_t size = sizeof error;
        if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
            return errno;
        }
    }
    // The exchange itself uses blocking calls with their own time-outs.
    if (error == 0 && fcntl(fd, F_SETFL, flags) != 0) {
        return errno;
    }
    return error;
}

int SocketClient::setupSocket()
{
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo *results = nullptr;
    const int rc = getaddrinfo(m_endpoint.addressText().c_str(),
                               std::to_string(m_endpoint.port()).c_str(), &hints, &results);
    if (rc != 0) {
        std::cerr << "Error: Failed to resolve address for " << m_endpoint.toString()
                  << ". Socket Error=" << gai_strerror(rc) << ".\n";
        return OV_ERR_SYSTEM;
    }
    for (addrinfo *it = results; it != nullptr; it = it->ai_next) {
        const int fd = ::socket(it->ai_family, it->ai_socktype | SOCK_CLOEXEC, it->ai_protocol);
        if (fd < 0) {
            std::cerr << "Warning: Failed to create socket with error=" << std::strerror(errno)
                      << '\n';
            continue;
        }
        const int error = connectWithin(fd, it->ai_addr, it->ai_addrlen, ConnectTimeoutMs);
        if (error != 0) {
            std::cerr << "Warning (ovlib::internal::SocketClient::setupSocket): Failed to connect "
                         "to socket with error="
                      << std::strerror(error) << '\n';
            ::close(fd);
            continue;
        }
        m_socket = fd;
        break;
    }
    freeaddrinfo(results);
    if (m_socket < 0) {
        std::cerr << "Error (ovlib::internal::SocketClient::setupSocket): Failed to find a valid "
                     "entry to connect to socket.\n";
        return OV_ERR_SYSTEM;
    }
    return OV_SUCCESS;
}

int SocketClient::send(const std::string &bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(m_socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            std::cerr << "Error: Socket send failed with error=" << std::strerror(errno) << '\n';
            return OV_ERR_SYSTEM;
        }
        sent += static_cast<size_t>(n);
    }
    return OV_SUCCESS;
}

int SocketClient::receive(std::string &bytes)
{
    timeval timeout{0, ReceiveTimeoutMs * 1000};
    if (setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0) {
        std::cerr << "SocketClient: Failed to set receive timeout with error="
                  << std::strerror(errno) << '\n';
        return OV_ERR_SYSTEM;
    }
    char chunk[ReceiveChunk];
    ssize_t n;
    do {
        n = ::recv(m_socket, chunk, sizeof chunk, 0);
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        bytes.append(chunk, static_cast<size_t>(n));
        return OV_SUCCESS;
    }
    if (n == 0) {
        std::cerr << "SocketClient: Error receiving data. Connection closed!\n";
        return OV_ERR_DONE;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
        std::cerr << "SocketClient: Timed out waiting for message from device.\n";
        return OV_ERR_TIMEDOUT;
    }
    std::cerr << "SocketClient: recv failed with error=" << std::strerror(errno) << '\n';
    return OV_ERR_SYSTEM;
}

int SocketClient::close()
{
    if (m_socket < 0) {
        return OV_SUCCESS;
    }
    int result = OV_SUCCESS;
    if (::shutdown(m_socket, SHUT_RDWR) != 0 && errno != ENOTCONN) {
        std::cerr << "Error: Failed to shutdown socket. Error=" << std::strerror(errno) << '\n';
        result = OV_ERR_SYSTEM;
    }
    if (::close(m_socket) != 0) {
        std::cerr << "Error: Failed to close socket. Error=" << std::strerror(errno) << '\n';
        result = OV_ERR_SYSTEM;
    }
    m_socket = -1;
    return result;
}

} // namespace ovlib::internal
