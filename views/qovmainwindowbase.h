#pragma once

#include "models/qovappdevicemodel.h"
#include "models/qovprojectdatamodel.h"

#include <QStackedWidget>
#include <QString>

// What the project page, its rows, the menu bar, the dialogs and the page bridges may ask of the
// window that holds them. The window itself lives in the application layer above them, so they
// reach it through this base; QovMainWindow is the one implementation.
class QovMainWindowBase : public QStackedWidget
{
    Q_OBJECT
    Q_PROPERTY(int currentPage READ currentPage WRITE setCurrentPage NOTIFY currentPageChanged)
    Q_PROPERTY(QovProjectDataModel *projectData READ projectData WRITE setProjectData NOTIFY
                   projectDataChanged)

public:
    explicit QovMainWindowBase(QWidget *parent = nullptr);

    virtual int currentPage() const = 0;
    virtual QovProjectDataModel *projectData() const = 0;
    // An automatic reconnect of the device is in flight.
    virtual bool isReconnecting(const QovAppDeviceModel &) const { return false; }

public Q_SLOTS:
    virtual void setCurrentPage(int targetPageNumber) = 0;
    virtual void setProjectData(QovProjectDataModel *data) = 0;

    virtual bool connectDevices() = 0;
    virtual bool createProject() = 0;
    virtual bool projectMetaDataEdit() = 0;
    virtual bool deviceSetting() = 0;
    virtual void openProgramSettings() = 0;
    virtual bool openProject() = 0;
    virtual bool openProjectFile(QString fileName) = 0;
    virtual bool saveProject() = 0;
    virtual bool saveProjectAs() = 0;
    // A forced close skips the save question (a page that can no longer work asks for it).
    virtual void closeProject(bool force = false) = 0;
    virtual bool exit() = 0;

    virtual bool connectDevice(QovAppDeviceModel device) = 0;
    virtual bool disconnectDevice(QovAppDeviceModel device) = 0;
    virtual bool reconnectDevice(QovAppDeviceModel device) = 0;

Q_SIGNALS:
    void currentPageChanged(int currentPage);
    void projectDataChanged(QovProjectDataModel *projectData);
};
