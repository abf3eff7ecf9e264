#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace ovlib::internal {

// Worker threads for description fetches that give every responder address its own share: at
// most one fetch per responder runs at a time, responders take turns, and each may hold only a
// few queued jobs. A host that floods us with answers or stalls its replies therefore delays
// only its own fetches, never another mixer's.
class FetchScheduler
{
public:
    using Clock = std::chrono::steady_clock;
    using Address = std::array<uint8_t, 4>;

    FetchScheduler(size_t workers, size_t queuePerResponder);
    ~FetchScheduler();
    FetchScheduler(const FetchScheduler &) = delete;
    FetchScheduler &operator=(const FetchScheduler &) = delete;

    // Queues work for the responder; it is dropped unrun when no worker takes it by startBy.
    // False when the responder's share is full or the scheduler is cancelled.
    bool submit(const Address &responder, std::function<void()> work, Clock::time_point startBy);
    // Waits until nothing is queued or running, or until the deadline; true when idle.
    bool waitIdle(Clock::time_point deadline);
    // Drops what is queued and waits for the running jobs and the workers to end.
    void cancel();

    size_t dropped() const;

private:
    struct Job
    {
        std::function<void()> work;
        Clock::time_point startBy;
    };
    struct Share
    {
        std::deque<Job> queue;
        bool busy = false;
    };

    void workLoop();
    static uint32_t keyOf(const Address &address);

    const size_t m_queuePerResponder;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::map<uint32_t, Share> m_shares;
    // Responders with queued work and no running fetch, in turn order.
    std::deque<uint32_t> m_turns;
    size_t m_running = 0;
    size_t m_dropped = 0;
    bool m_cancelled = false;
    std::vector<std::thread> m_workers;
};

} // namespace ovlib::internal
