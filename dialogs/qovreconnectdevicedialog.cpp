#include "dialogs/qovreconnectdevicedialog.h"

#include "views/qovwidgetfactory.h"

#include <QVBoxLayout>

QovReconnectDeviceDialog::QovReconnectDeviceDialog(QWidget *parent)
    : QovAbstractDialog(parent)
    , m_directionSelector(new QovDirectionSelectorView())
{
    setWindowTitle(tr("Reconnect to Device"));
    setup(QSize(648, 198));
}

void QovReconnectDeviceDialog::buildContents(QWidget *contents)
{
    auto *layout = makeVBoxLayout(16, 0, Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(m_directionSelector);
    contents->setLayout(layout);
}

QovDirectionSelectorView::Direction QovReconnectDeviceDialog::direction() const
{
    return m_directionSelector->direction();
}
