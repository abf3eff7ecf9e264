#pragma once

#include "mixerextension.h"
#include "netface/commandport.h"
#include "netface/ssdpresponder.h"

namespace velmora::sim {

// Puts a simulated mixer on the SSDP group and its command port on 17300, and serves its
// description document from the mixer's own HTTP server.
class NetFaceExtension : public MixerExtension
{
public:
    explicit NetFaceExtension(const MixerProfile &profile);

    void addRoutes(SimHttpServer &server) override;
    bool start() override;
    void stop() override;

private:
    MixerIdentity m_identity;
    bool m_ssdpOn;
    SsdpResponder m_ssdp;
    CommandPort m_commandPort;
};

// What the network face shows for a profile.
MixerIdentity identityFor(const MixerProfile &profile);

} // namespace velmora::sim
