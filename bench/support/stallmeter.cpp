#include "stallmeter.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
double monotonicSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}
} // namespace

StallMeter::StallMeter(int intervalMs)
{
    m_timer.setInterval(intervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &StallMeter::tick);
    // VELMORA_STALL_LOG_MS=N names every stall longer than N ms on standard error, with its end
    // on the monotonic clock, so that a profile taken with `perf record -k CLOCK_MONOTONIC` can
    // be cut to the stall's window.
    if (const char *logMs = std::getenv("VELMORA_STALL_LOG_MS")) {
        m_logAboveMs = std::atoi(logMs);
    }
    m_clock.start();
    m_last = m_clock.elapsed();
    m_timer.start();
}

void StallMeter::reset()
{
    m_last = m_clock.elapsed();
    m_longestMs = 0;
}

void StallMeter::tick()
{
    const qint64 now = m_clock.elapsed();
    const qint64 stallMs = now - m_last - m_timer.interval();
    m_longestMs = qMax(m_longestMs, stallMs);
    if (m_logAboveMs > 0 && stallMs > m_logAboveMs) {
        std::fprintf(stderr, "stall: %lld ms ending at %.3f s monotonic\n",
                     static_cast<long long>(stallMs), monotonicSeconds());
    }
    m_last = now;
}
