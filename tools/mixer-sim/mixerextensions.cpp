#include "mixerextension.h"

namespace velmora::sim {

std::vector<std::unique_ptr<MixerExtension>> makeMixerExtensions(const MixerProfile &profile)
{
    (void)profile;
    // The network face (SSDP, description, command port) registers here.
    return {};
}

} // namespace velmora::sim
