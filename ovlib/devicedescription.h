#pragma once

#include "ovlib/deviceicon.h"

#include <array>
#include <string>

namespace ovlib {

// What a mixer's description document says about it (UTF-8 texts).
struct DeviceDescription
{
    std::string friendlyName;
    std::string manufacturer;
    std::string modelName;
    std::string serialNumber;
    std::string deviceType;
    std::string udn;
    std::array<DeviceIcon, 4> icons;
};

} // namespace ovlib
