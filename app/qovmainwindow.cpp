#include "app/qovmainwindow.h"

#include "app/qovfiledialogwrapper.h"
#include "app/qovmenubarview.h"
#include "app/qovrecoveryprompt.h"
#include "app/qovtopwindow.h"
#include "device/qovwatchedproject.h"
#include "dialogs/qovconfirmpopup.h"
#include "dialogs/qovconfirmsavepopup.h"
#include "dialogs/qovdevicesettingdialog.h"
#include "dialogs/qovpopups.h"
#include "dialogs/qovprogramsettingsdialog.h"
#include "dialogs/qovprojectmetadatadialog.h"
#include "discovery/qovonlinedevicefinder.h"
#include "models/qovmodelmetatypes.h"
#include "models/qovpersistentdatamodel.h"
#include "models/qovworkerpool.h"
#include "views/qovprogressview.h"
#include "views/qovprojectview.h"
#include "webpage/qovzephsettingview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QResizeEvent>
#include <QThread>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QtConcurrent>

#include <utility>

QovMainWindow::QovMainWindow(QWidget *parent)
    : QovMainWindowBase(parent)
    , m_projectData(new QovProjectDataModel())
    , m_watchedProject(std::make_shared<QovWatchedProject>())
    , m_keepAliveThread(new QovKeepAliveThread(m_watchedProject, this))
    , m_autoReconnector(new QovAutoReconnector(
          {[this] { return isBusy() || QApplication::activeModalWidget() != nullptr; },
           [this] { return m_projectData->appDevices(); }, &QovMainWindow::reportUnwritten},
          this))
{
    qovRegisterModelMetaTypes();
    qRegisterMetaType<QovMainWindow::ConnectDeviceResult>("QovMainWindow::ConnectDeviceResult");
    qRegisterMetaType<QovAppDeviceResultList>("QovAppDeviceResultList");
    // Made here, on the GUI thread, if start-up has not made them yet: the loader posts its
    // recordings and its partner look-ups to their thread, which must run an event loop.
    QovPersistentDataModel::instance();
    QovOnlineDeviceFinder::instance();
    setAttribute(Qt::WA_DeleteOnClose);

    m_projectView = new QovProjectView(this, new QovMenuBarView(this), this);
    m_progressView = new QovProgressView(this);

    resize(1152, 640);
    setMinimumSize(320, 380);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setWindowTitle(tr("Velmora"));

    addWidget(m_projectView);
    m_progressView->hide();
    QovProjectDataModel *empty = m_projectData;
    m_projectData = nullptr;
    setProjectData(empty);

    connect(QWebEngineProfile::defaultProfile(), &QWebEngineProfile::downloadRequested, this,
            &QovMainWindow::downloadRequested);
    connect(m_keepAliveThread, &QovKeepAliveThread::mixersAnswering, m_autoReconnector,
            &QovAutoReconnector::onMixersAnswering);
    connect(QovOnlineDeviceFinder::instance(), &QovOnlineDeviceFinder::deviceListChanged,
            m_autoReconnector, &QovAutoReconnector::onDiscoveryChanged);
    connect(m_autoReconnector, &QovAutoReconnector::idle, this, &QovMainWindow::closeWhenIdle);
    m_keepAliveThread->start(QThread::InheritPriority);
    qDebug() << QThread::currentThreadId() << this << "main window created";
}

QovMainWindow::~QovMainWindow()
{
    m_keepAliveThread->retire();
    for (QovZephSettingView *page : std::as_const(m_devicePages)) {
        page->deleteLater();
    }
    delete m_projectData;
}

bool QovMainWindow::isBusy() const
{
    // Shown for the window, whether or not the window itself is on screen.
    return !m_progressView->isHidden();
}

void QovMainWindow::showBusy()
{
    m_progressView->show();
}

bool QovMainWindow::isWorking() const
{
    return m_workersInFlight > 0 || !m_autoReconnector->isIdle();
}

void QovMainWindow::hideBusy()
{
    m_progressView->hide();
    closeWhenIdle();
}

void QovMainWindow::closeWhenIdle()
{
    if (m_exitWhenIdle && !isBusy() && !isWorking()) {
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void QovMainWindow::setCurrentPage(int targetPageNumber)
{
    if (targetPageNumber == m_currentPage) {
        return;
    }
    if (targetPageNumber < 0 || targetPageNumber > m_devicePages.size()) {
        qDebug() << "setCurrentPage: no page" << targetPageNumber;
        return;
    }
    m_currentPage = targetPageNumber;
    setCurrentIndex(targetPageNumber);
    Q_EMIT currentPageChanged(targetPageNumber);
    // Page 0 has no device; a device page remembers the data it was entered with, so that
    // a roll-back returns to it.
    if (targetPageNumber >= 1) {
        m_devicePages.at(targetPageNumber - 1)->snapShot();
    }
}

void QovMainWindow::removeDevicePages()
{
    for (QovZephSettingView *page : std::as_const(m_devicePages)) {
        removeWidget(page);
        page->deleteLater();
    }
    m_devicePages.clear();
}

void QovMainWindow::warnUnprotected(const QString &problem)
{
    qDebug().noquote() << QThread::currentThreadId() << "autosave fails:" << problem;
    qovShowError(tr("Caution"),
                 tr("Velmora cannot keep the automatic copy of this project:\n%1\n\nUntil it can, "
                    "a crash or a power cut loses the changes made since the last save. Save "
                    "the project where it can be written.")
                     .arg(problem));
}

void QovMainWindow::setProjectData(QovProjectDataModel *data)
{
    if (!data) {
        qDebug() << "setProjectData: no project";
        return;
    }
    removeDevicePages();

    QovProjectDataModel *previous = m_projectData;
    m_projectData = data;
    if (previous && previous != data) {
        disconnect(previous, nullptr, this, nullptr);
        // Deferred: a dialog or queued call may still hold it for the rest of this turn.
        previous->deleteLater();
    }
    connect(data, &QovProjectDataModel::isEditedChanged, this,
            &QovMainWindow::onProjectEditedChanged, Qt::UniqueConnection);
    connect(data, &QovProjectDataModel::savePathChanged, this,
            &QovMainWindow::onProjectEditedChanged, Qt::UniqueConnection);
    connect(data, &QovProjectDataModel::appDevicesChanged, this,
            &QovMainWindow::publishWatchedProject, Qt::UniqueConnection);
    connect(data, &QovProjectDataModel::projectNameChanged, this,
            &QovMainWindow::publishWatchedProject, Qt::UniqueConnection);
    connect(data, &QovProjectDataModel::autosaveFailed, this, &QovMainWindow::warnUnprotected,
            Qt::UniqueConnection);
    if (!data->autosaveProblem().isEmpty()) {
        QTimer::singleShot(0, data, [this, data] {
            if (m_projectData == data && !data->autosaveProblem().isEmpty()) {
                warnUnprotected(data->autosaveProblem());
            }
        });
    }
    onProjectEditedChanged();

    m_projectView->setProjectData(data);
    setCurrentWidget(m_projectView);
    if (m_currentPage != 0) {
        m_currentPage = 0;
        Q_EMIT currentPageChanged(0);
    }

    const QVector<QovAppDeviceModel> devices = data->appDevices();
    for (int i = 0; i < devices.size(); ++i) {
        auto *page = new QovZephSettingView(devices.at(i), i + 1, this, this);
        insertWidget(i + 1, page);
        m_devicePages.append(page);
    }
    publishWatchedProject();
    m_autoReconnector->onProjectShown();
    Q_EMIT projectDataChanged(data);
}

void QovMainWindow::publishWatchedProject()
{
    m_watchedProject->publish(m_projectData->projectName(), m_projectData->appDevices());
}

void QovMainWindow::onProjectEditedChanged()
{
    QString title = tr("Velmora");
    if (m_projectData->savePath() != QovProjectDataModel::defaultProjectPath()) {
        title += QStringLiteral(" - ") + m_projectData->savePath();
    }
    if (m_projectData->isEdited()) {
        title += QStringLiteral(" *");
    }
    setWindowTitle(title);
}

bool QovMainWindow::askToSave()
{
    if (!m_projectData->isEdited()) {
        return true;
    }
    switch (qovAskBeforeClosing()) {
    case QovConfirmSavePopup::SAVE:
        return saveProject();
    case QovConfirmSavePopup::DONT_SAVE:
        return true;
    default:
        return false;
    }
}

bool QovMainWindow::projectMetaDataEdit()
{
    qDebug() << "setting metadata...";
    QovProjectMetaDataDialog dialog(m_projectData);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted) {
        dialog.apply();
        onProjectEditedChanged();
        m_projectView->setProjectData(m_projectData);
    }
    return accepted;
}

void QovMainWindow::openProgramSettings()
{
    qDebug() << "program settings...";
    QovProgramSettingsDialog dialog;
    if (dialog.exec() == QDialog::Accepted) {
        dialog.apply();
    }
}

bool QovMainWindow::openProject()
{
    if (!askToSave()) {
        return false;
    }
    showBusy();
    const QString path = QovFileDialogWrapper::getOpenFileName(this);
    if (path.isEmpty()) {
        hideBusy();
        return false;
    }
    return openFile(path, true);
}

bool QovMainWindow::openProjectFile(QString fileName)
{
    // Open Recent and the command line come without the save question: edits still open here
    // are offered again when their file is reopened, as those a crash left would be.
    return openFile(fileName, !m_projectData->isEdited());
}

bool QovMainWindow::openFile(const QString &fileName, bool editsSettled)
{
    qDebug() << QThread::currentThreadId() << "openProjectFile" << fileName;
    showBusy();
    if (fileName == m_projectData->savePath()) {
        if (editsSettled) {
            loadInBackground(fileName, QString());
            return true;
        }
        // The offer reads the edits from the autosave copy.
        m_projectData->waitForAutosave();
    }
    // Opening writes a new autosave copy, so edits a crash left in the old one are looked
    // for, kept aside and offered first.
    qovOfferUnsavedChanges(this, fileName, [this, fileName](const QString &keptPath) {
        loadInBackground(fileName, keptPath);
    });
    return true;
}

void QovMainWindow::restoreUnsavedChanges(const QString &savePath, const QString &keptPath)
{
    qDebug() << QThread::currentThreadId() << "restoreUnsavedChanges" << savePath;
    showBusy();
    loadInBackground(savePath, keptPath);
}

void QovMainWindow::loadInBackground(const QString &fileName, const QString &keptPath)
{
    const QovProgramSettingsModel::AutoReconnectType mode =
        QovProgramSettingsModel().autoReconnect();
    const bool restored = !keptPath.isEmpty();
    // Opening with reconnection may wait on slow mixers for half a minute and more; the
    // overlay says what is opening and what it waits for, instead of the old project's page.
    const QString name = fileName == QovProjectDataModel::defaultProjectPath()
                             ? tr("the project not yet saved")
                             : QFileInfo(fileName).fileName();
    const QString waitsFor = mode == QovProgramSettingsModel::NONE
                                 ? tr("Reading the project file.")
                                 : tr("Reading the project file, then reconnecting its mixers.");
    m_progressView->setActivity(restored ? tr("Restoring the unsaved changes of %1").arg(name)
                                         : tr("Opening %1").arg(name),
                                QDir::toNativeSeparators(fileName) + QLatin1Char('\n') + waitsFor);
    auto *watcher = new QFutureWatcher<LoadResult>();
    ++m_workersInFlight;
    connect(
        watcher, &QFutureWatcher<LoadResult>::finished, this,
        [this, watcher, restored] {
            --m_workersInFlight;
            const LoadResult result = watcher->result();
            onFileOpenCompleted(std::get<0>(result), std::get<1>(result), restored);
            watcher->deleteLater();
        },
        Qt::DirectConnection);
    watcher->setFuture(QtConcurrent::run(qovWorkerPool(), &QovMainWindow::loadProjectFile, fileName,
                                         keptPath, mode));
}

QovMainWindow::LoadResult
QovMainWindow::loadProjectFile(const QString &fileName, const QString &keptPath,
                               QovProgramSettingsModel::AutoReconnectType mode)
{
    QovProjectDataModel *model = nullptr;
    QString error;
    std::tie(model, error) =
        keptPath.isEmpty() ? loadProject(fileName) : loadUnsavedChanges(fileName, keptPath);
    if (!model) {
        return LoadResult(nullptr, error);
    }
    // The list belongs to the GUI thread, where the menu bars read it. A project never saved
    // has no file to open again.
    if (fileName != QovProjectDataModel::defaultProjectPath()) {
        QovPersistentDataModel *recent = QovPersistentDataModel::instance();
        QMetaObject::invokeMethod(
            recent, [recent, fileName] { recent->addRecent(fileName); }, Qt::QueuedConnection);
    }
    qDebug() << QThread::currentThreadId() << "openProject()";
    // Restored edits are the user's work since the last save: no mixer is read over them.
    if (!keptPath.isEmpty()) {
        for (const QovAppDeviceModel &device : model->appDevices()) {
            device->markEdited();
        }
    }
    reconnectAfterOpen(model, mode);
    model->setIsEdited(!keptPath.isEmpty());
    return LoadResult(model, QString());
}

void QovMainWindow::onFileOpenCompleted(QovProjectDataModel *result, QString error, bool restored)
{
    qDebug() << QThread::currentThreadId() << "opened!";
    if (!error.isEmpty()) {
        delete result;
        qovShowError(tr("Error"), tr("The following parameter value is invalid\n[%1]").arg(error));
    } else if (result) {
        // Reconnections while opening change the devices from the loader's thread; their
        // change notices reach the project here, queued before this completion. An opened
        // project starts unedited all the same; restored edits are edits until saved.
        result->setIsEdited(restored);
        setProjectData(result);
        m_keepAliveThread->requestKeepAlive();
    } else {
        qovShowError(tr("Error"), tr("Data format is invalid"));
    }
    hideBusy();
}

bool QovMainWindow::saveTo(const QString &path)
{
    QString problem;
    if (!m_projectData->saveTo(path, &problem)) {
        const QString failed = tr("Project data save failed.");
        qovShowError(tr("Error"),
                     problem.isEmpty() ? failed : failed + QStringLiteral("\n\n") + problem);
        return false;
    }
    QovPersistentDataModel::instance()->addRecent(path);
    return true;
}

bool QovMainWindow::saveProject()
{
    const QString path = m_projectData->savePath();
    if (path == QovProjectDataModel::defaultProjectPath()) {
        const QString chosen = QovFileDialogWrapper::getSaveFileName(this);
        return !chosen.isEmpty() && saveTo(chosen);
    }
    // What another program put there since is not overwritten unasked. An unedited project
    // writes nothing.
    if (m_projectData->isEdited() && m_projectData->fileChangedOnDisk() &&
        !qovAskOverwriteChangedFile(path)) {
        return false;
    }
    return saveTo(path);
}

bool QovMainWindow::saveProjectAs()
{
    const QString path = QovFileDialogWrapper::getSaveFileName(this);
    return !path.isEmpty() && saveTo(path);
}

void QovMainWindow::closeProject(bool force)
{
    qDebug() << QThread::currentThreadId() << "closeProject()";
    bool confirm = true;
    if (!force) {
        const bool edited = m_projectData->isEdited();
        if (!askToSave()) {
            return;
        }
        // Whoever just answered the save question has confirmed closing already.
        confirm = !edited;
    }
    if (confirm) {
        QovConfirmPopup popup(tr("Close Project"), tr("Really close project?"));
        if (popup.exec() != QDialog::Accepted) {
            return;
        }
    }
    showSuccessor();
    m_projectView->close();
    hide();
    close();
    deleteLater();
}

void QovMainWindow::showSuccessor()
{
    if (QovProgramSettingsModel().topPageVisible()) {
        (new QovTopWindow())->show();
    } else {
        (new QovMainWindow())->show();
    }
}

bool QovMainWindow::exit()
{
    close();
    return true;
}

void QovMainWindow::closeEvent(QCloseEvent *event)
{
    if (isHidden()) {
        event->accept();
        return;
    }
    // A window gone mid-transfer would leave the process writing to mixers unseen, after the
    // next start may already be at them. The window stays, with its progress, until the end.
    if (isBusy() || isWorking()) {
        QovConfirmPopup popup(tr("Exit"), tr("Velmora is busy with the mixers.\n\nExit as soon "
                                             "as the transfer has ended?"));
        m_exitWhenIdle = popup.exec() == QDialog::Accepted;
        qDebug() << "close while busy, exit when idle:" << m_exitWhenIdle;
        event->ignore();
        return;
    }
    const bool exitConfirmed = std::exchange(m_exitWhenIdle, false);
    if (m_projectData->isEdited()) {
        switch (qovAskBeforeClosing()) {
        case QovConfirmSavePopup::SAVE:
            event->setAccepted(saveProject());
            return;
        case QovConfirmSavePopup::DONT_SAVE:
            m_projectData->discardUnsavedEdits();
            event->accept();
            return;
        default:
            event->ignore();
            return;
        }
    }
    if (exitConfirmed) {
        event->accept();
        return;
    }
    QovConfirmPopup popup(tr("Exit"), tr("Really exit Velmora?"));
    event->setAccepted(popup.exec() == QDialog::Accepted);
}

void QovMainWindow::resizeEvent(QResizeEvent *event)
{
    QovMainWindowBase::resizeEvent(event);
    qDebug() << "QovMainWindow::resizeEvent" << event->oldSize() << event->size();
    m_projectView->resize(event->size());
    for (QovZephSettingView *page : std::as_const(m_devicePages)) {
        page->resize(event->size());
    }
}

void QovMainWindow::downloadRequested(QovWebEngineDownload *download)
{
    // The profile's own guard answers first and cancels what a page may not download.
    if (download->state() != QovWebEngineDownload::DownloadRequested) {
        return;
    }
    // Every window hears the shared profile; only the one showing the page answers.
    QWidget *view = QovWebEngineCompat::viewOf(download->page());
    if (view && !isAncestorOf(view)) {
        return;
    }
    const QString proposed =
        QDir(download->downloadDirectory()).filePath(download->downloadFileName());
    QFileDialog dialog(this, tr("Save as"), proposed);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QFileInfo chosen(dialog.selectedFiles().constFirst());
    download->setDownloadDirectory(chosen.absolutePath());
    download->setDownloadFileName(chosen.fileName());
    download->accept();
}

bool QovMainWindow::createProject()
{
    if (m_pendingDeviceSettingDialog || !askToSave()) {
        return false;
    }
    return runDeviceSettingDialog(new QovDeviceSettingDialog(), "createProject()");
}

bool QovMainWindow::deviceSetting()
{
    qDebug() << QThread::currentThreadId() << "setting devices...";
    if (m_pendingDeviceSettingDialog) {
        return false;
    }
    return runDeviceSettingDialog(new QovDeviceSettingDialog(m_projectData), "deviceSetting()");
}

bool QovMainWindow::runDeviceSettingDialog(QovDeviceSettingDialog *dialog, const char *logLine)
{
    showBusy();
    m_pendingDeviceSettingDialog = dialog;
    connect(dialog, &QovDeviceSettingDialog::resultCollected, this,
            &QovMainWindow::onDeviceSettingCompleted);
    if (dialog->exec() == QDialog::Accepted) {
        // The result comes later, once the dialog's worker has applied the changes.
        qDebug() << QThread::currentThreadId() << logLine;
        return true;
    }
    hideBusy();
    releasePendingDeviceSettingDialog();
    return false;
}

void QovMainWindow::releasePendingDeviceSettingDialog()
{
    if (m_pendingDeviceSettingDialog) {
        m_pendingDeviceSettingDialog->deleteLater();
        m_pendingDeviceSettingDialog = nullptr;
    }
}

void QovMainWindow::onDeviceSettingCompleted(QovProjectDataModel *result)
{
    if (result) {
        setProjectData(result);
        releasePendingDeviceSettingDialog();
        m_keepAliveThread->requestKeepAlive();
    } else {
        qovShowError(tr("Error"), tr("Data format is invalid."));
        releasePendingDeviceSettingDialog();
    }
    hideBusy();
}
