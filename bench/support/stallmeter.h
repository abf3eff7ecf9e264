#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The longest time the GUI thread did not run its event loop: a precise timer notes the largest
// gap between two of its ticks beyond its own interval. Measures from construction or reset().
class StallMeter : public QObject
{
    Q_OBJECT

public:
    explicit StallMeter(int intervalMs = 2);
    void reset();
    qint64 longestMs() const { return m_longestMs; }

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longestMs = 0;
    int m_logAboveMs = 0;
};
