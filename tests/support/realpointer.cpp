#include "realpointer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>

namespace {

void pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

RealPointer::RealPointer()
{
    Display *opened = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (opened && XTestQueryExtension(opened, &event, &error, &major, &minor)) {
        m_display = opened;
    } else if (opened) {
        XCloseDisplay(opened);
    }
}

RealPointer::~RealPointer()
{
    if (m_player.joinable()) {
        m_player.join();
    }
    if (m_display) {
        XCloseDisplay(static_cast<Display *>(m_display));
    }
}

void RealPointer::dragAsync(QPoint from, QPoint to)
{
    if (m_player.joinable()) {
        m_player.join();
    }
    m_done = false;
    m_player = std::thread([this, from, to] {
        Display *x = static_cast<Display *>(m_display);
        const auto moveTo = [x](QPoint point) {
            XTestFakeMotionEvent(x, -1, point.x(), point.y(), CurrentTime);
            XFlush(x);
            pause(25);
        };
        moveTo(from);
        XTestFakeButtonEvent(x, 1, True, CurrentTime);
        XFlush(x);
        pause(100);
        // Small steps, as a hand moves: the drag starts only past the start distance, and the
        // view tracks the drop position from the moves it sees.
        const int steps = 25;
        for (int i = 1; i <= steps; ++i) {
            moveTo(from + (to - from) * i / steps);
        }
        pause(150);
        XTestFakeButtonEvent(x, 1, False, CurrentTime);
        XFlush(x);
        m_done = true;
    });
}

bool RealPointer::waitDone(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!m_done && std::chrono::steady_clock::now() < until) {
        pause(10);
    }
    return m_done;
}
