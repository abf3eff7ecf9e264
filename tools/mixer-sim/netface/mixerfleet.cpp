#include "mixerfleet.h"

#include <cstdio>
#include <thread>

namespace velmora::sim {

MixerIdentity fleetIdentity(int firstOctet, int n)
{
    const int octet = firstOctet + n;
    MixerIdentity identity;
    identity.address = {127, 0, 0, static_cast<uint8_t>(octet)};
    char text[64];
    std::snprintf(text, sizeof text, "uuid:00000000-0000-4000-8000-%012d", octet);
    identity.udn = text;
    std::snprintf(text, sizeof text, "00:1D:C1:00:00:%02X", octet);
    identity.mac = text;
    identity.serial = "S" + std::to_string(100000 + octet);
    identity.friendlyName = "Mixer " + std::to_string(n + 1);
    identity.modelName = n % 2 == 0 ? "ZEPH-2208" : "ZEPH-2208NET";
    return identity;
}

MixerFleet::~MixerFleet()
{
    // Each mixer takes a poll interval to wind down; do it side by side.
    std::vector<std::thread> stopping;
    for (auto &mixer : m_mixers) {
        stopping.emplace_back([&mixer] { mixer->stop(false); });
    }
    for (auto &thread : stopping) {
        thread.join();
    }
}

bool MixerFleet::start(int firstOctet, int count)
{
    for (int n = 0; n < count; ++n) {
        m_mixers.push_back(std::make_unique<MixerNetFace>(fleetIdentity(firstOctet, n), true));
        if (!m_mixers.back()->start()) {
            return false;
        }
    }
    return true;
}

} // namespace velmora::sim
