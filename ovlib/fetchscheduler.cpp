#include "ovlib/fetchscheduler.h"

namespace ovlib::internal {

FetchScheduler::FetchScheduler(size_t workers, size_t queuePerResponder)
    : m_queuePerResponder(queuePerResponder)
{
    for (size_t i = 0; i < workers; ++i) {
        m_workers.emplace_back([this] { workLoop(); });
    }
}

FetchScheduler::~FetchScheduler()
{
    cancel();
}

uint32_t FetchScheduler::keyOf(const Address &address)
{
    return (uint32_t(address[0]) << 24) | (uint32_t(address[1]) << 16) |
           (uint32_t(address[2]) << 8) | uint32_t(address[3]);
}

bool FetchScheduler::submit(const Address &responder, std::function<void()> work,
                            Clock::time_point startBy)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_cancelled) {
        return false;
    }
    const uint32_t key = keyOf(responder);
    Share &share = m_shares[key];
    if (share.queue.size() >= m_queuePerResponder) {
        ++m_dropped;
        return false;
    }
    share.queue.push_back(Job{std::move(work), startBy});
    if (!share.busy && share.queue.size() == 1) {
        m_turns.push_back(key);
    }
    m_wake.notify_one();
    return true;
}

void FetchScheduler::workLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_cancelled || !m_turns.empty(); });
        if (m_cancelled) {
            return;
        }
        const uint32_t key = m_turns.front();
        m_turns.pop_front();
        Job job;
        {
            Share &share = m_shares[key];
            job = std::move(share.queue.front());
            share.queue.pop_front();
            share.busy = true;
        }
        if (Clock::now() > job.startBy) {
            ++m_dropped;
        } else {
            ++m_running;
            lock.unlock();
            job.work();
            lock.lock();
            --m_running;
        }
        // cancel() may have emptied the shares meanwhile.
        const auto share = m_shares.find(key);
        if (share != m_shares.end()) {
            share->second.busy = false;
            // The responder goes to the back of the line: everyone else gets a turn first.
            if (!share->second.queue.empty()) {
                m_turns.push_back(key);
                m_wake.notify_one();
            } else {
                m_shares.erase(share);
            }
        }
        if (m_turns.empty() && m_running == 0) {
            m_idle.notify_all();
        }
    }
}

bool FetchScheduler::waitIdle(Clock::time_point deadline)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_idle.wait_until(lock, deadline,
                             [this] { return m_cancelled || (m_turns.empty() && m_running == 0); });
}

void FetchScheduler::cancel()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cancelled = true;
        m_turns.clear();
        m_shares.clear();
        m_wake.notify_all();
        m_idle.notify_all();
    }
    for (auto &worker : m_workers) {
        if (worker.joinable()) {
            worker.join();
        }
    }
    m_workers.clear();
}

size_t FetchScheduler::dropped() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dropped;
}

} // namespace ovlib::internal
