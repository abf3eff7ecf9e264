#pragma once

#include "dialogs/qovabstractdialog.h"
#include "dialogs/qovdirectionselectorview.h"
#include "models/qovappdevicemodel.h"

class QovCompareControl;

// Asks which side's data wins when a device is connected again to its known mixer. Given the
// device, it can also compare the device's stored data with that mixer's first.
class QovReconnectDeviceDialog : public QovAbstractDialog
{
    Q_OBJECT

public:
    explicit QovReconnectDeviceDialog(QWidget *parent = nullptr);
    explicit QovReconnectDeviceDialog(const QovAppDeviceModel &device, QWidget *parent = nullptr);

    QovDirectionSelectorView::Direction direction() const;
    // The upload flag of the connection: set for App -> Device.
    bool upload() const { return direction() == QovDirectionSelectorView::APP_TO_DEVICE; }
    QovDirectionSelectorView *directionSelector() const { return m_directionSelector; }
    // Null without a device.
    QovCompareControl *compareControl() const { return m_compare; }

protected:
    void buildContents(QWidget *contents) override;

private:
    // The device's mixer as the finder knows it now, if it is on the network.
    void updatePartner();

    QovAppDeviceModel m_device;
    QovDirectionSelectorView *m_directionSelector;
    QovCompareControl *m_compare = nullptr;
};
