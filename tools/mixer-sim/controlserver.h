#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace velmora::sim {

class SimMixer;

// The simulator's remote control: an HTTP/JSON interface on loopback through which tests and
// demos start and stop mixers, switch faults, read what a mixer received and set its data.
// The routes are listed in docs/mixer-sim.md.
class ControlServer
{
public:
    explicit ControlServer(std::vector<std::unique_ptr<SimMixer>> &mixers);
    ~ControlServer();

    // Port 0 picks a free port; returns the port listened on, or -1.
    int start(const std::string &address, int port);
    void stop();

private:
    SimMixer *find(const std::string &address) const;
    void addRoutes();

    std::vector<std::unique_ptr<SimMixer>> &m_mixers;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    std::mutex m_moveMutex;
};

} // namespace velmora::sim
