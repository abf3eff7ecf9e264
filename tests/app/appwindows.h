#pragma once

#include <QAction>
#include <QApplication>
#include <QList>
#include <QMenu>
#include <QWidget>

// Deletes every main window and start page still open, so that each test starts without the
// successors that earlier ones left behind. Deleting a window deletes its menus, which are
// top-level widgets too, hence the guarded list.
void deleteAppWindows();

// The action with this text in `menu` or any of its submenus, or null.
QAction *findAction(QMenu *menu, const QString &text);

// The visible top-level windows of one kind, in the application's order.
template<typename Window>
QList<Window *> visibleWindows()
{
    QList<Window *> found;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<Window *>(widget); window && window->isVisible()) {
            found << window;
        }
    }
    return found;
}
