#pragma once

#include <cstdint>
#include <memory>

namespace ovlib {
class Device;
class DeviceListener;
class OvCommand;
} // namespace ovlib

namespace ovlib::internal {

// One queue and one processing thread per device key; commands of one device run strictly in
// order, different devices in parallel. Process-wide and never destroyed, so a processing
// thread may outlive static destruction safely.
class CommandManager
{
public:
    static CommandManager &getInstance();

    // Returns the request id given to the command (0 when it was dropped).
    uint32_t addOvCommand(const std::weak_ptr<Device> &device,
                          const std::weak_ptr<DeviceListener> &listener,
                          const std::shared_ptr<OvCommand> &command);

    class CommandManagerImpl;

private:
    CommandManager();
    std::unique_ptr<CommandManagerImpl> m_impl;
};

} // namespace ovlib::internal
