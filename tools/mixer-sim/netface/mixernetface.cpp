#include "mixernetface.h"

namespace velmora::sim {

MixerNetFace::MixerNetFace(MixerIdentity identity, bool serveDescription)
    : m_identity(identity)
    , m_ssdpFace(std::make_unique<SsdpResponder>(identity))
    , m_commandFace(std::make_unique<CommandPort>(identity))
{
    if (serveDescription) {
        m_description = std::make_unique<DescriptionServer>(identity);
    }
}

MixerNetFace::~MixerNetFace()
{
    if (m_running) {
        stop(false);
    }
}

bool MixerNetFace::start()
{
    if (!m_commandFace->start() || (m_description && !m_description->start()) ||
        !m_ssdpFace->start()) {
        stop(false);
        return false;
    }
    m_running = true;
    return true;
}

void MixerNetFace::stop(bool byebye)
{
    m_ssdpFace->stop(byebye);
    m_commandFace->stop();
    if (m_description) {
        m_description->stop();
    }
    m_running = false;
}

bool MixerNetFace::moveTo(const std::array<uint8_t, 4> &address)
{
    stop(false);
    m_identity.address = address;
    m_ssdpFace = std::make_unique<SsdpResponder>(m_identity);
    m_commandFace = std::make_unique<CommandPort>(m_identity);
    if (m_description) {
        m_description = std::make_unique<DescriptionServer>(m_identity);
    }
    return start();
}

} // namespace velmora::sim
