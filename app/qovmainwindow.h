#pragma once

#include "app/qovautoreconnector.h"
#include "device/qovcgiapi.h"
#include "device/qovkeepalivethread.h"
#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"
#include "models/qovprogramsettingsmodel.h"
#include "models/qovprojectdatamodel.h"
#include "views/qovmainwindowbase.h"
#include "webpage/qovwebenginecompat.h"

#include <QList>
#include <QString>

#include <memory>
#include <tuple>

class QCloseEvent;
class QResizeEvent;
class QovAddOnlineDeviceDialog;
class QovDeviceSettingDialog;
class QovProgressView;
class QovProjectView;
class QovWatchedProject;
class QovZephSettingView;

// The working window: a stack whose page 0 is the project page and whose pages 1..N are the
// settings pages of the project's devices in project order. It owns the current project, the
// busy overlay and the keep-alive thread, and carries out the project lifecycle. The device
// connection flows live in qovmainwindowconnection.cpp.
class QovMainWindow : public QovMainWindowBase
{
    Q_OBJECT

public:
    // success, upload, the project device, the online device it was paired with.
    using ConnectDeviceResult = std::tuple<bool, bool, QovAppDeviceModel, QovOnlineDeviceModel>;

    explicit QovMainWindow(QWidget *parent = nullptr);
    ~QovMainWindow() override;

    int currentPage() const override { return m_currentPage; }
    QovProjectDataModel *projectData() const override { return m_projectData; }
    // Device pages in stack order (stack index = list index + 1).
    QList<QovZephSettingView *> devicePages() const { return m_devicePages; }
    // The user's own work: a dialog of the connection flows, a transfer, opening a project.
    bool isBusy() const;
    // A worker still writes to mixers or the project: a transfer, a project being opened (and
    // reconnected), an automatic reconnect. The window does not close before it has ended.
    bool isWorking() const;
    QovAutoReconnector *autoReconnector() const { return m_autoReconnector; }
    bool isReconnecting(const QovAppDeviceModel &device) const override
    {
        return m_autoReconnector->isReconnecting(device);
    }
    // Opens the project saved at `savePath` with the unsaved edits kept aside in `keptPath`
    // after a crash, as an edited project. For the never-saved default project, which has no
    // file to open.
    void restoreUnsavedChanges(const QString &savePath, const QString &keptPath);

public Q_SLOTS:
    void setCurrentPage(int targetPageNumber) override;
    void setProjectData(QovProjectDataModel *data) override;

    bool connectDevices() override;
    bool createProject() override;
    bool projectMetaDataEdit() override;
    bool deviceSetting() override;
    void openProgramSettings() override;
    bool openProject() override;
    bool openProjectFile(QString fileName) override;
    bool saveProject() override;
    bool saveProjectAs() override;
    void closeProject(bool force = false) override;
    bool exit() override;

    bool connectDevice(QovAppDeviceModel device) override;
    bool disconnectDevice(QovAppDeviceModel device) override;
    bool reconnectDevice(QovAppDeviceModel device) override;

private Q_SLOTS:
    void onProjectEditedChanged();
    // The project's automatic copy cannot be written: the user learns that a crash would now
    // lose the edits, once per run of failures.
    void warnUnprotected(const QString &problem);
    // `restored`: the content came from edits kept aside after a crash, not from the file.
    void onFileOpenCompleted(QovProjectDataModel *result, QString error = QString(),
                             bool restored = false);
    void onDeviceSettingCompleted(QovProjectDataModel *result);
    void downloadRequested(QovWebEngineDownload *download);
    void onConnectDevicesCompleted(QovAppDeviceResultList results);
    // `problem`, when known, says why a failed attempt failed.
    void onConnectDeviceCompleted(QovMainWindow::ConnectDeviceResult result,
                                  const QString &problem = QString());

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    using LoadResult = std::tuple<QovProjectDataModel *, QString>;

    // Opens the project at `fileName` (with the content of `keptPath` when not empty) on a
    // pool thread; the result reaches onFileOpenCompleted.
    void loadInBackground(const QString &fileName, const QString &keptPath);
    // Runs on a pool thread: reads the file (or the kept copy), records it as recent,
    // reconnects its devices.
    static LoadResult loadProjectFile(const QString &fileName, const QString &keptPath,
                                      QovProgramSettingsModel::AutoReconnectType mode);
    // Runs on the loader's thread: decides every device's status after opening and starts the
    // automatic reconnections of `mode`, waiting for all of them.
    static void reconnectAfterOpen(QovProjectDataModel *model,
                                   QovProgramSettingsModel::AutoReconnectType mode);
    // Pairs `device` with `target` on a pool thread; the result reaches
    // onConnectDeviceCompleted after `doneLine` was logged. Takes ownership of `api` (may be
    // null, which fails the attempt). A mixer that would not give every data set is
    // overwritten after a partial safety copy only when the user says so, then or here
    // (`allowPartialCopy`).
    void startConnectionWorker(QovCgiApi *api, bool upload, const QovAppDeviceModel &device,
                               const QovOnlineDeviceModel &target, const char *doneLine,
                               bool allowPartialCopy = false);

    // True when the action may go on: nothing to save, saved, or discarded by the user.
    bool askToSave();
    // Opens `fileName`; `editsSettled` when the edits open here were saved or declined, so that
    // reopening the same file has nothing of them to offer.
    bool openFile(const QString &fileName, bool editsSettled);
    // Saves under `path`, records it as recent and reports a failure.
    bool saveTo(const QString &path);
    void showBusy();
    void hideBusy();
    // Runs the dialog as the pending one; see createProject and deviceSetting.
    bool runDeviceSettingDialog(QovDeviceSettingDialog *dialog, const char *logLine);
    void releasePendingDeviceSettingDialog();
    void removeDevicePages();
    // Hands the keep-alive thread what it watches; called whenever the project or its device
    // list is replaced on this thread.
    void publishWatchedProject();
    void showSuccessor();
    // Asks whether the connection may overwrite a mixer that would not give `unreadable` after
    // a copy without them; starts it again if so.
    void askForPartialCopy(const ConnectDeviceResult &attempt,
                           const QVector<QovDataSlot> &unreadable, const char *doneLine);
    // Tells the user why a mixer kept its data, or that an upload left it partly written.
    static void reportUnwritten(const QovOnlineDeviceModel &target,
                                const QovCgiApi::ConnectOutcome &outcome);
    // Refuses a user action on a device that is being reconnected automatically.
    bool refuseWhileReconnecting(const QovAppDeviceModel &device, const char *flow);
    void closeWhenIdle();

    int m_currentPage = 0;
    QovProjectDataModel *m_projectData = nullptr;
    // The user chose to exit while busy: the window closes when the work has ended.
    bool m_exitWhenIdle = false;
    int m_workersInFlight = 0;
    QovProjectView *m_projectView = nullptr;
    QList<QovZephSettingView *> m_devicePages;
    QovProgressView *m_progressView = nullptr;
    // Shared with the keep-alive passes, which may still run on a pool thread after the
    // window is gone.
    std::shared_ptr<QovWatchedProject> m_watchedProject;
    // Retired, not deleted, with the window: a pass in flight must not stall the close.
    QovKeepAliveThread *m_keepAliveThread;
    QovAutoReconnector *m_autoReconnector;
    QovAddOnlineDeviceDialog *m_pendingAddOnlineDeviceDialog = nullptr;
    QovDeviceSettingDialog *m_pendingDeviceSettingDialog = nullptr;
};

Q_DECLARE_METATYPE(QovMainWindow::ConnectDeviceResult)
