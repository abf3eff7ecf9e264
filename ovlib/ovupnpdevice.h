#pragma once

#include "ovlib/devicedescription.h"
#include "ovlib/socketdevice.h"

namespace ovlib {

// A mixer found by discovery; its command endpoint is the description host on port 17300.
class OvUPnPDevice : public SocketDevice
{
public:
    static constexpr uint32_t CommandPort = 17300;

    OvUPnPDevice(const DeviceDescription &description, const IPEndPoint &endpoint);

    void sendCommand(const std::shared_ptr<Command> &command) override;
    int getType() const override;
    bool isSameDevice(const std::shared_ptr<Device> &other) const override;
    std::string getKey() const override;

    const std::array<uint8_t, 4> &ipAddress() const { return endpoint().address(); }
    const std::string &friendlyName() const { return m_description.friendlyName; }
    const std::string &manufacturer() const { return m_description.manufacturer; }
    const std::string &modelName() const { return m_description.modelName; }
    const std::string &serialNumber() const { return m_description.serialNumber; }
    const std::string &udn() const { return m_description.udn; }
    const std::array<DeviceIcon, 4> &icons() const { return m_description.icons; }

private:
    DeviceDescription m_description;
    std::string m_key;
};

} // namespace ovlib
