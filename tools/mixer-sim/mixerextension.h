#pragma once

#include "mixerprofile.h"

#include <memory>
#include <vector>

#include "simhttpserver.h"

namespace velmora::sim {

// Something more a simulated mixer shows on the network (SSDP, the description document,
// the command port). A mixer owns its extensions and runs them with its own start and stop.
class MixerExtension
{
public:
    virtual ~MixerExtension() = default;
    // Called on every start before the mixer's HTTP server listens: the place to add routes.
    // The server is new on every start.
    virtual void addRoutes(SimHttpServer &server) { (void)server; }
    // After the HTTP server listens; false fails the mixer's start.
    virtual bool start() { return true; }
    // Before the HTTP server closes.
    virtual void stop() {}
};

// The extensions every simulated mixer gets, made for its profile.
std::vector<std::unique_ptr<MixerExtension>> makeMixerExtensions(const MixerProfile &profile);

} // namespace velmora::sim
