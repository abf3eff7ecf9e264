#include "appwindows.h"

#include "app/qovmainwindow.h"
#include "app/qovtopwindow.h"

#include <QApplication>
#include <QList>
#include <QPointer>

void deleteAppWindows()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QovMainWindow *>(widget) || qobject_cast<QovTopWindow *>(widget)) {
            windows << widget;
        }
    }
    for (const QPointer<QWidget> &window : windows) {
        delete window.data();
    }
}

QAction *findAction(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text) {
            return action;
        }
        if (action->menu()) {
            if (QAction *inner = findAction(action->menu(), text)) {
                return inner;
            }
        }
    }
    return nullptr;
}
