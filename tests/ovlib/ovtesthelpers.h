#pragma once

#include "ovlib/devicelistener.h"
#include "ovlib/discoverylistener.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <streambuf>
#include <string>
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

struct DiscoveryRecord
{
    std::shared_ptr<ovlib::Device> device;
    ovlib::DiscoveryEvent event;
};

class RecordingDiscoveryListener : public ovlib::DiscoveryListener
{
public:
    void onDiscoveryEvent(const std::shared_ptr<ovlib::Device> &device,
                          ovlib::DiscoveryEvent event) override;
    std::vector<DiscoveryRecord> events() const;
    size_t count(ovlib::DiscoveryEvent event) const;
    // The UDNs of the events of one kind, in order.
    std::vector<std::string> udns(ovlib::DiscoveryEvent event) const;

private:
    mutable std::mutex m_mutex;
    std::vector<DiscoveryRecord> m_events;
};

struct CommandRecord
{
    uint32_t requestId;
    int32_t result;
    std::shared_ptr<ovlib::OvResponseObject> response;
    std::chrono::steady_clock::time_point at;
};

class RecordingDeviceListener : public ovlib::DeviceListener
{
public:
    void onCommandFinished(uint32_t requestId, int32_t result,
                           const std::shared_ptr<ovlib::OvResponseObject> &response) override;
    std::vector<CommandRecord> records() const;
    bool waitFor(size_t count, int timeoutMs) const;

private:
    mutable std::mutex m_mutex;
    std::vector<CommandRecord> m_records;
};

} // namespace ovtest
