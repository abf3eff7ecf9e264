#include "dialogs/qovconnectdevicedialoglistitem.h"

#include "dialogs/qovelidedlabel.h"
#include "dialogs/qovidentify.h"
#include "views/qovrowsummary.h"
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
    // Room for the focus frame around the indicator: the row does not shift when the focus
    // comes. The columns keep their places under the header's.
    m_radio->setFixedSize(22, 22);
    m_radio->setCursor(Qt::PointingHandCursor);
    m_radio->setAccessibleName(tr("%1 (%2)").arg(device->deviceName(), device->ipAddress()));

    auto *layout = makeHBoxLayout(0, 6, Qt::AlignLeft | Qt::AlignVCenter);
    layout->setContentsMargins(8, 0, 8, 0);
    layout->addWidget(m_radio);
    layout->addSpacing(4);
    layout->addWidget(new QovElidedLabel(device->deviceName(), QSize(134, 32), "model-name"));
    layout->addWidget(
        makeLabel(tr("%1\n(%2)").arg(device->ipAddress(), device->macAddress()), QSize(118, 40)));
    layout->addWidget(makeLabel(tr("[%1]").arg(device->deviceId()), QSize(62, 32)));
    QPushButton *identifyButton =
        makeIconButton(QStringLiteral(":/icons/ic_identify.svg"), QSize(24, 24));
    identifyButton->setToolTip(tr("Identify"));
    identifyButton->setAccessibleName(tr("Identify %1").arg(device->deviceName()));
    connect(identifyButton, &QPushButton::clicked, this, [this] {
        qovIdentifyDevice(m_device, this, [this](bool identified) {
            if (!identified) {
                Q_EMIT identifyFailed(m_device.get());
            }
        });
    });
    layout->addSpacing(10);
    layout->addWidget(identifyButton);
    setLayout(layout);
    qovSetRowSummary(this,
                     qovJoinSummary({device->deviceName(),
                                     qovAddressSummary(device->ipAddress(), device->macAddress()),
                                     tr("ID %1").arg(device->deviceId())}));
}
