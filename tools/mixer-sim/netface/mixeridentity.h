#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace velmora::sim {

// What a simulated mixer shows of itself on the network.
struct MixerIdentity
{
    std::array<uint8_t, 4> address{127, 0, 0, 2};
    std::string modelName = "ZEPH-2208";
    std::string friendlyName = "ZEPH-2208";
    std::string mac = "00:1D:C1:00:00:02";
    std::string serial = "S000002";
    std::string udn = "uuid:00000000-0000-4000-8000-000000000002";
    // Where the description document is served (the mixer's HTTP server).
    uint16_t httpPort = 80;
    uint16_t commandPort = 17300;

    std::string addressText() const;
    std::string location() const;
};

inline constexpr const char *DeviceType = "urn:schemas-upnp-org:device:OVCUDevice:1";
inline constexpr const char *DescriptionPath = "/description.xml";

// The description document with friendly name, model, serial, UDN and an icon list.
std::string descriptionDocument(const MixerIdentity &identity);

} // namespace velmora::sim
