#include "ovlib/device.h"

#include "ovlib/overror.h"
#include "ovlib/ovexception.h"

namespace ovlib {

Device::~Device() = default;

void Device::sendCommand(const std::shared_ptr<Command> &)
{
    throw OvException(OV_ERR_NOTSUPPORTED, "sendCommand not supported for this device type.");
}

int Device::getType() const
{
    return 0;
}

bool Device::isSameDevice(const std::shared_ptr<Device> &) const
{
    return false;
}

std::string Device::getKey() const
{
    return std::string();
}

void Device::setDeviceListener(const std::shared_ptr<DeviceListener> &listener)
{
    m_resultListener = listener;
}

} // namespace ovlib
