#include "ovlib/eventqueue.h"

namespace ovlib::internal {

EventQueue::~EventQueue()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_wake.notify_all();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void EventQueue::post(std::function<void()> call)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back(std::move(call));
    if (!m_thread.joinable()) {
        m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_one();
}

void EventQueue::flush()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_drained.wait(lock, [this] { return m_calls.empty() && !m_busy; });
}

void EventQueue::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        // Calls posted before a stop still run: a listener must see every removal.
        m_wake.wait(lock, [this] { return m_stop || !m_calls.empty(); });
        if (m_calls.empty()) {
            return;
        }
        std::function<void()> call = std::move(m_calls.front());
        m_calls.pop_front();
        m_busy = true;
        lock.unlock();
        call();
        lock.lock();
        m_busy = false;
        if (m_calls.empty()) {
            m_drained.notify_all();
        }
    }
}

} // namespace ovlib::internal
