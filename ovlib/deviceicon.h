#pragma once

#include <cstdint>
#include <string>

namespace ovlib {

struct DeviceIcon
{
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
    std::string url;

    bool operator==(const DeviceIcon &o) const
    {
        return width == o.width && height == o.height && depth == o.depth && url == o.url;
    }
};

} // namespace ovlib
