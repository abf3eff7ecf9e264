#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>

// Where operations and their requests run. Like an asynchronous launch, every task starts at
// once: when no worker is idle a new one is made, so a task waiting for a task it started can
// never starve. Unlike a new thread per task, workers are kept for a while and reused, which
// saves a thread start and the toolkit's per-thread set-up (its event dispatcher) on every
// request. Workers idle for half a minute end.
class QovTaskPool
{
public:
    template<typename Work>
    static auto run(Work work) -> std::future<decltype(work())>
    {
        auto task = std::make_shared<std::packaged_task<decltype(work())()>>(std::move(work));
        std::future<decltype(work())> result = task->get_future();
        instance().post([task] { (*task)(); });
        return result;
    }

    // Workers alive now, busy or idle.
    static int workerCount();

private:
    static QovTaskPool &instance();
    void post(std::function<void()> job);
    void work();
    bool spinForJob(std::unique_lock<std::mutex> &lock);

    static constexpr std::chrono::microseconds kSpin{200};

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    int m_idle = 0;
    int m_workers = 0;
};
