#include "views/qovprojectviewdevicelist.h"

#include "views/qovwidgetfactory.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPushButton>

QovProjectViewDeviceList::QovProjectViewDeviceList(int width, int itemSpacing, QWidget *parent)
    : QListWidget(parent)
{
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    applyFixedSize(this, QSize(width, 0));
    setSpacing(itemSpacing);
    setFrameShape(QFrame::NoFrame);
}

void QovProjectViewDeviceList::holdRowPlacement(bool hold)
{
    m_holdRowPlacement = hold;
    if (!hold) {
        scheduleDelayedItemsLayout();
    }
}

// A visible list lays out all its rows and places every row widget each time a row is added,
// which makes adding n rows cost n * n.
void QovProjectViewDeviceList::updateEditorGeometries()
{
    if (!m_holdRowPlacement) {
        QListWidget::updateEditorGeometries();
    }
}

bool QovProjectViewDeviceList::openCurrentStatusMenu()
{
    QWidget *row = itemWidget(currentItem());
    auto *button = row ? row->findChild<QPushButton *>(QStringLiteral("status-button")) : nullptr;
    if (!button || !button->menu() || !button->isEnabled()) {
        return false;
    }
    scrollToItem(currentItem());
    button->showMenu();
    return true;
}

void QovProjectViewDeviceList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier &&
        openCurrentStatusMenu()) {
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void QovProjectViewDeviceList::contextMenuEvent(QContextMenuEvent *event)
{
    // A right click keeps doing nothing; the menu is for the keyboard's context menu request.
    if (event->reason() == QContextMenuEvent::Keyboard && openCurrentStatusMenu()) {
        event->accept();
        return;
    }
    event->ignore();
}
