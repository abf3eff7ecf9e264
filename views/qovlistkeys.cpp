#include "views/qovlistkeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QPointer>
#include <QStyle>
#include <QTimer>

namespace {

const char kCurrentProperty[] = "keyboard-current";

void setMarked(QWidget *row, bool marked)
{
    if (!row || row->property(kCurrentProperty).toBool() == marked) {
        return;
    }
    row->setProperty(kCurrentProperty, marked);
    row->setAttribute(Qt::WA_StyledBackground);
    // A dynamic property changes the matching rules only when the widget is polished anew.
    row->style()->unpolish(row);
    row->style()->polish(row);
    row->update();
}

class CurrentRowMarker : public QObject
{
public:
    explicit CurrentRowMarker(QListWidget *list)
        : QObject(list)
        , m_list(list)
        , m_focusPolicy(list->focusPolicy())
    {
        list->installEventFilter(this);
        connect(list, &QListWidget::currentItemChanged, this, [this] { update(); });
        // Rows made anew replace the marked widget; the new current one is marked again.
        connect(list->model(), &QAbstractItemModel::rowsInserted, this, [this] {
            update();
            followRowCount();
        });
        connect(list->model(), &QAbstractItemModel::rowsRemoved, this,
                &CurrentRowMarker::followRowCount);
        connect(list->model(), &QAbstractItemModel::modelReset, this,
                &CurrentRowMarker::followRowCount);
        connect(qApp, &QApplication::focusChanged, this,
                [this](QWidget *, QWidget *now) { revealRowOf(now); });
        followRowCount();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_list) {
            return QObject::eventFilter(watched, event);
        }
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            update();
        } else if (event->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space &&
                   static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
            if (QAbstractButton *box = rowChoice()) {
                box->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAbstractButton *rowChoice() const
    {
        QWidget *row = m_list->itemWidget(m_list->currentItem());
        if (!row) {
            return nullptr;
        }
        for (QAbstractButton *button : row->findChildren<QAbstractButton *>()) {
            if (button->isCheckable() && button->isEnabled() && button->isVisible()) {
                return button;
            }
        }
        return nullptr;
    }

    // The viewport clips the row widgets and the list scrolls only for its current item, so a
    // row control reached by Tab would otherwise take the focus out of sight.
    void revealRowOf(QWidget *focused)
    {
        QWidget *viewport = m_list->viewport();
        if (!focused || focused == viewport || !viewport->isAncestorOf(focused)) {
            return;
        }
        QWidget *row = focused;
        while (row->parentWidget() != viewport) {
            row = row->parentWidget();
        }
        for (int i = 0; i < m_list->count(); ++i) {
            if (m_list->itemWidget(m_list->item(i)) == row) {
                m_list->scrollToItem(m_list->item(i));
                return;
            }
        }
    }

    // An empty list has no row to frame, so its focus could not be seen: Tab passes it by.
    void followRowCount()
    {
        const bool empty = m_list->count() == 0;
        m_list->setFocusPolicy(empty ? Qt::NoFocus : m_focusPolicy);
        if (empty && holdsFocus()) {
            // Later: a list that is rebuilt is empty only until its rows are added again.
            QTimer::singleShot(0, this, [this] {
                if (m_list->count() == 0 && holdsFocus()) {
                    passFocusOn();
                }
            });
        }
    }

    // Also while a popup has the keyboard: the window gives the focus back to the list after.
    bool holdsFocus() const { return m_list->window()->focusWidget() == m_list; }

    // Where Tab would have gone from the list.
    void passFocusOn()
    {
        for (QWidget *next = m_list->nextInFocusChain(); next != m_list;
             next = next->nextInFocusChain()) {
            if (next->window() == m_list->window() && next->isVisible() && next->isEnabled() &&
                (next->focusPolicy() & Qt::TabFocus) && !next->focusProxy()) {
                next->setFocus(Qt::TabFocusReason);
                return;
            }
        }
        m_list->clearFocus();
    }

    void update()
    {
        QWidget *current = m_list->hasFocus() ? m_list->itemWidget(m_list->currentItem()) : nullptr;
        if (current != m_marked) {
            setMarked(m_marked, false);
        }
        setMarked(current, true);
        m_marked = current;
    }

    QListWidget *m_list;
    Qt::FocusPolicy m_focusPolicy;
    QPointer<QWidget> m_marked;
};

// The row's controls that Tab reaches, in the order they were made, which is left to right; not
// what lies inside another control (a combo box's parts) or in a window of its own (its popup).
QList<QWidget *> rowControls(QWidget *row)
{
    QList<QWidget *> controls;
    if (!row) {
        return controls;
    }
    for (QWidget *w : row->findChildren<QWidget *>()) {
        bool inside = false;
        for (QWidget *up = w->parentWidget(); up && up != row; up = up->parentWidget()) {
            inside = inside || up->isWindow() || controls.contains(up);
        }
        if (!inside && !w->isWindow() && (w->focusPolicy() & Qt::TabFocus)) {
            controls.append(w);
        }
    }
    return controls;
}

} // namespace

void qovOrderRowFocus(QListWidget *list, int fromRow)
{
    QWidget *previous = list;
    for (int i = fromRow - 1; i >= 0; --i) {
        const QList<QWidget *> before = rowControls(list->itemWidget(list->item(i)));
        if (!before.isEmpty()) {
            previous = before.constLast();
            break;
        }
    }
    for (int i = fromRow; i < list->count(); ++i) {
        for (QWidget *control : rowControls(list->itemWidget(list->item(i)))) {
            QWidget::setTabOrder(previous, control);
            previous = control;
        }
    }
}

void qovEnableRowKeys(QListWidget *list)
{
    new CurrentRowMarker(list);
}
