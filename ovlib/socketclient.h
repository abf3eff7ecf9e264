#pragma once

#include "ovlib/ipendpoint.h"

#include <string>
#include <sys/socket.h>

namespace ovlib::internal {

// One TCP connection to a device's command port. The socket calls stay in socketclient.cpp so a
// Windows build only swaps that file.
class SocketClient
{
public:
    static constexpr int ReceiveTimeoutMs = 500;
    static constexpr size_t ReceiveChunk = 255;
    // An unreachable device must not hold its queue for the kernel's SYN time-out.
    static constexpr int ConnectTimeoutMs = 2000;

    explicit SocketClient(const IPEndPoint &endpoint)
        : m_endpoint(endpoint)
    {
    }
    ~SocketClient();
    SocketClient(const SocketClient &) = delete;
    SocketClient &operator=(const SocketClient &) = delete;

    int connect();
    int send(const std::string &bytes);
    // 0 with data appended, 1 when the peer closed, 10 after the time-out, 2 on other errors.
    int receive(std::string &bytes);
    int close();

private:
    int setupSocket();
    // Connects fd within the deadline; 0 or the errno of the failure.
    static int connectWithin(int fd, const sockaddr *address, socklen_t length, int timeoutMs);

    IPEndPoint m_endpoint;
    int m_socket = -1;
};

} // namespace ovlib::internal
