#include "ovlib/devicemanager.h"

#include "ovlib/devicemanagerimpl.h"

namespace ovlib {

DeviceManager::DeviceManager()
    : m_impl(std::make_unique<DeviceManagerImpl>())
{
}

DeviceManager::~DeviceManager() = default;

DeviceManager &DeviceManager::getInstance()
{
    static DeviceManager instance;
    return instance;
}

int DeviceManager::setDiscoveryListener(const std::shared_ptr<DiscoveryListener> &listener)
{
    return m_impl->setDiscoveryListener(listener);
}

int DeviceManager::discoveryStart(unsigned pollingSeconds, unsigned flags)
{
    return m_impl->discoveryStart(pollingSeconds, flags);
}

int DeviceManager::discoveryRefresh()
{
    return m_impl->discoveryRefresh();
}

int DeviceManager::discoveryStop()
{
    return m_impl->discoveryStop();
}

std::vector<std::shared_ptr<Device>> DeviceManager::getDevices() const
{
    return m_impl->getDevices();
}

std::vector<DeviceManager::Refusal> DeviceManager::getRefusals() const
{
    return m_impl->getRefusals();
}

} // namespace ovlib
