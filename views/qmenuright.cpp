#include "views/qmenuright.h"

QMenuRight::QMenuRight(QWidget *button, QWidget *parent)
    : QMenu(parent)
    , m_button(button)
{
}

void QMenuRight::showEvent(QShowEvent *event)
{
    // Qt has already placed the menu left-aligned under the button; shift it left only.
    move(x() - width() + m_button->width(), y());
    QMenu::showEvent(event);
}
