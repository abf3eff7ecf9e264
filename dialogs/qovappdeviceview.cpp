#include "dialogs/qovappdeviceview.h"

#include "models/qovdeviceselector.h"
#include "views/qovrowsummary.h"
#include "views/qovwidgetfactory.h"

#include <QLabel>
#include <QVBoxLayout>

QovAppDeviceView::QovAppDeviceView(const QovAppDeviceModel &device, QWidget *parent)
    : QWidget(parent)
    , m_name(device->deviceName())
    , m_nameLabel(makeLabel(QString(), QSize(), "device-name"))
{
    setObjectName(QStringLiteral("dialog-app-device-view"));
    setAttribute(Qt::WA_StyledBackground);
    auto *layout = makeVBoxLayout(12, 6, Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(makePixmapLabel(QovDeviceSelector::icon(device->deviceType()), QSize(160, 60),
                                      Qt::AlignLeft | Qt::AlignVCenter));
    layout->addWidget(makeLabel(device->modelName(), QSize(), "model-name"));
    m_nameLabel->setToolTip(m_name);
    m_nameLabel->setMinimumWidth(1);
    layout->addWidget(m_nameLabel);
    layout->addWidget(makeLabel(addressLine(*device), QSize()));
    layout->addWidget(makeLabel(tr("[%1]").arg(device->deviceId()), QSize()));
    setLayout(layout);
    elideName();
}

QString QovAppDeviceView::addressLine(const QovAppDeviceModelInternal &device)
{
    return qovAddressSummary(device.ipAddress().isEmpty() ? tr("---.---.---.---")
                                                          : device.ipAddress(),
                             device.macAddress());
}

void QovAppDeviceView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    elideName();
}

void QovAppDeviceView::elideName()
{
    const int width = qMax(1, contentsRect().width() - 24);
    m_nameLabel->setText(m_nameLabel->fontMetrics().elidedText(m_name, Qt::ElideRight, width));
}
