#include "ovlib/commandmanager.h"

#include "ovlib/commandexchange.h"
#include "ovlib/devicelistener.h"
#include "ovlib/ovcommand.h"
#include "ovlib/overror.h"
#include "ovlib/ovresponseobject.h"
#include "ovlib/ovserialtalker.h"
#include "ovlib/ovupnptalker.h"
#include "ovlib/socketdevice.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>

namespace ovlib::internal {

namespace {

struct Entry
{
    uint32_t requestId;
    std::weak_ptr<Device> device;
    std::weak_ptr<DeviceListener> listener;
    std::shared_ptr<Command> command;
};

struct QueueHolder
{
    std::unique_ptr<OvTalker> talker;
    // The endpoint the talker speaks to; a device that moved gets a new talker.
    std::string talkerEndpoint;
    std::deque<Entry> queue;
    std::chrono::steady_clock::time_point lastActivity{};
};

// Devices without an identity key are told apart by where they are reached.
std::string queueKey(const Device &device)
{
    std::string key = device.getKey();
    if (!key.empty()) {
        return key;
    }
    if (const auto *socketDevice = dynamic_cast<const SocketDevice *>(&device)) {
        return "endpoint:" + socketDevice->endpoint().toString();
    }
    return "device:" + std::to_string(reinterpret_cast<uintptr_t>(&device));
}

// A talker for the device where it is now; null for a device type without one.
std::unique_ptr<OvTalker> makeTalker(const Device &device, std::string &endpoint)
{
    const auto *socketDevice = dynamic_cast<const SocketDevice *>(&device);
    if (device.getType() == 1 && socketDevice != nullptr) {
        endpoint = socketDevice->endpoint().toString();
        return std::make_unique<OvUPnPTalker>(socketDevice->endpoint());
    }
    if (device.getType() == 2) {
        endpoint.clear();
        return std::make_unique<OvSerialTalker>();
    }
    return nullptr;
}

} // namespace

class CommandManager::CommandManagerImpl
{
public:
    uint32_t addOvCommand(const std::weak_ptr<Device> &device,
                          const std::weak_ptr<DeviceListener> &listener,
                          const std::shared_ptr<OvCommand> &command);

private:
    void processCommands(const std::string &key);
    int32_t exchange(QueueHolder &holder, const Entry &entry,
                     std::shared_ptr<OvResponseObject> &last);

    std::mutex m_mutex;
    uint32_t m_requestCounter = 0;
    std::map<std::string, std::shared_ptr<QueueHolder>> m_queues;
    // When each device last talked, kept beyond its queue: the next command's queue may be
    // created a moment after the previous one ended.
    std::map<std::string, std::chrono::steady_clock::time_point> m_lastActivity;
};

CommandManager::CommandManager()
    : m_impl(std::make_unique<CommandManagerImpl>())
{
}

CommandManager &CommandManager::getInstance()
{
    static CommandManager *instance = new CommandManager;
    return *instance;
}

uint32_t CommandManager::addOvCommand(const std::weak_ptr<Device> &device,
                                      const std::weak_ptr<DeviceListener> &listener,
                                      const std::shared_ptr<OvCommand> &command)
{
    return m_impl->addOvCommand(device, listener, command);
}

uint32_t
CommandManager::CommandManagerImpl::addOvCommand(const std::weak_ptr<Device> &device,
                                                 const std::weak_ptr<DeviceListener> &listener,
                                                 const std::shared_ptr<OvCommand> &command)
{
    uint32_t requestId;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        requestId = ++m_requestCounter;
    }
    const std::shared_ptr<Device> target = device.lock();
    if (!target) {
        std::cerr << "Warning: Trying to send command with expired device pointer.\n";
        return 0;
    }
    const std::string key = queueKey(*target);
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_queues.find(key);
    if (found != m_queues.end()) {
        found->second->queue.push_back(Entry{requestId, device, listener, command});
        return requestId;
    }
    auto holder = std::make_shared<QueueHolder>();
    holder->talker = makeTalker(*target, holder->talkerEndpoint);
    if (!holder->talker) {
        std::cerr << "Error: CommandManager::CommandManagerImpl::addOvCommand called "
                  << "with unsupported device type=" << target->getType()
                  << " for device ID=" << key << '\n';
        return 0;
    }
    holder->queue.push_back(Entry{requestId, device, listener, command});
    holder->lastActivity = m_lastActivity[key];
    m_queues.emplace(key, holder);
    std::thread([this, key] { processCommands(key); }).detach();
    return requestId;
}

void CommandManager::CommandManagerImpl::processCommands(const std::string &key)
{
    for (;;) {
        Entry entry;
        std::shared_ptr<QueueHolder> holder;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            auto found = m_queues.find(key);
            if (found == m_queues.end()) {
                std::cerr << "Error: Exception when searching for command queue for device=" << key
                          << ". Exception: no queue\n";
                return;
            }
            holder = found->second;
            if (holder->queue.empty()) {
                m_lastActivity[key] = holder->lastActivity;
                m_queues.erase(found);
                return;
            }
            entry = holder->queue.front();
            holder->queue.pop_front();
        }
        auto command = std::dynamic_pointer_cast<OvCommand>(entry.command);
        if (!command || command->name().empty()) {
            std::cerr << "Error (ovlib::internal::CommandManager::CommandManagerImpl::"
                         "processCommands): Failed to cast Command to OvCommand, or trying to "
                         "send empty command.\n";
            continue;
        }
        if (command->protocol() != 1 && command->protocol() != 2) {
            std::cerr << "Error: Command manager can only handle OvProtocol commands.\n";
            continue;
        }
        std::shared_ptr<OvResponseObject> last;
        const int32_t result = exchange(*holder, entry, last);
        if (last) {
            last->setRequestId(entry.requestId);
        }
        if (auto listener = entry.listener.lock()) {
            listener->onCommandFinished(entry.requestId, result, last);
        } else {
            std::cerr << "Warning: Finished processing request ID " << entry.requestId
                      << " but there was no DeviceListener to report the result!\n";
        }
    }
}

int32_t CommandManager::CommandManagerImpl::exchange(QueueHolder &holder, const Entry &entry,
                                                     std::shared_ptr<OvResponseObject> &last)
{
    const auto &command = static_cast<const OvCommand &>(*entry.command);
    if (command.parameters().empty()) {
        std::cerr << "Error: Trying to send empty command.\n";
        return OV_ERR_INVALID_PARAMETER;
    }
    const std::shared_ptr<Device> device = entry.device.lock();
    if (!device) {
        std::cerr << "Error: Trying to send command, but device not available anymore.\n";
        return OV_ERR_INVALID_STATE;
    }
    // The queue follows its device: a command given to the newer object of a device that has
    // moved goes to the new address.
    std::string endpoint;
    std::unique_ptr<OvTalker> current = makeTalker(*device, endpoint);
    if (current && endpoint != holder.talkerEndpoint) {
        holder.talker = std::move(current);
        holder.talkerEndpoint = endpoint;
    }
    return runExchange(*holder.talker, command, last, holder.lastActivity);
}

} // namespace ovlib::internal
