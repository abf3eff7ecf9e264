#pragma once

#include "commandport.h"
#include "descriptionserver.h"
#include "mixeridentity.h"
#include "ssdpresponder.h"

#include <memory>

namespace velmora::sim {

// Everything a simulated mixer shows on the network besides its CGI pages: SSDP, the command
// port and, when asked for, its own server for the description document.
class MixerNetFace
{
public:
    explicit MixerNetFace(MixerIdentity identity, bool serveDescription = false);
    ~MixerNetFace();

    // Brings up the command port and the description server, then announces the mixer.
    bool start();
    // Says goodbye on the group when byebye is set, otherwise just falls silent.
    void stop(bool byebye = true);

    const MixerIdentity &identity() const { return m_identity; }
    SsdpResponder &ssdp() { return m_ssdp; }
    CommandPort &commandPort() { return m_commandPort; }

private:
    MixerIdentity m_identity;
    SsdpResponder m_ssdp;
    CommandPort m_commandPort;
    std::unique_ptr<DescriptionServer> m_description;
    bool m_running = false;
};

} // namespace velmora::sim
