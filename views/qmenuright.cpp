#include "views/qmenuright.h"

#include <QScreen>

QMenuRight::QMenuRight(QWidget *button, QWidget *parent)
    : QMenu(parent)
    , m_button(button)
{
}

QPoint QMenuRight::placement() const
{
    // From the button, not from where Qt put the menu: Qt has already pushed a menu that
    // would run off the screen back onto it, and shifting that position again would move the
    // menu too far left.
    const QPoint buttonTopLeft = m_button->mapToGlobal(QPoint(0, 0));
    int x = buttonTopLeft.x() + m_button->width() - width();
    if (const QScreen *screen = m_button->screen()) {
        const QRect available = screen->availableGeometry();
        x = qBound(available.left(), x, qMax(available.left(), available.right() + 1 - width()));
    }
    // Qt chose above or below the button by the room there; keep its choice.
    return QPoint(x, y());
}

void QMenuRight::setVisible(bool visible)
{
    // Placed while still hidden, so that the menu never appears at Qt's position first.
    if (visible && !isVisible()) {
        move(placement());
    }
    QMenu::setVisible(visible);
}
