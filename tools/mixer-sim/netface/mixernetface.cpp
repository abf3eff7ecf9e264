#include "mixernetface.h"

namespace velmora::sim {

MixerNetFace::MixerNetFace(MixerIdentity identity, bool serveDescription)
    : m_identity(identity)
    , m_ssdp(identity)
    , m_commandPort(identity)
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
    if (!m_commandPort.start() || (m_description && !m_description->start()) || !m_ssdp.start()) {
        stop(false);
        return false;
    }
    m_running = true;
    return true;
}

void MixerNetFace::stop(bool byebye)
{
    m_ssdp.stop(byebye);
    m_commandPort.stop();
    if (m_description) {
        m_description->stop();
    }
    m_running = false;
}

} // namespace velmora::sim
