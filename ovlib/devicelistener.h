#pragma once

#include <cstdint>
#include <memory>

namespace ovlib {

class OvResponseObject;

// Receives the outcome of each command on the device's processing thread.
class DeviceListener
{
public:
    virtual ~DeviceListener() = default;
    virtual void onCommandFinished(uint32_t requestId, int32_t result,
                                   const std::shared_ptr<OvResponseObject> &response) = 0;
};

} // namespace ovlib
