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
        return;
    }
    lock.unlock();
    // A worker may be spinning and take the job before this wakes anyone; then the notify
    // finds the others asleep with nothing to do, which their predicate handles.
    m_wake.notify_one();
}

bool QovTaskPool::spinForJob(std::unique_lock<std::mutex> &lock)
{
    // An operation's steps hand over to each other in quick succession: a worker that just
    // finished looks for the next job for a moment before it sleeps, which saves the wake-up
    // latency of a sleeping thread on every step.
    const auto until = std::chrono::steady_clock::now() + kSpin;
    ++m_idle;
    while (m_jobs.empty() && std::chrono::steady_clock::now() < until) {
        lock.unlock();
        std::this_thread::yield();
        lock.lock();
    }
    --m_idle;
    return !m_jobs.empty();
}

void QovTaskPool::work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (!m_jobs.empty() || spinForJob(lock)) {
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
