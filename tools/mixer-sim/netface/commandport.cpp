#include "commandport.h"

#include <chrono>
#include <sstream>
#include <thread>

#include <sys/socket.h>

namespace velmora::sim {

namespace {

void pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

bool CommandPort::start()
{
    return m_service.start(m_identity.address, m_identity.commandPort,
                           [this](int fd, const std::atomic<bool> &stop) { serve(fd, stop); });
}

std::vector<std::string> CommandPort::frames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
}

std::vector<std::chrono::steady_clock::time_point> CommandPort::frameTimes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frameTimes;
}

int CommandPort::connections() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_connections;
}

void CommandPort::serve(int fd, const std::atomic<bool> &stop)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_connections;
    }
    m_collected.clear();
    m_stopping = &stop;
    std::string buffer;
    while (!stop && buffer.size() < 65536) {
        const size_t end = buffer.find('\r');
        if (end == std::string::npos) {
            if (receiveSome(fd, buffer, 100) < 0) {
                return;
            }
            continue;
        }
        const std::string frame = buffer.substr(0, end);
        buffer.erase(0, end + 1);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_frames.push_back(frame);
            m_frameTimes.push_back(std::chrono::steady_clock::now());
        }
        reply(fd, frame);
    }
}

void CommandPort::reply(int fd, const std::string &frame)
{
    std::istringstream items(frame);
    std::string name, origin, four, two, marker;
    items >> name >> origin >> four >> two >> marker;
    std::string body;
    std::getline(items, body);
    if (!body.empty() && body.front() == ' ') {
        body.erase(0, 1);
    }
    if (!body.empty() && body.back() == ' ') {
        body.pop_back();
    }
    m_collected += body;
    const std::string ack = name + " ACK \r";
    if (name == "silnt") {
        return;
    }
    if (name == "nakcm") {
        sendAll(fd, name + " NAK 103 \r");
        return;
    }
    if (marker == "CS" || marker == "CM") {
        sendAll(fd, ack);
        return;
    }
    if (name == "late") {
        pause(700);
        sendAll(fd, ack);
    } else if (name == "split") {
        sendAll(fd, name + " AC");
        pause(50);
        sendAll(fd, "K \r");
    } else if (name == "twice") {
        sendAll(fd, ack + ack);
    } else if (name == "junk") {
        sendAll(fd, std::string(300, 'x'));
    } else if (name == "query") {
        sendAll(fd, name + " MD " + four + " NC v=" + m_collected.substr(0, 200) + " \r");
    } else if (name == "multi") {
        sendAll(fd, name + " MD " + four + " CS part1 \r" + name + " MD " + four + " CM part2 \r");
        pause(30);
        sendAll(fd, name + " MD " + four + " CE part3 \r");
    } else if (name == "endls") {
        // Middle parts until the client hangs up; capped so the simulator cannot run away.
        const std::string middle = name + " MD " + four + " CM " + std::string(200, 'm') + " \r";
        bool sent = sendAll(fd, name + " MD " + four + " CS first \r");
        for (int i = 0; sent && i < 100000; ++i) {
            sent = sendAll(fd, middle);
        }
    } else if (name == "trckl") {
        // Answer parts one byte every 0.4 s: never quiet for a receive's half second. Capped
        // at ten minutes so the simulator cannot run away.
        const std::string stream = name + " MD " + four + " CS first \r";
        const std::string middle = name + " MD " + four + " CM more \r";
        std::string pending = stream;
        for (int sent = 0; sent < 1500 && !*m_stopping; ++sent) {
            if (pending.empty()) {
                pending = middle;
            }
            char peek;
            // The client hung up: stop at once, so the next connection is served.
            if (::recv(fd, &peek, 1, MSG_PEEK | MSG_DONTWAIT) == 0 ||
                !sendAll(fd, pending.substr(0, 1))) {
                return;
            }
            pending.erase(0, 1);
            pause(400);
        }
    } else if (name == "exprt") {
        sendAll(fd, "E exprt 5 NC hello \r");
    } else {
        sendAll(fd, ack);
    }
}

} // namespace velmora::sim
