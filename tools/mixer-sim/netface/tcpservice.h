#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace velmora::sim {

// A listening TCP socket on one address whose connections are served one after another on the
// service's own thread; enough for a mixer, which talks to one client at a time.
class TcpService
{
public:
    using Handler = std::function<void(int fd, const std::atomic<bool> &stop)>;

    TcpService() = default;
    ~TcpService();

    bool start(const std::array<uint8_t, 4> &address, uint16_t port, Handler handler);
    void stop();

private:
    void run();

    int m_listener = -1;
    Handler m_handler;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Sends all bytes; false when the peer has gone.
bool sendAll(int fd, const std::string &bytes);

// Waits up to timeoutMs for bytes and appends them: >0 read, 0 time-out, <0 closed or error.
long receiveSome(int fd, std::string &into, int timeoutMs);

} // namespace velmora::sim
