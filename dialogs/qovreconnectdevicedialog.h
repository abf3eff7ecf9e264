#pragma once

#include "dialogs/qovabstractdialog.h"
#include "dialogs/qovdirectionselectorview.h"

// Asks which side's data wins when a device is connected again to its known mixer.
class QovReconnectDeviceDialog : public QovAbstractDialog
{
    Q_OBJECT

public:
    explicit QovReconnectDeviceDialog(QWidget *parent = nullptr);

    QovDirectionSelectorView::Direction direction() const;
    // The upload flag of the connection: set for App -> Device.
    bool upload() const { return direction() == QovDirectionSelectorView::APP_TO_DEVICE; }
    QovDirectionSelectorView *directionSelector() const { return m_directionSelector; }

protected:
    void buildContents(QWidget *contents) override;

private:
    QovDirectionSelectorView *m_directionSelector;
};
