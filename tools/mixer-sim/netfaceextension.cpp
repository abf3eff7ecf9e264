#include "netfaceextension.h"

#include "ovlib/ipendpoint.h"
#include "ovlib/ovexception.h"

namespace velmora::sim {

MixerIdentity identityFor(const MixerProfile &profile)
{
    MixerIdentity identity;
    try {
        identity.address = ovlib::IPEndPoint::parseAddress(profile.address);
    } catch (const ovlib::OvException &) {
        // The configuration has been checked; keep the default address rather than abort.
    }
    identity.modelName = profile.model;
    identity.friendlyName = profile.name.empty() ? profile.model : profile.name;
    identity.mac = profile.mac;
    identity.serial = std::to_string(profile.serial);
    identity.udn = profile.udn;
    identity.httpPort = static_cast<uint16_t>(profile.httpPort);
    return identity;
}

NetFaceExtension::NetFaceExtension(const MixerProfile &profile)
    : m_identity(identityFor(profile))
    , m_ssdpOn(profile.ssdp)
    , m_ssdp(m_identity)
    , m_commandPort(m_identity)
{
}

void NetFaceExtension::addRoutes(SimHttpServer &server)
{
    const std::string document = descriptionDocument(m_identity);
    server.get(DescriptionPath, [document](const HttpRequest &) {
        HttpReply reply;
        reply.contentType = "text/xml; charset=\"utf-8\"";
        reply.body = document;
        return reply;
    });
}

bool NetFaceExtension::start()
{
    // The command port first: a mixer that announces itself must already accept commands.
    if (!m_commandPort.start()) {
        return false;
    }
    if (m_ssdpOn && !m_ssdp.start()) {
        m_commandPort.stop();
        return false;
    }
    return true;
}

void NetFaceExtension::stop()
{
    if (m_ssdpOn) {
        m_ssdp.stop(true);
    }
    m_commandPort.stop();
}

} // namespace velmora::sim
