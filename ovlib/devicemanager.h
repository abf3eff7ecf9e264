#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ovlib {

class Device;
class DiscoveryListener;

// The library's discovery service: repeated SSDP searches for the maker's mixers, one device
// object per answering mixer, events to one weakly held listener. One per process.
class DeviceManager
{
public:
    static DeviceManager &getInstance();
    ~DeviceManager();

    int setDiscoveryListener(const std::shared_ptr<DiscoveryListener> &listener);
    // pollingSeconds 10..3600; flags 0x1 (SSDP search) and 0x4 (kept, starts nothing).
    int discoveryStart(unsigned pollingSeconds, unsigned flags);
    int discoveryRefresh();
    int discoveryStop();
    std::vector<std::shared_ptr<Device>> getDevices() const;

    // A responder to the search whose description could not be used, so that it is in no
    // list: an installer looking for a mixer wants to know that it answered, and why it was
    // not taken.
    struct Refusal
    {
        std::array<uint8_t, 4> address;
        std::string reason;
    };
    // One per address, the latest reason; an address leaves once a device is taken from it.
    std::vector<Refusal> getRefusals() const;

    class DeviceManagerImpl;

private:
    DeviceManager();
    std::unique_ptr<DeviceManagerImpl> m_impl;
};

} // namespace ovlib
