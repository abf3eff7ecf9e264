#pragma once

#include <memory>
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

    class DeviceManagerImpl;

private:
    DeviceManager();
    std::unique_ptr<DeviceManagerImpl> m_impl;
};

} // namespace ovlib
