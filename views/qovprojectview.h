#pragma once

#include "models/qovappdevicemodel.h"
#include "views/qovprojectviewdevicelist.h"

#include <QWidget>

class QListWidget;
class QLabel;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QovMainWindowBase;
class QovProjectDataModel;
class QovSortLabel;

// Page 0 of the main window: the menu bar, a header with the project's name, an edit and a
// close icon, and a body showing either "no devices." or the sortable list of device rows.
// It keeps no pointer to the project: it asks the window for projectData() when it needs the
// device list, so that it never shows a project the window has already replaced.
class QovProjectView : public QWidget
{
    Q_OBJECT

public:
    // `menuBar` (may be null) is placed at the top of the page; the window makes it, because
    // the menu opens windows and dialogs that this layer cannot see.
    QovProjectView(QovMainWindowBase *mainWindow, QWidget *menuBar, QWidget *parent = nullptr);

    QListWidget *deviceList() const { return m_deviceList; }
    QStackedWidget *bodyStack() const { return m_bodyStack; }
    QList<QovSortLabel *> sortLabels() const;

    // Sorts `devices` by the column of `column` (one of the sort labels) in `order`. Devices
    // without the column's key (empty name, no IP address, id -1) come last either way.
    enum SortColumn { BY_NAME, BY_IP_ADDRESS, BY_DEVICE_ID };
    static void sortDevices(QVector<QovAppDeviceModel> &devices, SortColumn column, bool ascending);

    // True while rows are still being added (see showRows).
    bool isListing() const { return m_nextRow < m_pendingRows.size(); }

public Q_SLOTS:
    void setProjectData(QovProjectDataModel *data);

Q_SIGNALS:
    // Every row of the last project or sorting is in the list.
    void rowsListed();

private Q_SLOTS:
    void onDeviceListChanged();
    void onSortLabelClicked(QovSortLabel *target);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *makeHeader();
    QWidget *makeEmptyBody();
    QWidget *makeListBody();
    void addRow(quint32 number, const QovAppDeviceModel &device);
    // Makes the first row current and, after showRows(..., true), gives the list the keyboard.
    void focusFirstRow();
    // Replaces the rows by `devices`, numbered from 1. A large project is listed over several
    // turns of the event loop, so that the window keeps reacting while hundreds of rows are
    // made; a new listing drops what is left of the previous one.
    void showRows(const QVector<QovAppDeviceModel> &devices, bool takeFocus);
    void addPendingRows();

    QovMainWindowBase *m_mainWindow;
    QScrollArea *m_scrollArea;
    QWidget *m_frame;
    QLabel *m_projectName;
    QPushButton *m_editIcon;
    QStackedWidget *m_bodyStack;
    QovProjectViewDeviceList *m_deviceList;
    QPushButton *m_closeIcon;
    QPushButton *m_bigSettingButton;
    QPushButton *m_smallSettingButton;
    QovSortLabel *m_deviceSortLabel;
    QovSortLabel *m_ipSortLabel;
    QovSortLabel *m_idSortLabel;
    QVector<QovAppDeviceModel> m_pendingRows;
    int m_nextRow = 0;
    quint64 m_listing = 0;
    bool m_rowsTakeFocus = false;
};
