#include "dialogs/qovdirectionselectorview.h"

#include "views/qovwidgetfactory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QSize kMarkSize(24, 24);
} // namespace

QovDirectionSelectorView::QovDirectionSelectorView(QWidget *parent)
    : QWidget(parent)
    , m_appToDeviceMark(new QLabel())
    , m_deviceToAppMark(new QLabel())
    , m_appToDeviceButton(makeDirectionButton(m_appToDeviceMark, tr("App"), tr("Device")))
    , m_deviceToAppButton(makeDirectionButton(m_deviceToAppMark, tr("Device"), tr("App")))
{
    auto *layout = makeVBoxLayout(0, 8, Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(makeLabel(tr("Data direction"), QSize(), "dialog-contents-label"));
    auto *buttons = makeHBoxLayout(0, 16, Qt::AlignLeft | Qt::AlignVCenter);
    buttons->addWidget(m_appToDeviceButton);
    buttons->addWidget(m_deviceToAppButton);
    layout->addLayout(buttons);
    setLayout(layout);
    setFixedSize(sizeHint());

    connect(m_appToDeviceButton, &QPushButton::clicked, this,
            [this] { setDirection(APP_TO_DEVICE); });
    connect(m_deviceToAppButton, &QPushButton::clicked, this,
            [this] { setDirection(DEVICE_TO_APP); });
    updateMarks();
}

QPushButton *QovDirectionSelectorView::makeDirectionButton(QLabel *mark, const QString &from,
                                                           const QString &to)
{
    QPushButton *button = makeButton(QString(), QSize(), "direction-selector-button");
    button->setCheckable(true);
    // One choice of two, as radio buttons: a screen reader hears radio buttons, the pair is one
    // Tab stop, and the arrow keys move the choice between them.
    button->setAutoExclusive(true);
    // A choice, not an action: Enter on it means the dialog's OK, as on a radio button.
    button->setAutoDefault(false);
    // The words are labels inside the button; a screen reader hears them as its name.
    button->setAccessibleName(tr("%1 to %2").arg(from, to));
    mark->setFixedSize(kMarkSize);
    auto *layout = makeHBoxLayout(8, 8, Qt::AlignLeft | Qt::AlignVCenter);
    layout->setContentsMargins(12, 8, 16, 8);
    layout->addWidget(mark);
    layout->addWidget(makeLabel(from, QSize()));
    layout->addWidget(makeIconLabel(QStringLiteral(":/icons/ic_arrow_forward.svg"), QSize(20, 20)));
    layout->addWidget(makeLabel(to, QSize()));
    button->setLayout(layout);
    button->setMinimumSize(layout->sizeHint());
    return button;
}

void QovDirectionSelectorView::setDirection(QovDirectionSelectorView::Direction direction)
{
    if (direction != APP_TO_DEVICE && direction != DEVICE_TO_APP) {
        return;
    }
    if (direction == m_direction) {
        updateMarks(); // a click on the chosen button must not leave it released
        return;
    }
    m_direction = direction;
    updateMarks();
    Q_EMIT directionChanged(direction);
}

void QovDirectionSelectorView::updateMarks()
{
    const QIcon checked = makeIcon(QStringLiteral(":/icons/ic_radio_button_checked_48px.svg"));
    const QIcon unchecked = makeIcon(QStringLiteral(":/icons/ic_radio_button_unchecked_48px.svg"));
    const bool appToDevice = m_direction == APP_TO_DEVICE;
    m_appToDeviceMark->setPixmap((appToDevice ? checked : unchecked).pixmap(kMarkSize));
    m_deviceToAppMark->setPixmap((appToDevice ? unchecked : checked).pixmap(kMarkSize));
    m_appToDeviceButton->setChecked(appToDevice);
    m_deviceToAppButton->setChecked(!appToDevice);
}
