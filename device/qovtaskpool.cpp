#include "device/qovtaskpool.h"

#include <chrono>
#include <thread>

QovTaskPool &QovTaskPool::instance()
{
    // Never destroyed: workers may still wait on it while the process exits.
    static QovTaskPool *pool = new QovTaskPool;
    return *pool;
}

int QovTaskPool::workerCount()
{
    QovTaskPool &pool = instance();
    std::lock_guard<std::mutex> lock(pool.m_mutex);
    return pool.m_workers;
}

void QovTaskPool::post(std::function<void()> job)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_jobs.push_back(std::move(job));
    if (static_cast<int>(m_jobs.size()) > m_idle) {
        ++m_workers;
        std::thread([this] { work(); }).detach();
    } else {
        m_wake.notify_one();
    }
}

void QovTaskPool::work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (!m_jobs.empty()) {
            std::function<void()> job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
            continue;
        }
        ++m_idle;
        const bool woken =
            m_wake.wait_for(lock, std::chrono::seconds(30), [this] { return !m_jobs.empty(); });
        --m_idle;
        if (!woken) {
            --m_workers;
            return;
        }
    }
}
