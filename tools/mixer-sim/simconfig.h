#pragma once

#include "mixerfaults.h"
#include "mixerprofile.h"

#include <string>
#include <vector>

namespace velmora::sim {

struct MixerEntry
{
    MixerProfile profile;
    MixerFaults faults;
    // False: the mixer exists (the control interface can start it) but starts switched off.
    bool startOn = true;
};

struct SimConfig
{
    std::string controlAddress = "127.0.0.1";
    // 0 lets the system choose; the simulator prints the port it got.
    int controlPort = 7700;
    std::vector<MixerEntry> mixers;
};

// A dotted IPv4 address in 127.0.0.0/8, where every simulated mixer lives.
bool isLoopbackAddress(const std::string &address);

// Reads the JSON configuration text (layout in docs/mixer-sim.md). Returns an error text naming
// the first bad member, empty on success.
std::string readConfig(const std::string &json, SimConfig &config);

} // namespace velmora::sim
