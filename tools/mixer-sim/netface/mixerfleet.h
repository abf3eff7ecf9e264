#pragma once

#include "mixernetface.h"

#include <memory>
#include <vector>

namespace velmora::sim {

// A numbered identity: mixer n lives at 127.0.0.(firstOctet + n) with its own UDN and serial.
MixerIdentity fleetIdentity(int firstOctet, int n);

// Many mixers with their own description servers, for load tests and benchmarks.
class MixerFleet
{
public:
    // Starts count mixers from 127.0.0.firstOctet; false when any fails to start.
    bool start(int firstOctet, int count);
    ~MixerFleet();
    MixerNetFace &mixer(int n) { return *m_mixers.at(size_t(n)); }
    size_t size() const { return m_mixers.size(); }

private:
    std::vector<std::unique_ptr<MixerNetFace>> m_mixers;
};

} // namespace velmora::sim
