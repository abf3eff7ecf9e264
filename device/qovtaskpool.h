#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>

// Where operations and their requests run. Like an asynchronous launch, every task starts at
// once: when no worker is idle a new one is made, so a task waiting for a task it started can
// never starve. Unlike a new thread per task, workers are kept for a while and reused, which
// saves a thread start per request. Idle workers sleep; after half a minute they end.
//
// A task never throws into its future: when it throws, or when no thread can be had to run
// it, the future holds `failed` instead and a debug line says why.
class QovTaskPool
{
public:
    template<typename Work, typename Result = decltype(std::declval<Work>()())>
    static std::future<Result> run(Work work, Result failed)
    {
        auto promise = std::make_shared<std::promise<Result>>();
        std::future<Result> result = promise->get_future();
        auto shared = std::make_shared<Work>(std::move(work));
        const bool started = instance().post([promise, shared, failed]() -> Publish {
            auto value = std::make_shared<Result>(compute(*shared, failed));
            return [promise, value] { promise->set_value(std::move(*value)); };
        });
        if (!started) {
            promise->set_value(failed);
        }
        return result;
    }

    // Workers alive now, busy or idle.
    static int workerCount();

    // For tests: the next `count` thread starts fail as if the system had no thread left.
    static void failThreadStarts(int count);

private:
    // A job works, then hands back how to publish its result; the worker publishes only once it
    // counts as idle again, so a task started in answer to that result reuses it.
    using Publish = std::function<void()>;
    using Job = std::function<Publish()>;

    template<typename Work, typename Result>
    static Result compute(Work &work, const Result &failed)
    {
        try {
            return work();
        } catch (...) {
            reportException();
            return failed;
        }
    }
    static QovTaskPool &instance();
    static void reportException();
    // False when the job needed a new worker and none could be started; the job is dropped.
    bool post(Job job);
    void work();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    int m_idle = 0;
    int m_workers = 0;
    int m_failStarts = 0;
};
