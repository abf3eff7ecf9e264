#pragma once

#include <QPoint>

#include <atomic>
#include <thread>

// The X server's own pointer, moved through its XTEST extension as a user's mouse moves it.
// Qt's test events go straight to widgets, which a drag cannot use: once a drag starts, QDrag
// runs a loop of its own that follows the pointer through the window system. Needs an X
// server with XTEST (Xvfb has it).
class RealPointer
{
public:
    RealPointer();
    ~RealPointer();
    RealPointer(const RealPointer &) = delete;
    RealPointer &operator=(const RealPointer &) = delete;

    // False when there is no X display or it lacks XTEST.
    bool isValid() const { return m_display != nullptr; }

    // Presses the left button at `from` (global coordinates), moves in small steps to `to` and
    // releases there. Runs on a thread of its own and returns at once, so that the calling
    // thread is free to run the event loop that the drag needs.
    void dragAsync(QPoint from, QPoint to);
    // Waits for the drag to have been played; false when it had not after `ms`.
    bool waitDone(int ms);

private:
    void *m_display = nullptr;
    std::thread m_player;
    std::atomic<bool> m_done{true};
};
