#pragma once

#include "tcpservice.h"

#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ovtest {

// Listens on the SSDP group and notes when each M-SEARCH for a target arrived.
class SearchWatcher
{
public:
    explicit SearchWatcher(std::string target);
    ~SearchWatcher();
    std::vector<std::chrono::steady_clock::time_point> searches() const;

private:
    std::string m_target;
    int m_socket = -1;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::chrono::steady_clock::time_point> m_searches;
    std::thread m_thread;
};

// A misbehaving host at one address: answers every M-SEARCH with the given datagrams, and
// serves on given ports a fixed reply or nothing at all.
class HostilePeer
{
public:
    HostilePeer(std::array<uint8_t, 4> address, std::vector<std::string> answers);
    ~HostilePeer();
    // Sends the reply to any request on the port.
    bool serve(uint16_t port, std::string reply);
    bool serveStalling(uint16_t port);
    void sendToGroup(const std::string &datagram);

private:
    std::array<uint8_t, 4> m_address;
    std::vector<std::string> m_answers;
    int m_groupSocket = -1;
    int m_sendSocket = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::vector<std::unique_ptr<velmora::sim::TcpService>> m_services;
};

} // namespace ovtest
