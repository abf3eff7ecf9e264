#include "dialogs/qovdialogplacement.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

void qovCenterOverActiveWindow(QWidget *dialog)
{
    if (dialog->parentWidget() || dialog->testAttribute(Qt::WA_Moved)) {
        return;
    }
    const QWidget *over = QApplication::activeWindow();
    if (!over || over == dialog || !over->isVisible()) {
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
