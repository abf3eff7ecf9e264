#include "views/qovprogressview.h"

#include "views/qovwidgetfactory.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMovie>
#include <QVBoxLayout>

QovProgressView::QovProgressView(QWidget *covered)
    : QWidget(covered)
    , m_covered(covered)
{
    QPalette shade = palette();
    shade.setColor(QPalette::All, QPalette::Window, QColor(QStringLiteral("#88000000")));
    setPalette(shade);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);

    auto *movie = new QMovie(QStringLiteral(":/images/progress.gif"), QByteArray(), this);
    movie->setScaledSize(QSize(200, 200));
    auto *animation = new QLabel();
    animation->setMovie(movie);
    animation->setFixedSize(200, 200);
    auto *layout = makeVBoxLayout(0, 0, Qt::AlignCenter);
    layout->addWidget(animation);
    setLayout(layout);
    movie->start();

    hide();
    // A window resized while busy must stay covered to its new edges, and a widget added to
    // it while busy must go under the overlay, not on top of it.
    m_covered->installEventFilter(this);
}

void QovProgressView::coverWindow()
{
    setGeometry(m_covered->rect());
    raise();
}

void QovProgressView::showEvent(QShowEvent *event)
{
    coverWindow();
    QWidget::showEvent(event);
    QWidget *focus = QApplication::focusWidget();
    m_focusBefore = (focus && focus != this && isCoveredWidget(focus)) ? focus : nullptr;
    setFocus(Qt::OtherFocusReason);
    // Keys go to the focus widget, and Qt may move the focus into the window on its own (a
    // widget shown there, a window activated): every key aimed at the window is caught.
    qApp->installEventFilter(this);
}

void QovProgressView::hideEvent(QHideEvent *event)
{
    qApp->removeEventFilter(this);
    if (m_focusBefore && hasFocus()) {
        m_focusBefore->setFocus(Qt::OtherFocusReason);
    }
    m_focusBefore = nullptr;
    QWidget::hideEvent(event);
}

bool QovProgressView::isCoveredWidget(QObject *object) const
{
    if (!object->isWidgetType()) {
        return false;
    }
    auto *widget = static_cast<QWidget *>(object);
    // Other windows, dialogs opened while busy among them, are not covered.
    return widget == m_covered || m_covered->isAncestorOf(widget);
}

bool QovProgressView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_covered && isVisible()) {
        switch (event->type()) {
        case QEvent::Resize:
            coverWindow();
            break;
        case QEvent::ChildAdded:
        case QEvent::ChildPolished:
            raise();
            break;
        default:
            break;
        }
    }
    if (!isVisible()) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (isCoveredWidget(watched)) {
            // An accepted override keeps window shortcuts (Ctrl+S, Ctrl+Q...) from firing.
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
