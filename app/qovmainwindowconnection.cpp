// The device connection flows of the main window: pairing project devices with mixers on the
// network, copying the data in the chosen direction and telling the user what failed.
#include "app/qovmainwindow.h"

#include "device/qovcgiapi.h"
#include "device/qovcgiapifactory.h"
#include "dialogs/qovaddonlinedevicedialog.h"
#include "dialogs/qovconnectdevicedialog.h"
#include "dialogs/qovpartialcopypopup.h"
#include "dialogs/qovpopups.h"
#include "dialogs/qovreconnectdevicedialog.h"
#include "discovery/qovonlinedevicefinder.h"
#include "models/qovworkerpool.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMetaEnum>
#include <QThread>
#include <QtConcurrent>

#include <future>
#include <memory>
#include <vector>

namespace {

QDebug flowLine(const char *flow, const QovAppDeviceModel &device)
{
    return qDebug().noquote() << QThread::currentThreadId() << flow << device->debugText();
}

QString unableToConnect(const QString &name)
{
    return QovMainWindow::tr("One or more devices are unable to connect with Velmora.\n\n%1")
        .arg(name);
}

// Tells the user that a mixer kept its data because no safety copy of it could be made.
void showNotOverwritten(const QovOnlineDeviceModel &target,
                        const QovCgiApi::ConnectOutcome &outcome)
{
    QString why;
    switch (outcome.safetyCopyFailure) {
    case QovCgiApi::READ_FAILED:
        why = QovMainWindow::tr("Its current data could not be read (%1).")
                  .arg(outcome.safetyCopyDetail);
        break;
    case QovCgiApi::PARTIAL_READ:
        // Only a person may accept a copy with gaps; reconnecting the mixer asks.
        why = QovMainWindow::tr("These data sets could not be read: %1.\nReconnect the mixer "
                                "to choose whether to overwrite it after a partial copy.")
                  .arg(QovPartialCopyPopup::setsText(outcome.unreadable));
        break;
    default:
        why = QovMainWindow::tr("The backup folder cannot be written (%1).")
                  .arg(outcome.safetyCopyDetail);
        break;
    }
    qovShowError(QovMainWindow::tr("Error"),
                 QovMainWindow::tr("The mixer %1 (%2) was not overwritten.\n\nNo safety copy "
                                   "of its current data could be kept:\n%3")
                     .arg(target->deviceName(), target->ipAddress(), why));
}

// Another program transfers to the mixer: one more transfer now would leave it holding a mix.
void showInUse(const QovOnlineDeviceModel &target, const QString &reason)
{
    qovShowError(QovMainWindow::tr("Error"),
                 QovMainWindow::tr("The mixer %1 (%2) was neither read nor written: %3.\n\nTry "
                                   "again when that program has finished with it.")
                     .arg(target->deviceName(), target->ipAddress(), reason));
}

// Why an entry is left unpaired: another entry of the project holds its mixer.
QString heldElsewhere(const QovAppDeviceModel &device, const QovAppDeviceModel &holder)
{
    return QovMainWindow::tr("%1 was not connected: its mixer (%2) belongs to %3.")
        .arg(device->deviceName(), device->macAddress(), holder->deviceName());
}

// Two mixers claim the entry's identity: a cloned configuration, or a fake. Velmora does not
// choose, since either could then be overwritten.
QString sameMacMixers(const QovAppDeviceModel &device, const QList<QovOnlineDeviceModel> &mixers)
{
    QStringList addresses;
    for (const QovOnlineDeviceModel &mixer : mixers) {
        addresses.append(mixer->ipAddress());
    }
    return QovMainWindow::tr("%1 was not connected: mixers at %2 all answer with its MAC address "
                             "%3.\n\nVelmora does not choose one. Connect the right one by hand "
                             "or give each mixer its own address.")
        .arg(device->deviceName(), addresses.join(QStringLiteral(", ")), device->macAddress());
}

QString oneMixerOneEntry(const QStringList &reasons)
{
    return QovMainWindow::tr("A mixer can belong to one device of the project only.\n\n%1")
        .arg(reasons.join(QLatin1Char('\n')));
}

// Tells the user that an upload stopped part-way, and where what the mixer held before is.
void showPartlyWritten(const QovOnlineDeviceModel &target, const QovCgiApi::ConnectOutcome &outcome)
{
    qovShowErrorWithFolder(
        QovMainWindow::tr("Error"),
        QovMainWindow::tr("The transfer to the mixer %1 (%2) failed part-way. The mixer now "
                          "holds partly written data.\n\nWhat it held before is in its safety "
                          "copy %3, in the folder:\n%4")
            .arg(target->deviceName(), target->ipAddress(),
                 QFileInfo(outcome.safetyCopy).fileName(),
                 QDir::toNativeSeparators(QFileInfo(outcome.safetyCopy).absolutePath())),
        QFileInfo(outcome.safetyCopy).absolutePath());
}

} // namespace

void QovMainWindow::reportUnwritten(const QovOnlineDeviceModel &target,
                                    const QovCgiApi::ConnectOutcome &outcome)
{
    if (outcome.partlyWritten) {
        showPartlyWritten(target, outcome);
    } else if (outcome.safetyCopyFailure != QovCgiApi::NO_FAILURE) {
        showNotOverwritten(target, outcome);
    }
}

bool QovMainWindow::refuseWhileReconnecting(const QovAppDeviceModel &device, const char *flow)
{
    if (!m_autoReconnector->isReconnecting(device)) {
        return false;
    }
    flowLine(flow, device) << ": an automatic reconnect runs";
    qovShowError(tr("Caution"),
                 tr("Velmora is reconnecting %1 already.").arg(device->deviceName()));
    return true;
}

namespace {

// What the connection worker hands back: the attempt as the completion slot takes it, and
// whether it stopped for want of a safety copy.
using WorkerResult = std::pair<QovMainWindow::ConnectDeviceResult, QovCgiApi::ConnectOutcome>;

} // namespace

void QovMainWindow::startConnectionWorker(QovCgiApi *api, bool upload,
                                          const QovAppDeviceModel &device,
                                          const QovOnlineDeviceModel &target, const char *doneLine,
                                          bool allowPartialCopy)
{
    // The operation calls back into its API object, so the worker keeps it until the end.
    std::shared_ptr<QovCgiApi> access(api);
    auto *watcher = new QFutureWatcher<WorkerResult>();
    ++m_workersInFlight;
    connect(
        watcher, &QFutureWatcher<WorkerResult>::finished, this,
        [this, watcher, doneLine] {
            --m_workersInFlight;
            qDebug() << QThread::currentThreadId() << doneLine;
            const WorkerResult result = watcher->result();
            watcher->deleteLater();
            const auto &[connected, upload, device, target] = result.first;
            if (!result.second.inUse.isEmpty()) {
                flowLine("Connect", device) << ":" << result.second.inUse;
                showInUse(target, result.second.inUse);
                hideBusy();
                return;
            }
            if (result.second.safetyCopyFailure == QovCgiApi::PARTIAL_READ) {
                askForPartialCopy(result.first, result.second.unreadable, doneLine);
                return;
            }
            if (!result.second.partlyWritten &&
                result.second.safetyCopyFailure == QovCgiApi::NO_FAILURE) {
                onConnectDeviceCompleted(result.first, result.second.problem);
                return;
            }
            flowLine("Connect", device)
                << (result.second.partlyWritten ? ": the mixer was partly written"
                                                : ": no safety copy, the mixer was not written");
            reportUnwritten(target, result.second);
            hideBusy();
        },
        Qt::DirectConnection);
    watcher->setFuture(QtConcurrent::run(qovWorkerPool(), [access, upload, device, target,
                                                           allowPartialCopy] {
        const QovCgiApi::ConnectOutcome outcome =
            access
                ? access->connectDeviceWithOutcome(upload, device, target, allowPartialCopy).get()
                : QovCgiApi::ConnectOutcome();
        return WorkerResult(ConnectDeviceResult(outcome.connected, upload, device, target),
                            outcome);
    }));
}

void QovMainWindow::askForPartialCopy(const ConnectDeviceResult &attempt,
                                      const QVector<QovDataSlot> &unreadable, const char *doneLine)
{
    const bool upload = std::get<1>(attempt);
    const QovAppDeviceModel &device = std::get<2>(attempt);
    const QovOnlineDeviceModel &target = std::get<3>(attempt);
    flowLine("Connect", device) << ":" << unreadable.size() << "data set(s) cannot be read";
    // The busy overlay stays up through the question: the connection is not over.
    if (!qovAskPartialCopy(target->deviceName(), target->ipAddress(), unreadable)) {
        flowLine("Connect", device) << ": no partial safety copy, the mixer was not written";
        hideBusy();
        return;
    }
    flowLine("Connect", device) << ": overwriting after a partial safety copy";
    startConnectionWorker(createCgiApi(device), upload, device, target, doneLine, true);
}

bool QovMainWindow::connectDevice(QovAppDeviceModel device)
{
    if (refuseWhileReconnecting(device, "Connect")) {
        return false;
    }
    showBusy();
    if (device->status() != QovAppDeviceModelInternal::DISCONNECTED) {
        flowLine("Connect", device) << ": Device is not Disconnected.";
        hideBusy();
        return false;
    }
    QovConnectDeviceDialog dialog(device, m_projectData->macsHeldBesides(device));
    if (dialog.exec() != QDialog::Accepted) {
        flowLine("Connect", device) << ": canceled";
        hideBusy();
        return false;
    }
    const QovOnlineDeviceModel target = dialog.selectedDevice();
    if (!target) {
        flowLine("Connect", device) << ": target not selected";
        hideBusy();
        return false;
    }
    startConnectionWorker(createCgiApi(device), dialog.upload(), device, target, "connected!");
    return true;
}

bool QovMainWindow::reconnectDevice(QovAppDeviceModel device)
{
    if (refuseWhileReconnecting(device, "Reconnect")) {
        return false;
    }
    showBusy();
    if (device->status() != QovAppDeviceModelInternal::MISSING &&
        device->status() != QovAppDeviceModelInternal::CONNECTED) {
        flowLine("Reconnect", device) << ": Device is not Missing (or Connected).";
        hideBusy();
        return false;
    }
    const QovAppDeviceModel holder =
        QovProjectDataModel::holderOf(m_projectData->appDevices(), device->macAddress());
    if (holder && holder != device) {
        flowLine("Reconnect", device) << ": the mixer belongs to" << holder->debugText();
        qovShowError(tr("Caution"), oneMixerOneEntry({heldElsewhere(device, holder)}));
        hideBusy();
        return false;
    }
    QovReconnectDeviceDialog dialog(device);
    if (dialog.exec() != QDialog::Accepted) {
        flowLine("Reconnect", device) << ": canceled";
        hideBusy();
        return false;
    }
    const bool upload = dialog.upload();
    const QovOnlineDeviceModel partner = QovOnlineDeviceFinder::instance()->findByAppDevice(device);
    if (!partner) {
        const QList<QovOnlineDeviceModel> claimants =
            QovOnlineDeviceFinder::instance()->findAllByAppDevice(device);
        flowLine("Reconnect", device)
            << ": target device not found," << claimants.size() << "mixers with its MAC";
        qovShowError(tr("Error"), claimants.size() > 1 ? sameMacMixers(device, claimants)
                                                       : unableToConnect(device->deviceName()));
        hideBusy();
        return false;
    }
    startConnectionWorker(createCgiApi(device), upload, device, partner, "reconnected!");
    return true;
}

void QovMainWindow::onConnectDeviceCompleted(QovMainWindow::ConnectDeviceResult result,
                                             const QString &problem)
{
    const auto &[connected, upload, device, target] = result;
    if (!connected) {
        flowLine("Connect", device) << ": failed to connect," << problem;
        qovShowConnectError(
            tr("One or more devices are unable to connect with Velmora.\n%1\n\n%2\nv\n%3\n(%4)")
                .arg(target->ipAddress(), target->deviceName(), device->deviceName(),
                     upload ? tr("App->Device") : tr("Device->App")),
            problem);
    }
    hideBusy();
}

bool QovMainWindow::disconnectDevice(QovAppDeviceModel device)
{
    if (refuseWhileReconnecting(device, "Disconnect")) {
        return false;
    }
    if (device->status() != QovAppDeviceModelInternal::CONNECTED &&
        device->status() != QovAppDeviceModelInternal::MISSING) {
        flowLine("Disconnect", device) << ": Device is not Connected (or Missing).";
        return false;
    }
    // The operation only forgets the partner, so waiting for it here is short.
    const std::unique_ptr<QovCgiApi> access(createCgiApi(device));
    if (access && access->disconnectDevice(device).get()) {
        return true;
    }
    flowLine("Disconnect", device) << ": failed to disconnect";
    qovShowError(tr("Caution"), tr("Disconnect failed.\n\n%1\n").arg(device->deviceName()));
    return false;
}

bool QovMainWindow::connectDevices()
{
    if (m_pendingAddOnlineDeviceDialog || !askToSave()) {
        return false;
    }
    showBusy();
    m_pendingAddOnlineDeviceDialog =
        new QovAddOnlineDeviceDialog(QovAddOnlineDeviceDialog::CONNECT, {});
    connect(m_pendingAddOnlineDeviceDialog, &QovAddOnlineDeviceDialog::resultCollected, this,
            &QovMainWindow::onConnectDevicesCompleted);
    if (m_pendingAddOnlineDeviceDialog->exec() == QDialog::Accepted) {
        qDebug() << QThread::currentThreadId() << "connectDevice()";
        return true;
    }
    hideBusy();
    m_pendingAddOnlineDeviceDialog->deleteLater();
    m_pendingAddOnlineDeviceDialog = nullptr;
    return false;
}

void QovMainWindow::onConnectDevicesCompleted(QovAppDeviceResultList results)
{
    qDebug() << QThread::currentThreadId() << "add online device completed!" << results.size();
    const auto releaseDialog = [this] {
        if (m_pendingAddOnlineDeviceDialog) {
            m_pendingAddOnlineDeviceDialog->deleteLater();
            m_pendingAddOnlineDeviceDialog = nullptr;
        }
        hideBusy();
    };
    const int maxDevices = int(QovProgramSettingsModel().maxNumberOfProjectDevices());
    QVector<QovAppDeviceModel> devices;
    for (const auto &[connected, device, problem] : results) {
        if (!connected) {
            qovShowConnectError(unableToConnect(device->deviceName()), problem);
            continue;
        }
        if (devices.size() >= maxDevices) {
            qovShowError(tr("Caution"),
                         tr("This exceeds the maximum number of devices that can be added"));
            releaseDialog();
            return;
        }
        devices.append(device);
    }

    // Every change of a project rewrites its autosave copy at once; for dozens of mixers'
    // data that takes long enough to freeze the window, so the new project is filled on a
    // worker and handed to the GUI thread when it is complete.
    QThread *guiThread = thread();
    auto *watcher = new QFutureWatcher<QovProjectDataModel *>();
    connect(
        watcher, &QFutureWatcher<QovProjectDataModel *>::finished, this,
        [this, watcher, releaseDialog] {
            QovProjectDataModel *project = watcher->result();
            watcher->deleteLater();
            setProjectData(project);
            releaseDialog();
        },
        Qt::DirectConnection);
    watcher->setFuture(QtConcurrent::run(qovWorkerPool(), [devices, guiThread] {
        auto *project = new QovProjectDataModel();
        // Nothing connected leaves a fresh project, with nothing to save.
        if (!devices.isEmpty()) {
            project->setAppDevices(devices);
        }
        project->moveToThread(guiThread);
        return project;
    }));
}

void QovMainWindow::reconnectAfterOpen(QovProjectDataModel *model,
                                       QovProgramSettingsModel::AutoReconnectType mode)
{
    const QVector<QovAppDeviceModel> devices = model->appDevices();
    // Looked up from this worker, under the finder list's lock. Waiting for the GUI thread to
    // do it instead could deadlock: the GUI thread may itself be waiting for the pool (at
    // exit), and the finder may have been created on a pool thread that runs no event loop.
    QovOnlineDeviceFinder *finder = QovOnlineDeviceFinder::instance();
    QVector<QovOnlineDeviceModel> partners(devices.size());
    QStringList shared;
    for (int i = 0; i < devices.size(); ++i) {
        if (!devices.at(i)->macAddress().isEmpty()) {
            partners[i] = finder->findByAppDevice(devices.at(i));
            const QList<QovOnlineDeviceModel> claimants = finder->findAllByAppDevice(devices.at(i));
            if (claimants.size() > 1) {
                shared.append(sameMacMixers(devices.at(i), claimants));
            }
        }
        const QString address = devices.at(i)->addedAddress();
        if (address.isEmpty()) {
            continue;
        }
        // A mixer the project reaches by its address is asked there, where multicast may never
        // arrive; the finder lists it from then on.
        QMetaObject::invokeMethod(
            finder, [finder, address] { finder->addByAddress(address); }, Qt::QueuedConnection);
        // Two mixers with its MAC already: asking a third place would only pick one.
        if (!partners.at(i) && !devices.at(i)->macAddress().isEmpty() &&
            finder->findAllByAppDevice(devices.at(i)).isEmpty()) {
            QString error;
            const QovOnlineDeviceModel found = finder->probe(address, &error);
            if (found && found->macAddress() == devices.at(i)->macAddress() &&
                found->modelName() == devices.at(i)->modelName()) {
                partners[i] = found;
            } else {
                qDebug() << QThread::currentThreadId() << "no mixer of"
                         << devices.at(i)->debugText() << "at" << address << error;
            }
        }
    }

    const char *modeKey =
        QMetaEnum::fromType<QovProgramSettingsModel::AutoReconnectType>().valueToKey(mode);
    std::vector<std::unique_ptr<QovCgiApi>> access;
    std::vector<std::future<QovCgiApi::ConnectOutcome>> started;
    std::vector<QovOnlineDeviceModel> startedWith;
    std::vector<QovAppDeviceModel> startedFor;
    QStringList unpaired;
    for (int i = 0; i < devices.size(); ++i) {
        const QovAppDeviceModel &device = devices.at(i);
        const QovOnlineDeviceModel &partner = partners.at(i);
        if (device->macAddress().isEmpty()) {
            device->setStatus(QovAppDeviceModelInternal::DISCONNECTED);
            continue;
        }
        // Two uploads into one mixer would leave it holding a mix of both entries' data.
        const QovAppDeviceModel holder =
            QovProjectDataModel::holderOf(devices, device->macAddress());
        if (holder != device) {
            qDebug().noquote() << QThread::currentThreadId() << "auto-reconnect skips"
                               << device->debugText() << "its mixer belongs to"
                               << holder->debugText();
            // Unpaired as a disconnect leaves it, so that its own Connect offers other mixers.
            unpaired.append(heldElsewhere(device, holder));
            device->setIpAddress(QString());
            device->setMacAddress(QString());
            device->setStatus(QovAppDeviceModelInternal::DISCONNECTED);
            continue;
        }
        if (!partner) {
            device->setStatus(QovAppDeviceModelInternal::MISSING);
            continue;
        }
        qDebug().noquote() << QThread::currentThreadId() << "auto-reconnect" << modeKey
                           << partner->debugText() << device->debugText();
        std::unique_ptr<QovCgiApi> api(createCgiApi(partner));
        if (mode == QovProgramSettingsModel::NONE || !api) {
            device->setStatus(QovAppDeviceModelInternal::MISSING);
            continue;
        }
        if (mode == QovProgramSettingsModel::DEVICE2APP && device->editedSinceConnect()) {
            qDebug().noquote() << QThread::currentThreadId() << "auto-reconnect keeps the edits of"
                               << device->debugText();
            device->setStatus(QovAppDeviceModelInternal::MISSING);
            device->setStatusNote(QovAutoReconnector::editsKeptNote());
            continue;
        }
        started.push_back(api->connectDeviceWithOutcome(mode == QovProgramSettingsModel::APP2DEVICE,
                                                        device, partner, false, true));
        startedWith.push_back(partner);
        startedFor.push_back(device);
        access.push_back(std::move(api));
    }
    if (!shared.isEmpty()) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [shared] {
                qovShowError(QovMainWindow::tr("Caution"), shared.join(QStringLiteral("\n\n")));
            },
            Qt::QueuedConnection);
    }
    if (!unpaired.isEmpty()) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [unpaired] { qovShowError(QovMainWindow::tr("Caution"), oneMixerOneEntry(unpaired)); },
            Qt::QueuedConnection);
    }
    // The outcome shows in each device's status; nobody is told about failed connections. Two
    // are another matter, told on the GUI thread: a mixer left as it was for want of a safety
    // copy (the user expected it overwritten), and one that an upload left partly written.
    for (size_t i = 0; i < started.size(); ++i) {
        const QovCgiApi::ConnectOutcome outcome = started[i].get();
        if (outcome.editedMeanwhile) {
            startedFor[i]->setStatus(QovAppDeviceModelInternal::MISSING);
            startedFor[i]->setStatusNote(QovAutoReconnector::editsKeptNote());
        } else if (!outcome.connected &&
                   startedFor[i]->status() == QovAppDeviceModelInternal::MISSING &&
                   startedFor[i]->ipAddress().isEmpty()) {
            // Its mixer is listed but did not take the connection now (busy, updating, slow to
            // answer). Discovery goes on listing it, so only the keep-alive, which asks a lost
            // device where it was, would ever see it answer again and have it reconnected.
            startedFor[i]->setIpAddress(startedWith[i]->ipAddress());
        }
        if (outcome.partlyWritten || outcome.safetyCopyFailure != QovCgiApi::NO_FAILURE) {
            const QovOnlineDeviceModel partner = startedWith[i];
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [partner, outcome] { reportUnwritten(partner, outcome); }, Qt::QueuedConnection);
        }
    }
}
