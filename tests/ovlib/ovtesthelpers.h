#pragma once

#include "ovlib/devicelist.h"
#include "ovlib/discoverylistener.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

namespace ovtest {

// The bytes of a golden fixture under tests/ovlib/data/.
std::string fixture(const std::string &relativePath);

// Collects what the library prints on std::cerr while it lives; safe against writers on other
// threads.
class StderrCapture : public std::streambuf
{
public:
    StderrCapture();
    ~StderrCapture() override;
    std::string text() const;
    bool contains(const std::string &part) const { return text().find(part) != std::string::npos; }

protected:
    int overflow(int c) override;
    std::streamsize xsputn(const char *s, std::streamsize n) override;

private:
    std::streambuf *m_previous;
    mutable std::mutex m_mutex;
    std::string m_text;
};

// Polls until the condition holds or the time is up; the condition's last value.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs);

// Milliseconds from one moment to another, by default to now.
inline long msBetween(std::chrono::steady_clock::time_point from,
                      std::chrono::steady_clock::time_point to = std::chrono::steady_clock::now())
{
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}

// "code: text" of the OvException the call throws, or "no exception".
std::string ovError(const std::function<void()> &call);

class RecordingDiscoveryListener : public ovlib::DiscoveryListener
{
public:
    void onDiscoveryEvent(const std::shared_ptr<ovlib::Device> &device,
                          ovlib::DiscoveryEvent event) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.emplace_back(ovlib::internal::udnOf(device), event);
        m_last[event] = device;
    }
    size_t count(ovlib::DiscoveryEvent event) const { return udns(event).size(); }
    // Every event of one device, in the order received.
    std::vector<ovlib::DiscoveryEvent> eventsOf(const std::string &udn) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<ovlib::DiscoveryEvent> out;
        for (const auto &[who, kind] : m_events) {
            if (who == udn) {
                out.push_back(kind);
            }
        }
        return out;
    }
    // The devices as last reported: what a listener following the events would list.
    std::shared_ptr<ovlib::Device> lastDevice(ovlib::DiscoveryEvent event) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_last[event];
    }
    // The UDNs of the events of one kind, in order.
    std::vector<std::string> udns(ovlib::DiscoveryEvent event) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<std::string> out;
        for (const auto &[udn, kind] : m_events) {
            if (kind == event) {
                out.push_back(udn);
            }
        }
        return out;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<std::string, ovlib::DiscoveryEvent>> m_events;
    std::shared_ptr<ovlib::Device> m_last[3];
};

} // namespace ovtest
