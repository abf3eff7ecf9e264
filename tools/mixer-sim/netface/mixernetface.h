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

    // The mixer got another address (a new DHCP lease): it goes quiet at the old one and comes
    // up at the new one with an ssdp:alive, without saying goodbye.
    bool moveTo(const std::array<uint8_t, 4> &address);

    const MixerIdentity &identity() const { return m_identity; }
    SsdpResponder &ssdp() { return *m_ssdpFace; }
    CommandPort &commandPort() { return *m_commandFace; }

private:
    MixerIdentity m_identity;
    std::unique_ptr<SsdpResponder> m_ssdpFace;
    std::unique_ptr<CommandPort> m_commandFace;
    std::unique_ptr<DescriptionServer> m_description;
    bool m_running = false;
};

} // namespace velmora::sim
