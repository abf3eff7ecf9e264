#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace ovlib::internal {

// Listens on the SSDP group for the devices' own announcements while discovery runs; a
// "ssdp:byebye" for our target reports the device's UDN and the sender's address.
class SsdpNotifyListener
{
public:
    using Byebye = std::function<void(const std::string &udn, const std::array<uint8_t, 4> &from)>;

    SsdpNotifyListener(std::string searchTarget, Byebye byebye);
    ~SsdpNotifyListener();

    bool start(std::string &error);
    void stop();

private:
    void run();

    std::string m_target;
    Byebye m_byebye;
    int m_socket = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace ovlib::internal
