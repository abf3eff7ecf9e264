#include "ovlib/ovupnpdevice.h"

#include "ovlib/commandmanager.h"
#include "ovlib/ovcommand.h"
#include "ovlib/overror.h"
#include "ovlib/ovexception.h"
#include "ovlib/ovfileuploadcommand.h"

namespace ovlib {

OvUPnPDevice::OvUPnPDevice(const DeviceDescription &description, const IPEndPoint &endpoint)
    : SocketDevice(endpoint)
    , m_description(description)
{
    if (!description.udn.empty() && !description.deviceType.empty()) {
        m_key = description.udn + "::" + description.deviceType;
    }
}

void OvUPnPDevice::sendCommand(const std::shared_ptr<Command> &command)
{
    if (!command) {
        throw OvException(OV_ERR_INVALID_PARAMETER, "OvUPnPDevice::sendCommand: Command is null!");
    }
    const std::shared_ptr<DeviceListener> listener = deviceListener().lock();
    if (!listener) {
        throw OvException(OV_ERR_DONE, "OvUPnPDevice::sendCommand: No valid listener!");
    }
    // The queue keeps its own copy: the caller may reuse or drop its object at once.
    std::shared_ptr<OvCommand> copy;
    if (auto upload = std::dynamic_pointer_cast<OvFileUploadCommand>(command)) {
        copy = std::make_shared<OvFileUploadCommand>(*upload);
    } else if (auto plain = std::dynamic_pointer_cast<OvCommand>(command)) {
        copy = std::make_shared<OvCommand>(*plain);
    } else {
        throw OvException(OV_ERR_INVALID_PARAMETER,
                          "OvUPnPDevice::sendCommand: Command not an instance of OvCommand!");
    }
    internal::CommandManager::getInstance().addOvCommand(weak_from_this(), listener, copy);
}

int OvUPnPDevice::getType() const
{
    return 1;
}

bool OvUPnPDevice::isSameDevice(const std::shared_ptr<Device> &other) const
{
    return other && other->getType() == 1 && !m_key.empty() && m_key == other->getKey();
}

std::string OvUPnPDevice::getKey() const
{
    return m_key;
}

} // namespace ovlib
