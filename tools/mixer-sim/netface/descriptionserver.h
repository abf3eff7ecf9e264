#pragma once

#include "mixeridentity.h"
#include "tcpservice.h"

namespace velmora::sim {

// Serves only the description document, for a mixer run without the simulator's own HTTP
// server (the device library's tests and benchmark).
class DescriptionServer
{
public:
    explicit DescriptionServer(MixerIdentity identity)
        : m_identity(std::move(identity))
    {
    }

    bool start();
    void stop() { m_service.stop(); }

private:
    void serve(int fd, const std::atomic<bool> &stop);

    MixerIdentity m_identity;
    TcpService m_service;
};

// The HTTP reply for a request path: the description, or 404.
std::string descriptionReply(const MixerIdentity &identity, const std::string &path);

} // namespace velmora::sim
