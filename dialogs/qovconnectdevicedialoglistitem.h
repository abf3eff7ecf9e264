#pragma once

#include "models/qovonlinedevicemodel.h"

#include <QWidget>

class QRadioButton;

// One mixer the project device may be connected to: a radio button (in the dialog's group),
// name, address with MAC, ID and an identify button.
class QovConnectDeviceDialogListItem : public QWidget
{
    Q_OBJECT

public:
    // `number` counts rows from 1 and picks the row's shade.
    QovConnectDeviceDialogListItem(const QovOnlineDeviceModel &device, int number,
                                   QWidget *parent = nullptr);

    QovOnlineDeviceModel device() const { return m_device; }
    QRadioButton *radioButton() const { return m_radio; }

Q_SIGNALS:
    void identifyFailed(const QovOnlineDeviceModelInternal *model);

private:
    QovOnlineDeviceModel m_device;
    QRadioButton *m_radio;
};
