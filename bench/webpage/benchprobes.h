#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QWebEngineView;

namespace benchprobes {

// Resident memory of this process and every process below it (the web engine's zygote,
// renderers and GPU process), in MiB. Shared pages count in every process that maps them, so
// this is an upper bound; the proportional sum is given too.
struct TreeMemory
{
    double rssMiB = 0;
    double pssMiB = 0;
    int processes = 0;
};
TreeMemory processTreeMemory();

// The longest time the GUI thread did not run its event loop: a 5 ms timer that notes the
// largest gap between two of its ticks beyond its own interval.
class StallMeter : public QObject
{
    Q_OBJECT

public:
    StallMeter();
    void reset();
    qint64 longestMs() const { return m_longestMs; }

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longestMs = 0;
};

// Waits until the page in the view shows its data (the settings pages give their body the class
// "ready" once they have drawn the device's data), polling without blocking the event loop.
// False on time-out.
bool waitPageReady(QWebEngineView *view, int timeoutMs);

} // namespace benchprobes
