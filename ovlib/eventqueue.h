#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace ovlib::internal {

// One thread that runs posted calls strictly in posting order. Discovery reports from several
// threads (search workers, the announcement listener, the discovery thread); funnelling the
// listener calls through one queue keeps a device's DEVICE_DELETED from overtaking its
// DEVICE_ADDED.
class EventQueue
{
public:
    EventQueue() = default;
    ~EventQueue();
    EventQueue(const EventQueue &) = delete;
    EventQueue &operator=(const EventQueue &) = delete;

    void post(std::function<void()> call);
    // Waits until every call posted before has run. Must not be called from a posted call.
    void flush();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_drained;
    std::deque<std::function<void()>> m_calls;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace ovlib::internal
