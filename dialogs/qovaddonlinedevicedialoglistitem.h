#pragma once

#include "models/qovonlinedevicemodel.h"

#include <QWidget>

class QCheckBox;

// One mixer in the add-online list: a tick box bound to the mixer's `selected` flag, its name,
// address, ID and link role, and a button that makes the mixer identify itself.
class QovAddOnlineDeviceDialogListItem : public QWidget
{
    Q_OBJECT

public:
    // `number` counts rows from 1 and picks the row's shade.
    QovAddOnlineDeviceDialogListItem(const QovOnlineDeviceModel &device, int number,
                                     QWidget *parent = nullptr);

    QovOnlineDeviceModel device() const { return m_device; }
    bool isChecked() const;

Q_SIGNALS:
    void identifyFailed(const QovOnlineDeviceModelInternal *model);
    // The user ticked or cleared the box.
    void toggledByUser(bool checked);

public Q_SLOTS:
    void setChecked(bool checked);

private:
    void identify();

    QovOnlineDeviceModel m_device;
    QCheckBox *m_checkBox;
};
