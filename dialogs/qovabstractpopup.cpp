#include "dialogs/qovabstractpopup.h"

#include "dialogs/qovdialogplacement.h"

#include "views/qovwidgetfactory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QSize kButtonSize(96, 30);
const int kMargin = 24;
const int kButtonCount = 3;

// The three buttons keep their size and the margins stay; the two gaps share the rest.
int buttonGap(int popupWidth)
{
    return qMax(0, (popupWidth - 2 * kMargin - kButtonCount * kButtonSize.width()) / 2);
}

QLabel *makeWrappedLabel(const QString &text, const char *objectName, int minimumHeight)
{
    auto *label = makeLabel(text, QSize(), objectName, Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setMinimumHeight(minimumHeight);
    label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return label;
}

} // namespace

QovAbstractPopup::QovAbstractPopup(int width, int minimumHeight, const QString &title,
                                   const QString &message, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_leftButton(makeButton(tr("Left"), kButtonSize, "dialog-button-reject"))
    , m_centerButton(makeButton(tr("Center"), kButtonSize, "dialog-button-reject"))
    , m_rightButton(makeButton(tr("Right"), kButtonSize, "dialog-button-reject"))
    , m_title(title)
    , m_message(message + QLatin1Char('\n'))
    , m_buttonRow(makeHBoxLayout(0, buttonGap(width), Qt::AlignCenter))
{
    setFixedWidth(width);
    setMinimumHeight(minimumHeight);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    setObjectName(QStringLiteral("popup-body"));
    // Frameless, so nobody sees it on the window, but task switchers show it.
    setWindowTitle(title);

    auto *layout = makeVBoxLayout(kMargin, 8, Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(makeWrappedLabel(m_title, "popup-title", 28));
    layout->addWidget(makeWrappedLabel(m_message, "popup-message", 64));
    m_buttonRow->addWidget(m_leftButton);
    m_buttonRow->addWidget(m_centerButton);
    m_buttonRow->addWidget(m_rightButton);
    layout->addLayout(m_buttonRow);
    setLayout(layout);
}

void QovAbstractPopup::addNote(const QString &text)
{
    m_note = text;
    auto *layout = static_cast<QBoxLayout *>(this->layout());
    layout->insertWidget(layout->indexOf(m_buttonRow), makeWrappedLabel(text, "popup-note", 0));
    layout->insertSpacing(layout->indexOf(m_buttonRow), 8);
}

void QovAbstractPopup::makeAcceptButton(QPushButton *button, const QString &text)
{
    button->setText(text);
    button->setObjectName(QStringLiteral("dialog-button-accept"));
}

void QovAbstractPopup::showEvent(QShowEvent *event)
{
    const int needed = layout()->totalHeightForWidth(width());
    if (height() < needed) {
        resize(width(), needed);
    }
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        qovCenterOverActiveWindow(this);
    }
}
