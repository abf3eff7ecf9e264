#include "device/qovtaskpool.h"

#include <QDebug>
#include <QThread>

#include <chrono>
#include <exception>
#include <system_error>
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

void QovTaskPool::failThreadStarts(int count)
{
    QovTaskPool &pool = instance();
    std::lock_guard<std::mutex> lock(pool.m_mutex);
    pool.m_failStarts = count;
}

void QovTaskPool::reportException()
{
    try {
        throw;
    } catch (const std::exception &e) {
        qDebug() << QThread::currentThreadId() << "task failed:" << e.what();
    } catch (...) {
        qDebug() << QThread::currentThreadId() << "task failed";
    }
}

bool QovTaskPool::post(Job job)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (static_cast<int>(m_jobs.size()) >= m_idle) {
        // Every idle worker has a job waiting already: this one needs a worker of its own.
        try {
            if (m_failStarts > 0) {
                --m_failStarts;
                throw std::system_error(
                    std::make_error_code(std::errc::resource_unavailable_try_again));
            }
            std::thread([this] { work(); }).detach();
        } catch (const std::system_error &e) {
            qDebug() << QThread::currentThreadId() << "no thread for a task:" << e.what();
            return false;
        }
        ++m_workers;
        // The new worker counts as idle until it takes a job.
        ++m_idle;
        m_jobs.push_back(std::move(job));
        return true;
    }
    m_jobs.push_back(std::move(job));
    lock.unlock();
    m_wake.notify_one();
    return true;
}

void QovTaskPool::work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        // Counted idle by whoever made this worker or by the wait below.
        const bool woken =
            m_wake.wait_for(lock, std::chrono::seconds(30), [this] { return !m_jobs.empty(); });
        --m_idle;
        if (!woken) {
            --m_workers;
            return;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        Publish publish = job();
        job = nullptr;
        lock.lock();
        ++m_idle;
        lock.unlock();
        publish();
        publish = nullptr;
        lock.lock();
    }
}
