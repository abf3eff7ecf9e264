#include "stallmeter.h"

StallMeter::StallMeter(int intervalMs)
{
    m_timer.setInterval(intervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &StallMeter::tick);
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
    m_longestMs = qMax(m_longestMs, now - m_last - m_timer.interval());
    m_last = now;
}
