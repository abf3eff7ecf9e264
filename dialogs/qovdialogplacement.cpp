#include "dialogs/qovdialogplacement.h"

#include "views/qovmainwindowbase.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QWidget>

namespace {

// A popup raised from a dialog belongs over that dialog. Otherwise the dialog is about the
// project, so it goes over the main window, also while the start page that opened it is still
// the active window.
const QWidget *windowToCenterOver(const QWidget *dialog)
{
    const QWidget *active = QApplication::activeWindow();
    const auto usable = [dialog](const QWidget *window) {
        return window && window != dialog && window->isVisible();
    };
    if (usable(active) && qobject_cast<const QDialog *>(active)) {
        return active;
    }
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (usable(window) && qobject_cast<const QovMainWindowBase *>(window)) {
            return window;
        }
    }
    return usable(active) ? active : nullptr;
}

} // namespace

void qovCenterOverActiveWindow(QWidget *dialog)
{
    if (dialog->parentWidget() || dialog->testAttribute(Qt::WA_Moved)) {
        return;
    }
    const QWidget *over = windowToCenterOver(dialog);
    if (!over) {
        return;
    }
    QRect placed(QPoint(), dialog->frameGeometry().size());
    placed.moveCenter(over->frameGeometry().center());
    if (const QScreen *screen = over->screen()) {
        // Never off the screen's edge: a small window near the edge still shows the whole dialog.
        const QRect area = screen->availableGeometry();
        placed.moveLeft(qBound(area.left(), placed.left(), area.right() - placed.width() + 1));
        placed.moveTop(qBound(area.top(), placed.top(), area.bottom() - placed.height() + 1));
    }
    // The frame's top-left, as frameGeometry() measured it.
    dialog->move(placed.topLeft());
    // Qt treats a moved window as placed by the program; the next showing places it again.
    dialog->setAttribute(Qt::WA_Moved, false);
}
