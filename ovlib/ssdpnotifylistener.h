#pragma once

#include "ovlib/ssdpsearch.h"

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace ovlib::internal {

// Listens on the SSDP group for the devices' own announcements while discovery runs: a
// "ssdp:alive" or "ssdp:byebye" for our target is reported with the sender's address.
class SsdpNotifyListener
{
public:
    using Byebye = std::function<void(const std::string &udn, const std::array<uint8_t, 4> &from)>;
    using Alive = std::function<void(const SsdpAnnouncement &)>;

    SsdpNotifyListener(std::string searchTarget, Byebye byebye, Alive alive = {});
    ~SsdpNotifyListener();

    bool start(std::string &error);
    void stop();
    bool isRunning() const { return m_running; }
    // Joins the group on interfaces that came up since; the discovery thread calls it every
    // cycle. False when no interface could be joined.
    bool rejoin();

private:
    void run();
    void handle(const char *data, size_t size, const std::array<uint8_t, 4> &from);

    std::string m_target;
    Byebye m_byebye;
    Alive m_alive;
    int m_socket = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::thread m_thread;
};

} // namespace ovlib::internal
