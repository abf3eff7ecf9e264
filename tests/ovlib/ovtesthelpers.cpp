#include "ovtesthelpers.h"

#include "ovlib/devicelist.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace ovtest {

std::string fixture(const std::string &relativePath)
{
    std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/tests/ovlib/data/" + relativePath,
                     std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

StderrCapture::StderrCapture()
    : m_previous(std::cerr.rdbuf(this))
{
}

StderrCapture::~StderrCapture()
{
    std::cerr.rdbuf(m_previous);
}

std::string StderrCapture::text() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_text;
}

int StderrCapture::overflow(int c)
{
    if (c != traits_type::eof()) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_text += static_cast<char>(c);
    }
    return c;
}

std::streamsize StderrCapture::xsputn(const char *s, std::streamsize n)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_text.append(s, static_cast<size_t>(n));
    return n;
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return condition();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void RecordingDiscoveryListener::onDiscoveryEvent(const std::shared_ptr<ovlib::Device> &device,
                                                  ovlib::DiscoveryEvent event)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back({device, event});
}

std::vector<DiscoveryRecord> RecordingDiscoveryListener::events() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

size_t RecordingDiscoveryListener::count(ovlib::DiscoveryEvent event) const
{
    return udns(event).size();
}

std::vector<std::string> RecordingDiscoveryListener::udns(ovlib::DiscoveryEvent event) const
{
    std::vector<std::string> out;
    for (const auto &record : events()) {
        if (record.event == event) {
            out.push_back(ovlib::internal::udnOf(record.device));
        }
    }
    return out;
}

void RecordingDeviceListener::onCommandFinished(
    uint32_t requestId, int32_t result, const std::shared_ptr<ovlib::OvResponseObject> &response)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_records.push_back({requestId, result, response, std::chrono::steady_clock::now()});
}

std::vector<CommandRecord> RecordingDeviceListener::records() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_records;
}

bool RecordingDeviceListener::waitFor(size_t count, int timeoutMs) const
{
    return waitUntil([&] { return records().size() >= count; }, timeoutMs);
}

} // namespace ovtest
