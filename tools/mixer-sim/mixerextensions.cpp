#include "mixerextension.h"
#include "netfaceextension.h"

namespace velmora::sim {

std::vector<std::unique_ptr<MixerExtension>> makeMixerExtensions(const MixerProfile &profile)
{
    std::vector<std::unique_ptr<MixerExtension>> extensions;
    extensions.push_back(std::make_unique<NetFaceExtension>(profile));
    return extensions;
}

} // namespace velmora::sim
