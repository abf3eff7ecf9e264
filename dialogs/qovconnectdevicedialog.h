#pragma once

#include "dialogs/qovabstractdialog.h"
#include "dialogs/qovdirectionselectorview.h"
#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"

#include <QList>

class QButtonGroup;
class QListWidget;
class QovCompareControl;
class QovSortLabel;

// Pairs one project device with a mixer of the same model on the network and chooses which
// side's data wins. It only asks: the caller reads the choice after OK and connects.
class QovConnectDeviceDialog : public QovAbstractDialog
{
    Q_OBJECT

public:
    // `heldMacs` are the mixers other entries of the project are paired with: one mixer
    // belongs to one entry, so those are not offered.
    explicit QovConnectDeviceDialog(const QovAppDeviceModel &device,
                                    const QStringList &heldMacs = {}, QWidget *parent = nullptr);

    // The mixer whose radio button is on; null when none is.
    QovOnlineDeviceModel selectedDevice() const;
    QovDirectionSelectorView::Direction direction() const;
    // The upload flag of the connection: set for App -> Device.
    bool upload() const { return direction() == QovDirectionSelectorView::APP_TO_DEVICE; }
    QovDirectionSelectorView *directionSelector() const { return m_directionSelector; }
    // The devices the rows show, in row order.
    QList<QovOnlineDeviceModel> shownDevices() const { return m_shown; }
    // Compares the project device with the selected mixer.
    QovCompareControl *compareControl() const { return m_compare; }

public Q_SLOTS:
    void onSortLabelClicked(QovSortLabel *target);

protected:
    void buildContents(QWidget *contents) override;

private:
    QList<QovOnlineDeviceModel> offeredDevices() const;
    void scheduleRebuild();
    void rebuildList();
    QWidget *makeOnlineBlock();

    QovAppDeviceModel m_device;
    QStringList m_heldMacs;
    QovDirectionSelectorView *m_directionSelector;
    QovCompareControl *m_compare;
    QButtonGroup *m_buttonGroup;
    QListWidget *m_list = nullptr;
    QList<QovSortLabel *> m_sortLabels;
    QList<QovOnlineDeviceModel> m_shown;
    // The chosen mixer, kept across rebuilds by model and MAC.
    QovOnlineDeviceModel m_chosen;
    bool m_rebuildPending = false;
};
