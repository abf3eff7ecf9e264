#pragma once

#include "views/qovmainwindowbase.h"

#include <QList>
#include <QStringList>

class QovZephSettingView;

// Stands in for the application's window where a test needs only its pages and a record of
// what the pages asked of it. Pages are made and switched as the real window does.
class FakeMainWindow : public QovMainWindowBase
{
    Q_OBJECT

public:
    explicit FakeMainWindow(QWidget *parent = nullptr);
    ~FakeMainWindow() override;

    int currentPage() const override { return m_currentPage; }
    QovProjectDataModel *projectData() const override { return m_project; }
    QList<QovZephSettingView *> pages() const { return m_pages; }
    QovZephSettingView *page(int pageNumber) const { return m_pages.value(pageNumber - 1); }
    // Opens a project of these devices and shows the window; from 1 on, also that device's
    // page, once its channel is up.
    bool showProject(const QVector<QovAppDeviceModel> &devices, int pageNumber = 0);

    // Calls of the forwarding slots, one line each: "saveProject", "connectDevice <name>", ...
    QStringList calls;
    // What connectDevice, disconnectDevice and reconnectDevice answer.
    bool deviceSlotResult = true;

public Q_SLOTS:
    void setCurrentPage(int targetPageNumber) override;
    void setProjectData(QovProjectDataModel *data) override;
    bool connectDevices() override { return record(QStringLiteral("connectDevices")); }
    bool createProject() override { return record(QStringLiteral("createProject")); }
    bool projectMetaDataEdit() override { return record(QStringLiteral("projectMetaDataEdit")); }
    bool deviceSetting() override { return record(QStringLiteral("deviceSetting")); }
    void openProgramSettings() override { record(QStringLiteral("openProgramSettings")); }
    bool openProject() override { return record(QStringLiteral("openProject")); }
    bool openProjectFile(QString) override { return record(QStringLiteral("openProjectFile")); }
    bool saveProject() override { return record(QStringLiteral("saveProject")); }
    bool saveProjectAs() override { return record(QStringLiteral("saveProjectAs")); }
    void closeProject(bool force) override;
    bool exit() override { return record(QStringLiteral("exit")); }
    bool connectDevice(QovAppDeviceModel device) override;
    bool disconnectDevice(QovAppDeviceModel device) override;
    bool reconnectDevice(QovAppDeviceModel device) override;

private:
    bool record(const QString &call);

    int m_currentPage = 0;
    QovProjectDataModel *m_project = nullptr;
    QWidget *m_projectPage = nullptr;
    QList<QovZephSettingView *> m_pages;
};
