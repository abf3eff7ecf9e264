#pragma once

#include <QApplication>
#include <QWidget>

namespace velmora::test {

// Makes `window` the one with the keyboard, as a window manager does when a window opens or is
// clicked. The tests run under a bare X server without one, where activation through the window
// system may never come; this sets Qt's active window directly. Qt 6.5 deprecates the call in
// favour of QWidget::activateWindow(), which only asks the window system.
inline void makeActiveWindow(QWidget *window)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window);
    QT_WARNING_POP
}

} // namespace velmora::test
