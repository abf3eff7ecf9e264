#include "dialogs/qovreconnectdevicedialog.h"

#include "dialogs/qovcomparecontrol.h"
#include "discovery/qovonlinedevicefinder.h"
#include "views/qovwidgetfactory.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

QovReconnectDeviceDialog::QovReconnectDeviceDialog(QWidget *parent)
    : QovReconnectDeviceDialog(nullptr, parent)
{
}

QovReconnectDeviceDialog::QovReconnectDeviceDialog(const QovAppDeviceModel &device, QWidget *parent)
    : QovAbstractDialog(parent)
    , m_device(device)
    , m_directionSelector(new QovDirectionSelectorView())
{
    setWindowTitle(tr("Reconnect to Device"));
    if (m_device) {
        m_compare = new QovCompareControl(m_device);
        connect(m_compare, &QovCompareControl::busyChanged, okButton(), &QWidget::setDisabled);
        connect(QovOnlineDeviceFinder::instance(), &QovOnlineDeviceFinder::deviceListChanged, this,
                &QovReconnectDeviceDialog::updatePartner);
    }
    setup(QSize(648, 198));
    if (m_compare) {
        updatePartner();
    }
}

void QovReconnectDeviceDialog::buildContents(QWidget *contents)
{
    auto *layout = makeHBoxLayout(16, 24, Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_directionSelector);
    if (m_compare) {
        layout->addWidget(m_compare, 0, Qt::AlignBottom);
    }
    contents->setLayout(layout);
}

void QovReconnectDeviceDialog::updatePartner()
{
    m_compare->setMixer(QovOnlineDeviceFinder::instance()->findByAppDevice(m_device));
}

QovDirectionSelectorView::Direction QovReconnectDeviceDialog::direction() const
{
    return m_directionSelector->direction();
}
