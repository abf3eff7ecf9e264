#include "dialogs/qovaddonlinedevicedialoglistitem.h"

#include "dialogs/qovelidedlabel.h"
#include "dialogs/qovidentify.h"
#include "views/qovrowsummary.h"
#include "views/qovwidgetfactory.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

QovAddOnlineDeviceDialogListItem::QovAddOnlineDeviceDialogListItem(
    const QovOnlineDeviceModel &device, int number, QWidget *parent)
    : QWidget(parent)
    , m_device(device)
    , m_checkBox(new QCheckBox())
{
    setFixedSize(608, 48);
    setObjectName(number % 2 == 1 ? QStringLiteral("even-line") : QStringLiteral("odd-line"));
    setAttribute(Qt::WA_StyledBackground);

    m_checkBox->setFixedSize(20, 20);
    m_checkBox->setAccessibleName(tr("Add %1").arg(device->deviceName()));
    m_checkBox->setChecked(device->selected());
    m_checkBox->setCursor(Qt::PointingHandCursor);
    connect(m_checkBox, &QCheckBox::toggled, this,
            [this](bool checked) { m_device->setSelected(checked); });
    connect(m_checkBox, &QCheckBox::clicked, this,
            &QovAddOnlineDeviceDialogListItem::toggledByUser);
    // The header box ticks rows through the model as well.
    connect(device.get(), &QovOnlineDeviceModelInternal::selectedChanged, this,
            &QovAddOnlineDeviceDialogListItem::setChecked);

    auto *layout = makeHBoxLayout(0, 6, Qt::AlignLeft | Qt::AlignVCenter);
    layout->setContentsMargins(8, 0, 8, 0);
    layout->addWidget(m_checkBox);
    layout->addWidget(new QovElidedLabel(device->deviceName(), QSize(204, 32), "model-name"));
    QLabel *address = makeLabel(device->ipAddress(), QSize(103, 32));
    if (!device->addedAddress().isEmpty()) {
        address->setFixedHeight(44);
        // Not found by discovery: the user asked for it, and it is asked again at that address.
        address->setText(tr("%1\nby address").arg(device->ipAddress()));
        address->setToolTip(tr("Added by address: %1").arg(device->addedAddress()));
        address->setObjectName(QStringLiteral("added-by-address"));
    }
    layout->addWidget(address);
    layout->addWidget(makeLabel(tr("[%1]").arg(device->deviceId()), QSize(80, 32)));
    const QString link = device->ovLinkText();
    layout->addWidget(makeLabel(link, QSize(84, 32)));
    QPushButton *identifyButton =
        makeIconButton(QStringLiteral(":/icons/ic_identify.svg"), QSize(24, 24));
    identifyButton->setToolTip(tr("Identify"));
    identifyButton->setAccessibleName(tr("Identify %1").arg(device->deviceName()));
    // "-" stands for no link role: nothing to say.
    qovSetRowSummary(this, qovJoinSummary({device->deviceName(), address->text(),
                                           tr("ID %1").arg(device->deviceId()),
                                           link == QLatin1String("-") ? QString() : link}));
    connect(identifyButton, &QPushButton::clicked, this,
            &QovAddOnlineDeviceDialogListItem::identify);
    layout->addSpacing(12);
    layout->addWidget(identifyButton);
    setLayout(layout);
}

bool QovAddOnlineDeviceDialogListItem::isChecked() const
{
    return m_checkBox->isChecked();
}

void QovAddOnlineDeviceDialogListItem::setChecked(bool checked)
{
    m_checkBox->setChecked(checked);
}

void QovAddOnlineDeviceDialogListItem::identify()
{
    qovIdentifyDevice(m_device, this, [this](bool identified) {
        if (!identified) {
            Q_EMIT identifyFailed(m_device.get());
        }
    });
}
