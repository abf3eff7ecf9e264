#pragma once

#include "views/qovmainwindowbase.h"

#include <QStringList>

// Stands in for the main window: holds a project and records which slots were called.
class FakeMainWindow : public QovMainWindowBase
{
    Q_OBJECT

public:
    QStringList calls;
    QovAppDeviceModel lastDevice;
    QovProjectDataModel *project = nullptr;
    int page = 0;

    int currentPage() const override { return page; }
    QovProjectDataModel *projectData() const override { return project; }

public Q_SLOTS:
    void setCurrentPage(int n) override { page = n, calls << QStringLiteral("page %1").arg(n); }
    void setProjectData(QovProjectDataModel *data) override { project = data; }
    bool connectDevices() override { return record("connectDevices"); }
    bool createProject() override { return record("createProject"); }
    bool projectMetaDataEdit() override { return record("projectMetaDataEdit"); }
    bool deviceSetting() override { return record("deviceSetting"); }
    void openProgramSettings() override { record("openProgramSettings"); }
    bool openProject() override { return record("openProject"); }
    bool openProjectFile(QString) override { return record("openProjectFile"); }
    bool saveProject() override { return record("saveProject"); }
    bool saveProjectAs() override { return record("saveProjectAs"); }
    void closeProject(bool force) override
    {
        record(force ? "closeProject(true)" : "closeProject(false)");
    }
    bool exit() override { return record("exit"); }
    bool connectDevice(QovAppDeviceModel d) override { return record("connectDevice", d); }
    bool disconnectDevice(QovAppDeviceModel d) override { return record("disconnectDevice", d); }
    bool reconnectDevice(QovAppDeviceModel d) override { return record("reconnectDevice", d); }

private:
    bool record(const char *call, const QovAppDeviceModel &device = nullptr)
    {
        calls << QString::fromLatin1(call);
        lastDevice = device;
        return true;
    }
};
