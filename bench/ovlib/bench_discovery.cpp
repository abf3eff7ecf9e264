// Time from discoveryStart to the 100th DEVICE_ADDED with 100 simulated mixers, against the
// bare cost of fetching and parsing their 100 descriptions one by one. Run inside
// scripts/sandbox.
#include "privatenetwork.h"

#include "mixerfleet.h"
#include "ovlib/descriptionparser.h"
#include "ovlib/devicemanagerimpl.h"
#include "ovlib/discoverylistener.h"
#include "ovlib/httpfetch.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

using Clock = std::chrono::steady_clock;
using Impl = ovlib::DeviceManager::DeviceManagerImpl;

namespace {

constexpr int Count = 100;
constexpr int FirstOctet = 10;
constexpr int Runs = 3;

class CountingListener : public ovlib::DiscoveryListener
{
public:
    void onDiscoveryEvent(const std::shared_ptr<ovlib::Device> &,
                          ovlib::DiscoveryEvent event) override
    {
        if (event != ovlib::DEVICE_ADDED) {
            return;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        if (++m_added == 1) {
            m_first = Clock::now();
        }
        if (m_added == Count) {
            m_last = Clock::now();
            m_done.notify_all();
        }
    }
    bool wait(std::chrono::seconds timeout)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_done.wait_for(lock, timeout, [this] { return m_added >= Count; });
    }
    Clock::time_point first() const { return m_first; }
    Clock::time_point last() const { return m_last; }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    int m_added = 0;
    Clock::time_point m_first, m_last;
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

} // namespace

int main()
{
    velmora::test::requirePrivateNetwork();
    velmora::sim::MixerFleet fleet;
    if (!fleet.start(FirstOctet, Count)) {
        std::fprintf(stderr, "bench_discovery: cannot start the mixers\n");
        return 1;
    }
    double toLast = 0, toFirst = 0, baseline = 0;
    for (int run = 0; run < Runs; ++run) {
        auto listener = std::make_shared<CountingListener>();
        Impl manager;
        manager.setDiscoveryListener(listener);
        const auto started = Clock::now();
        manager.discoveryStart(3600, 1);
        if (!listener->wait(std::chrono::seconds(10))) {
            std::fprintf(stderr, "bench_discovery: not all mixers were found\n");
            return 1;
        }
        toFirst += ms(listener->first() - started);
        toLast += ms(listener->last() - started);
        manager.discoveryStop();
        baseline += serialFetches();
    }
    std::printf("discovery first device: %.1f ms\n", toFirst / Runs);
    std::printf("discovery 100th device: %.1f ms\n", toLast / Runs);
    std::printf("serial description fetches (100): %.1f ms\n", baseline / Runs);
    std::printf("discovery vs serial fetches ratio: %.2f\n", toLast / baseline);
    return 0;
}
