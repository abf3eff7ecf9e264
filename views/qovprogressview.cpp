#include "views/qovprogressview.h"

#include "models/qovdatasettable.h"
#include "views/qovwidgetfactory.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// How often the overlay looks at the transfers: smooth enough for a bar, and each look costs a
// lock and, only after a change, a copy of a few records.
constexpr int kPollMs = 100;
// Lines of mixers at work shown at once when many are copied; the rest are counted.
constexpr int kListedTransfers = 4;
constexpr int kBoxWidth = 460;
constexpr int kBoxMargin = 20;

QString activity(const QovTransferProgress::Transfer &transfer)
{
    switch (transfer.kind) {
    case QovTransferProgress::SafetyCopy:
        return QovProgressView::tr("Keeping a safety copy of %1").arg(transfer.deviceName);
    case QovTransferProgress::Upload:
        return QovProgressView::tr("Writing %1").arg(transfer.deviceName);
    case QovTransferProgress::Download:
        break;
    }
    return QovProgressView::tr("Reading %1").arg(transfer.deviceName);
}

QString fileText(const QovTransferProgress::Transfer &transfer)
{
    // Before its first file a transfer has no data set yet.
    return qovDataSetInfo(transfer.dataSet) ? qovDataSetLabel(transfer.dataSet, transfer.bank, true)
                                            : QovProgressView::tr("Starting");
}

} // namespace

namespace {

// The overlay holds the keyboard while the program works; a screen reader says what it is
// rather than an unnamed pane.
QAccessibleInterface *overlayAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1String("QovProgressView") || !object || !object->isWidgetType()) {
        return nullptr;
    }
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Animation,
                                 QApplication::translate("QovProgressView", "Busy"));
}

} // namespace

QovProgressView::QovProgressView(QWidget *covered)
    : QWidget(covered)
    , m_covered(covered)
{
    static const bool installed = [] {
        QAccessible::installFactory(overlayAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    QPalette shade = palette();
    shade.setColor(QPalette::All, QPalette::Window, QColor(QStringLiteral("#88000000")));
    setPalette(shade);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Busy"));

    auto *movie = new QMovie(QStringLiteral(":/images/progress.gif"), QByteArray(), this);
    movie->setScaledSize(QSize(200, 200));
    m_animation = new QLabel();
    m_animation->setMovie(movie);
    m_animation->setFixedSize(200, 200);
    auto *layout = makeVBoxLayout(0, 0, Qt::AlignCenter);
    layout->addWidget(m_animation);
    setLayout(layout);
    // Played only while shown: every frame is decoded and scaled on the GUI thread, and every
    // window and dialog has an overlay of its own.
    movie->jumpToFrame(0);

    // Outside the layout, so that the animation stays where it always is; placed below it by
    // placeTransferBox().
    m_transferBox = new QWidget(this);
    m_transferBox->setObjectName(QStringLiteral("progress-transfer"));
    m_transferBox->setAttribute(Qt::WA_StyledBackground);
    m_transferTitle = makeLabel(QString(), QSize(), "progress-title", Qt::AlignCenter);
    m_transferDetail = makeLabel(QString(), QSize(), "progress-detail", Qt::AlignCenter);
    m_transferDetail->setWordWrap(true);
    m_transferBar = new QProgressBar();
    m_transferBar->setObjectName(QStringLiteral("progress-bar"));
    m_transferBar->setAlignment(Qt::AlignCenter);
    auto *boxLayout = makeVBoxLayout(kBoxMargin, 8, Qt::Alignment());
    boxLayout->addWidget(m_transferTitle);
    boxLayout->addWidget(m_transferDetail);
    boxLayout->addWidget(m_transferBar);
    m_transferBox->setLayout(boxLayout);
    m_transferBox->hide();

    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &QovProgressView::pollTransfers);

    hide();
    // A window resized while busy must stay covered to its new edges, and a widget added to
    // it while busy must go under the overlay, not on top of it.
    m_covered->installEventFilter(this);
}

void QovProgressView::coverWindow()
{
    setGeometry(m_covered->rect());
    raise();
    placeTransferBox();
}

void QovProgressView::placeTransferBox()
{
    if (m_transferBox->isHidden()) {
        return;
    }
    // Below the animation where there is room; in a small window (a dialog) it moves up as far
    // as it must, over the animation if need be, but never out of the window.
    const int width = std::min(kBoxWidth, this->width() - 16);
    m_transferBox->setFixedWidth(std::max(width, 0));
    m_transferBox->adjustSize();
    const int below = m_animation->geometry().bottom() + 12;
    const int top = std::max(0, std::min(below, height() - m_transferBox->height() - 8));
    m_transferBox->move((this->width() - m_transferBox->width()) / 2, top);
    m_transferBox->raise();
}

void QovProgressView::pollTransfers()
{
    QovTransferProgress *progress = QovTransferProgress::instance();
    if (progress->revision() != m_shownRevision) {
        showTransfers(progress->snapshot());
    }
}

void QovProgressView::showTransfers(const QovTransferProgress::Snapshot &snapshot)
{
    m_shownRevision = snapshot.revision;
    QList<QovTransferProgress::Transfer> running;
    for (const QovTransferProgress::Transfer &transfer : snapshot.transfers) {
        if (transfer.running) {
            running.append(transfer);
        }
    }
    if (running.isEmpty()) {
        if (m_activityTitle.isEmpty()) {
            m_transferBox->hide();
            return;
        }
        layout()->activate();
        m_transferTitle->setText(m_activityTitle);
        m_transferDetail->setText(m_activityDetail);
        m_transferBar->hide();
        m_transferBox->show();
        placeTransferBox();
        return;
    }
    m_transferBar->show();
    // The box is placed against the animation, whose place is known once the overlay is laid
    // out (it may not have been, when it comes up with a transfer already running).
    layout()->activate();
    QStringList lines;
    if (snapshot.transfers.size() == 1) {
        lines << activity(running.first()) << fileText(running.first());
    } else {
        lines << tr("%1 of %2 mixers done")
                     .arg(snapshot.transfers.size() - running.size())
                     .arg(snapshot.transfers.size());
        for (int i = 0; i < running.size() && i < kListedTransfers; ++i) {
            lines << tr("%1: %2").arg(activity(running.at(i)), fileText(running.at(i)));
        }
        if (running.size() > kListedTransfers) {
            lines << tr("and %n more", nullptr, running.size() - kListedTransfers);
        }
    }
    // A project that opens stays named above its mixers' transfers, which may take minutes
    // with slow mixers.
    m_transferTitle->setText(m_activityTitle.isEmpty() ? lines.takeFirst() : m_activityTitle);
    m_transferDetail->setText(lines.join(QLatin1Char('\n')));
    // A progress bar repaints at once when its value moves, and with the overlay over the
    // window that is a paint of everything under it, on every poll; as a plain update it joins
    // the window's next paint instead.
    m_transferBar->setUpdatesEnabled(false);
    m_transferBar->setRange(0, snapshot.filesTotal());
    m_transferBar->setValue(snapshot.filesDone());
    m_transferBar->setFormat(
        tr("%1 of %2 files").arg(snapshot.filesDone()).arg(snapshot.filesTotal()));
    m_transferBar->setUpdatesEnabled(true);
    m_transferBox->show();
    placeTransferBox();
}

void QovProgressView::showEvent(QShowEvent *event)
{
    m_animation->movie()->start();
    showTransfers(QovTransferProgress::instance()->snapshot());
    m_poll.start();
    coverWindow();
    QWidget::showEvent(event);
    QWidget *focus = QApplication::focusWidget();
    m_focusBefore = (focus && focus != this && isCoveredWidget(focus)) ? focus : nullptr;
    setFocus(Qt::OtherFocusReason);
    // Keys go to the focus widget, and Qt may move the focus into the window on its own (a
    // widget shown there, a window activated): every key aimed at the window is caught.
    qApp->installEventFilter(this);
}

void QovProgressView::setActivity(const QString &title, const QString &detail)
{
    m_activityTitle = title;
    m_activityDetail = detail;
    if (isVisible()) {
        showTransfers(QovTransferProgress::instance()->snapshot());
    }
}

void QovProgressView::hideEvent(QHideEvent *event)
{
    m_activityTitle.clear();
    m_activityDetail.clear();
    m_animation->movie()->stop();
    m_poll.stop();
    qApp->removeEventFilter(this);
    // A flow's dialog may still be the active window: the focus is then set for when the
    // window is active again, or Qt would hand it to the window's first control.
    if (m_focusBefore && (hasFocus() || window()->focusWidget() == this)) {
        m_focusBefore->setFocus(Qt::OtherFocusReason);
    }
    m_focusBefore = nullptr;
    QWidget::hideEvent(event);
}

namespace {

const char kKeptWhileBusy[] = "velmoraKeptWhileBusy";

} // namespace

void QovProgressView::keepShortcutWhileBusy(QAction *action)
{
    action->setProperty(kKeptWhileBusy, true);
}

QAction *QovProgressView::keptAction(const QKeyEvent *event) const
{
    if (event->isAutoRepeat()) {
        return nullptr;
    }
    const QKeySequence pressed(int(event->modifiers()) | event->key());
    for (QAction *action : m_covered->actions()) {
        if (action->property(kKeptWhileBusy).toBool() && action->isEnabled() &&
            action->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
            return action;
        }
    }
    return nullptr;
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
            // An accepted override keeps window shortcuts (Ctrl+S, Ctrl+N...) from firing, so a
            // kept one is triggered here. Queued: it may open a dialog, not inside this filter.
            if (event->type() == QEvent::KeyPress) {
                if (QAction *action = keptAction(static_cast<QKeyEvent *>(event))) {
                    QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
                }
            }
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
