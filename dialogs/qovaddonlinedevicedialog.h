#pragma once

#include "dialogs/qovabstractdialog.h"
#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"

#include <QList>
#include <QVector>

#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QovCgiApi;
class QovSortLabel;

// Lists the mixers on the network, lets the user tick some, and on OK connects to every ticked
// one, reading its data into a new project device. Closes at once on OK; the results follow
// through resultCollected when every connection has ended. A cancelled dialog emits nothing.
class QovAddOnlineDeviceDialog : public QovAbstractDialog
{
    Q_OBJECT

public:
    // CONNECT builds a new project ("Connect Online Device"); ADD adds to a device list.
    enum Mode { CONNECT = 0, ADD = 1 };
    Q_ENUM(Mode)

    // `devices` are the project devices already taken; the same mixers are not offered.
    QovAddOnlineDeviceDialog(int mode, const QVector<QovAppDeviceModel> &devices,
                             QWidget *parent = nullptr);
    ~QovAddOnlineDeviceDialog() override;

    int mode() const { return m_mode; }
    // The devices the rows show, in row order.
    QList<QovOnlineDeviceModel> shownDevices() const { return m_shown; }

Q_SIGNALS:
    // One (connected, project device) pair per ticked mixer, in the finder's list order.
    void resultCollected(QovAppDeviceResultList result);

public Q_SLOTS:
    void onSortLabelClicked(QovSortLabel *target);
    void onIdentifyFailed(const QovOnlineDeviceModelInternal *device);
    void collectResults();

protected:
    void buildContents(QWidget *contents) override;
    // Return in the address field asks that address instead of accepting the dialog.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The finder's devices in link-group order, without those already taken.
    QList<QovOnlineDeviceModel> offeredDevices() const;
    void scheduleRebuild();
    void rebuildList();
    void rememberTick(const QovOnlineDeviceModel &device, bool ticked);
    bool wasTicked(const QovOnlineDeviceModel &device) const;
    void onHeaderCheckClicked();
    void updateHeaderCheck();
    bool isExcluded(const QovOnlineDeviceModel &device) const;
    // Asks the mixer at the typed address or host name directly; it is ticked when found.
    void addByAddress();
    void onAddressProbed(const QString &address, const QString &error);

    int m_mode;
    QListWidget *m_list = nullptr;
    QCheckBox *m_headerCheck = nullptr;
    QList<QovSortLabel *> m_sortLabels;
    QVector<QovOnlineDeviceModel> m_excluded;
    QList<QovOnlineDeviceModel> m_shown;
    // Ticked mixers by model name and MAC, so that a tick survives the finder handing out a
    // new object for the same mixer.
    QList<QovOnlineDeviceModel> m_ticked;
    // The operations of a collection call back into their API objects, which must outlive them.
    std::vector<std::shared_ptr<QovCgiApi>> m_apis;
    bool m_rebuildPending = false;
    QLineEdit *m_addressEdit = nullptr;
    QPushButton *m_addressButton = nullptr;
    QLabel *m_addressNote = nullptr;
    // The address being asked, until the finder reports on it.
    QString m_pendingAddress;
};
