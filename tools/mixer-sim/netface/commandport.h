#pragma once

#include "mixeridentity.h"
#include "tcpservice.h"

#include <chrono>
#include <mutex>
#include <vector>

namespace velmora::sim {

// The mixer's command port. The command name picks the reply, so a test chooses a behaviour
// by what it sends: "nakcm" gets NAK 103, "silnt" nothing, "late" an ACK after 700 ms, "split"
// an ACK in two writes, "twice" two ACKs in one write, "junk" 300 bytes without an end
// character, "query" an answer echoing the body, "multi" a three-part answer (two parts in
// one write), "exprt" an export answer, "endls" an answer whose middle parts never end, "trckl"
// an answer that comes one byte every 0.4 s and never ends; anything
// else gets an ACK per frame. Frames that open or continue a multi-frame command (CS, CM) are
// always acknowledged.
class CommandPort
{
public:
    explicit CommandPort(MixerIdentity identity)
        : m_identity(std::move(identity))
    {
    }

    bool start();
    void stop() { m_service.stop(); }

    // Every frame received so far, without its end character, and the connections accepted.
    std::vector<std::string> frames() const;
    int connections() const;
    // When each frame arrived.
    std::vector<std::chrono::steady_clock::time_point> frameTimes() const;

private:
    void serve(int fd, const std::atomic<bool> &stop);
    void reply(int fd, const std::string &frame);

    MixerIdentity m_identity;
    TcpService m_service;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_frames;
    std::vector<std::chrono::steady_clock::time_point> m_frameTimes;
    int m_connections = 0;
    std::string m_collected;
    // The service's stop flag, for replies that take long.
    const std::atomic<bool> *m_stopping = nullptr;
};

} // namespace velmora::sim
