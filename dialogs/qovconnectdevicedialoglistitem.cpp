#include "dialogs/qovconnectdevicedialoglistitem.h"

#include "dialogs/qovidentify.h"
#include "views/qovwidgetfactory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

QovConnectDeviceDialogListItem::QovConnectDeviceDialogListItem(const QovOnlineDeviceModel &device,
                                                               int number, QWidget *parent)
    : QWidget(parent)
    , m_device(device)
    , m_radio(new QRadioButton())
{
    setFixedHeight(48);
    setObjectName(number % 2 == 1 ? QStringLiteral("even-line") : QStringLiteral("odd-line"));
    setAttribute(Qt::WA_StyledBackground);
    m_radio->setCursor(Qt::PointingHandCursor);

    auto *layout = makeHBoxLayout(0, 6, Qt::AlignLeft | Qt::AlignVCenter);
    layout->setContentsMargins(8, 0, 8, 0);
    layout->addWidget(m_radio);
    QLabel *name = makeLabel(device->deviceName(), QSize(150, 32), "model-name");
    name->setToolTip(device->deviceName());
    layout->addWidget(name);
    layout->addWidget(
        makeLabel(tr("%1\n(%2)").arg(device->ipAddress(), device->macAddress()), QSize(130, 40)));
    layout->addWidget(makeLabel(tr("[%1]").arg(device->deviceId()), QSize(60, 32)));
    QPushButton *identifyButton =
        makeIconButton(QStringLiteral(":/icons/ic_identify.svg"), QSize(24, 24));
    identifyButton->setToolTip(tr("Identify"));
    connect(identifyButton, &QPushButton::clicked, this, [this] {
        qovIdentifyDevice(m_device, this, [this](bool identified) {
            if (!identified) {
                Q_EMIT identifyFailed(m_device.get());
            }
        });
    });
    layout->addSpacing(12);
    layout->addWidget(identifyButton);
    setLayout(layout);
}
