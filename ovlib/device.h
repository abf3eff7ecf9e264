#pragma once

#include <memory>
#include <string>

namespace ovlib {

class Command;
class DeviceListener;

// Base of every device. Devices live in shared ownership and hand out shared references to
// themselves, so a queued command can hold its device weakly.
class Device : public std::enable_shared_from_this<Device>
{
public:
    virtual ~Device();

    virtual void sendCommand(const std::shared_ptr<Command> &command);
    virtual int getType() const;
    virtual bool isSameDevice(const std::shared_ptr<Device> &other) const;
    virtual std::string getKey() const;

    void setDeviceListener(const std::shared_ptr<DeviceListener> &listener);
    std::weak_ptr<DeviceListener> deviceListener() const { return m_resultListener; }

private:
    std::weak_ptr<DeviceListener> m_resultListener;
};

} // namespace ovlib
