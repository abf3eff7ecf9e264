#include "mixerprofile.h"

#include <cstdio>
#include <cstdlib>

namespace velmora::sim {

namespace {

std::string hex2(int value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xff);
    return text;
}

} // namespace

int MixerProfile::hostNumber() const
{
    const size_t dot = address.rfind('.');
    return dot == std::string::npos ? 0 : std::atoi(address.c_str() + dot + 1);
}

void MixerProfile::completeDefaults()
{
    int a = 0, b = 0, c = 0, d = 0;
    std::sscanf(address.c_str(), "%d.%d.%d.%d", &a, &b, &c, &d);
    const int unique = (b << 16) | (c << 8) | d;
    if (name.empty()) {
        name = model + " " + std::to_string(d);
    }
    if (mac.empty()) {
        mac = "00:1D:C1:" + hex2(b) + ':' + hex2(c) + ':' + hex2(d);
    }
    if (serial == 0) {
        serial = 22080000 + unique % 10000;
    }
    if (udn.empty()) {
        char text[64];
        std::snprintf(text, sizeof text, "uuid:5a3e2208-0000-4000-8000-%012X", unique);
        udn = text;
    }
}

MixerProfile generatedProfile(int n)
{
    MixerProfile profile;
    // 253 mixers per /24, skipping .0, .1 and .255.
    profile.address = "127.0." + std::to_string(n / 253) + '.' + std::to_string(2 + n % 253);
    profile.model = n % 2 == 0 ? "ZEPH-2208" : "ZEPH-2208NET";
    profile.deviceId = n % 256;
    profile.headerColor = n % 7;
    profile.completeDefaults();
    return profile;
}

} // namespace velmora::sim
