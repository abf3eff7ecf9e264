// Discovery timings with simulated mixers, run inside scripts/sandbox:
// - from discoveryStart to the 100th DEVICE_ADDED with 100 mixers, against the bare cost of
//   fetching and parsing their 100 descriptions one by one;
// - from a mixer's ssdp:alive (switched on while discovery runs) to its DEVICE_ADDED;
// - from discoveryStart to the DEVICE_ADDED of a genuine mixer beside a host that answers
//   every search with 1024 forged devices.
#include "privatenetwork.h"

#include "mixerfleet.h"
#include "ovlib/descriptionparser.h"
#include "ovlib/devicelist.h"
#include "ovlib/devicemanagerimpl.h"
#include "ovlib/discoverylistener.h"
#include "ovlib/httpfetch.h"
#include "ovlib/ssdpsearch.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

using Clock = std::chrono::steady_clock;
using Impl = ovlib::DeviceManager::DeviceManagerImpl;

namespace {

constexpr int Count = 100;
constexpr int FirstOctet = 10;
constexpr int Runs = 3;

// Notes when each device was first added.
class TimingListener : public ovlib::DiscoveryListener
{
public:
    void onDiscoveryEvent(const std::shared_ptr<ovlib::Device> &device,
                          ovlib::DiscoveryEvent event) override
    {
        if (event != ovlib::DEVICE_ADDED) {
            return;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_added.emplace(ovlib::internal::udnOf(device), Clock::now());
        m_order.push_back(Clock::now());
        m_changed.notify_all();
    }
    // When the n-th device was added, or nothing within the time-out.
    bool waitCount(size_t n, std::chrono::seconds timeout, Clock::time_point &at)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_changed.wait_for(lock, timeout, [&] { return m_order.size() >= n; })) {
            return false;
        }
        at = m_order[n - 1];
        return true;
    }
    bool waitFor(const std::string &udn, std::chrono::seconds timeout, Clock::time_point &at)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_changed.wait_for(lock, timeout, [&] { return m_added.count(udn) != 0; })) {
            return false;
        }
        at = m_added[udn];
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::string, Clock::time_point> m_added;
    std::vector<Clock::time_point> m_order;
};

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double serialFetches()
{
    const auto started = Clock::now();
    for (int n = 0; n < Count; ++n) {
        const auto identity = velmora::sim::fleetIdentity(FirstOctet, n);
        const auto fetched = ovlib::internal::httpGet(identity.address, identity.httpPort,
                                                      velmora::sim::DescriptionPath);
        if (!fetched.ok ||
            !ovlib::internal::parseDescription(fetched.body.data(), fetched.body.size())) {
            std::fprintf(stderr, "bench_discovery: fetch from mixer %d failed\n", n);
        }
    }
    return ms(Clock::now() - started);
}

velmora::sim::MixerIdentity loneIdentity(uint8_t lastOctet)
{
    velmora::sim::MixerIdentity identity;
    identity.address = {127, 0, 2, lastOctet};
    identity.udn = "uuid:5a3e2208-0000-4000-8000-0000bench" + std::to_string(lastOctet);
    return identity;
}

// From discoveryStart to the 100th mixer; -1 when not all were found.
bool hundredMixers(double &toFirst, double &toLast)
{
    auto listener = std::make_shared<TimingListener>();
    Impl manager;
    manager.setDiscoveryListener(listener);
    const auto started = Clock::now();
    manager.discoveryStart(3600, 1);
    Clock::time_point first, last;
    if (!listener->waitCount(Count, std::chrono::seconds(10), last)) {
        return false;
    }
    listener->waitCount(1, std::chrono::seconds(1), first);
    toFirst += ms(first - started);
    toLast += ms(last - started);
    manager.discoveryStop();
    return true;
}

// From a mixer's announcement to its listing while discovery runs.
bool announcedMixer(uint8_t lastOctet, double &total)
{
    auto listener = std::make_shared<TimingListener>();
    Impl manager;
    manager.setDiscoveryListener(listener);
    manager.discoveryStart(3600, 1);
    // Let the first cycle end: the mixer is switched on between searches.
    std::this_thread::sleep_for(
        std::chrono::milliseconds(ovlib::internal::SsdpSearch::WindowMs + 500));
    const auto identity = loneIdentity(lastOctet);
    velmora::sim::MixerNetFace mixer(identity, true);
    const auto switchedOn = Clock::now();
    if (!mixer.start()) {
        return false;
    }
    Clock::time_point listed;
    const bool found = listener->waitFor(identity.udn, std::chrono::seconds(10), listed);
    total += ms(listed - switchedOn);
    mixer.stop(false);
    manager.discoveryStop();
    return found;
}

// From discoveryStart to the genuine mixer's listing beside a flooding host.
bool genuineUnderFlood(uint8_t lastOctet, double &total)
{
    velmora::sim::MixerNetFace flooder(loneIdentity(lastOctet), true);
    flooder.ssdp().setForgedAnswers(1024);
    const auto identity = loneIdentity(uint8_t(lastOctet + 1));
    velmora::sim::MixerNetFace genuine(identity, true);
    if (!flooder.start() || !genuine.start()) {
        return false;
    }
    auto listener = std::make_shared<TimingListener>();
    Impl manager;
    manager.setDiscoveryListener(listener);
    const auto started = Clock::now();
    manager.discoveryStart(3600, 1);
    Clock::time_point listed;
    const bool found = listener->waitFor(identity.udn, std::chrono::seconds(10), listed);
    total += ms(listed - started);
    manager.discoveryStop();
    return found;
}

} // namespace

int main()
{
    velmora::test::requirePrivateNetwork();
    // The library's per-device complaints about forged answers are not what is measured.
    std::ostringstream quiet;
    std::streambuf *const stderrBuffer = std::cerr.rdbuf(quiet.rdbuf());
    velmora::sim::MixerFleet fleet;
    if (!fleet.start(FirstOctet, Count)) {
        std::cerr.rdbuf(stderrBuffer);
        std::fprintf(stderr, "bench_discovery: cannot start the mixers\n");
        return 1;
    }
    double toLast = 0, toFirst = 0, baseline = 0, announced = 0, flooded = 0;
    for (int run = 0; run < Runs; ++run) {
        if (!hundredMixers(toFirst, toLast)) {
            std::cerr.rdbuf(stderrBuffer);
            std::fprintf(stderr, "bench_discovery: not all mixers were found\n");
            return 1;
        }
        baseline += serialFetches();
    }
    for (int run = 0; run < Runs; ++run) {
        if (!announcedMixer(uint8_t(10 + run), announced) ||
            !genuineUnderFlood(uint8_t(20 + 2 * run), flooded)) {
            std::cerr.rdbuf(stderrBuffer);
            std::fprintf(stderr, "bench_discovery: a lone mixer was not found\n");
            return 1;
        }
    }
    std::cerr.rdbuf(stderrBuffer);
    std::printf("discovery first device: %.1f ms\n", toFirst / Runs);
    std::printf("100th mixer listed after: %.1f ms\n", toLast / Runs);
    std::printf("serial description fetches (100): %.1f ms\n", baseline / Runs);
    std::printf("discovery vs serial fetches ratio: %.2f\n", toLast / baseline);
    std::printf("announced mixer listed after: %.1f ms\n", announced / Runs);
    std::printf("genuine mixer under a 1024-answer flood: %.1f ms\n", flooded / Runs);
    return 0;
}
