#pragma once

#include "dialogs/qovabstractdialog.h"
#include "dialogs/qovdevicesettingdialoglistitem.h"
#include "models/qovappdevicemodel.h"

#include <QModelIndex>
#include <QVector>

#include <memory>

class QLineEdit;
class QListWidget;
class QPushButton;
class QovAddOnlineDeviceDialog;
class QovProjectDataModel;

// Edits the device list of a project: which devices, in which order, their names and, for
// devices not bound to hardware, their model. Every edit goes to a working list; the project is
// changed only after OK, on a worker thread, and resultCollected reports the project then.
// Cancel leaves the project untouched.
class QovDeviceSettingDialog : public QovAbstractDialog
{
    Q_OBJECT

public:
    // "New Project": makes a new project (with a title field) and hands it out through
    // resultCollected; the receiver owns it from then on.
    explicit QovDeviceSettingDialog(QWidget *parent = nullptr);
    // "Device Setting": edits `project` in place; the caller keeps owning it.
    explicit QovDeviceSettingDialog(QovProjectDataModel *project, QWidget *parent = nullptr);
    ~QovDeviceSettingDialog() override;

    bool isNewProject() const { return m_projectNameEdit != nullptr; }
    QovProjectDataModel *project() const { return m_project; }
    // The working list as it stands, in row order.
    QVector<QovDeviceSettingEntry> entries() const;

Q_SIGNALS:
    void resultCollected(QovProjectDataModel *projectData);

public Q_SLOTS:
    void onAddButtonClicked();
    void onAddOnlineButtonClicked();
    void deleteDevice(int number);
    void moveDevice(const QModelIndex &parent, int start, int end, const QModelIndex &destination,
                    int row);
    void onAddOnlineDeviceCompleted(QovAppDeviceResultList results);
    void collectResults();

protected:
    void buildContents(QWidget *contents) override;
    // Return in a device name ends that name and moves to the next row's; elsewhere, the title
    // included, it means OK.
    void keyPressEvent(QKeyEvent *event) override;
    // Alt+Up and Alt+Down on a row, in its name or on the list, move the row one place.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void focusNameAfter(const QLineEdit *edit);
    // Moves the row that `from` (the list or a row's name) stands for one place up (-1) or
    // down (+1), as a drop there would; the keyboard follows the row.
    void moveRowByKey(QObject *from, int step);
    QovDeviceSettingDialog(QovProjectDataModel *project, bool newProject, QWidget *parent);
    void appendEntry(const QovAppDeviceModel &device);
    void appendRow(int index);
    void rebuildList();
    int maxDevices() const;
    void onCollected(int skippedUnknown);

    QLineEdit *m_projectNameEdit = nullptr;
    QovProjectDataModel *m_project;
    QVector<std::shared_ptr<QovDeviceSettingEntry>> m_entries;
    QListWidget *m_deviceList = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_addOnlineButton = nullptr;
    QovAddOnlineDeviceDialog *m_addOnlineDialog = nullptr;
    // A new project belongs to the dialog until resultCollected hands it out.
    bool m_ownsProject = false;
    // The row moved by the keyboard, and whether its name had the keyboard; it gets the keyboard
    // back once the rows are made anew.
    int m_rowToFocus = -1;
    bool m_focusName = false;
};
