// The dialogs that bind a project to mixers, with eight simulated mixers on the private
// network (one link group) and project devices in every status.
#include "screenshotscene.h"

#include "device/qovcgiapi.h"
#include "device/qovcgiapifactory.h"
#include "dialogs/qovaddonlinedevicedialog.h"
#include "dialogs/qovcomparedialog.h"
#include "dialogs/qovconnectdevicedialog.h"
#include "dialogs/qovdevicesettingdialog.h"
#include "dialogs/qoverrorpopup.h"
#include "dialogs/qovreconnectdevicedialog.h"
#include "discovery/qovonlinedevicefinder.h"
#include "mixersimprocess.h"
#include "models/qovprojectdatamodel.h"
#include "tempprofile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <memory>

namespace {

const QByteArray kMixers = R"({ "mixers": [
  { "address": "127.0.0.2", "model": "ZEPH-2208NET", "name": "FOH Main", "deviceId": 1,
    "serial": 7002, "link": "primary",
    "linkedUnits": [ { "serial": 7003, "unitno": 1 }, { "serial": 7004, "unitno": 2 } ] },
  { "address": "127.0.0.3", "model": "ZEPH-2208NET", "name": "FOH Extension 1", "deviceId": 2,
    "serial": 7003, "link": "extension" },
  { "address": "127.0.0.4", "model": "ZEPH-2208NET", "name": "FOH Extension 2", "deviceId": 3,
    "serial": 7004, "link": "extension" },
  { "address": "127.0.0.5", "model": "ZEPH-2208", "name": "Monitor Left", "deviceId": 11 },
  { "address": "127.0.0.6", "model": "ZEPH-2208", "name": "Monitor Right", "deviceId": 12 },
  { "address": "127.0.0.7", "model": "ZEPH-2208", "name": "Stage Box", "deviceId": 21 },
  { "address": "127.0.0.8", "model": "ZEPH-2208NET", "name": "Lobby", "deviceId": 31 },
  { "address": "127.0.0.12", "model": "ZEPH-2208", "name": "Conference Room B, Upper Floor",
    "deviceId": 255 }
] })";

// Started with the first scene that needs mixers, kept until the renderer ends.
void ensureMixers()
{
    static std::unique_ptr<MixerSimProcess> sim;
    if (sim) {
        return;
    }
    // The sample projects write autosave copies; keep them and the settings out of the
    // user's profile.
    static TempProfile profile;
    sim = std::make_unique<MixerSimProcess>(kMixers);
    if (!sim->problem().isEmpty()) {
        QTextStream(stderr) << "simulator: " << sim->problem() << "\n";
        return;
    }
    QovOnlineDeviceFinder *finder = QovOnlineDeviceFinder::instance();
    finder->start();
    QElapsedTimer timer;
    timer.start();
    while (finder->getAll().size() < 8 && timer.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

QovOnlineDeviceModel mixerNamed(const QString &name)
{
    for (const auto &device : QovOnlineDeviceFinder::instance()->getAll()) {
        if (device->deviceName() == name) {
            return device;
        }
    }
    return nullptr;
}

// A project with a device in each status: taken from a mixer (connected), read from a file
// with a MAC (missing), and new ones (disconnected, one still without a name).
QovProjectDataModel *sampleProject()
{
    auto *project = new QovProjectDataModel();
    if (const auto online = mixerNamed(QStringLiteral("Monitor Left"))) {
        project->addDevice(std::make_shared<QovAppDeviceModelInternal>(online));
    }
    project->addDevice(std::make_shared<QovAppDeviceModelInternal>(
        QStringLiteral("Balcony"), QovDeviceSelector::ZEPH2208NET,
        QStringLiteral("00:1D:C1:00:00:40"), 1, 40));
    project->addDevice(std::make_shared<QovAppDeviceModelInternal>(
        QStringLiteral("Rehearsal Room"), QovDeviceSelector::ZEPH2208, QString(), 0, 0));
    project->addDevice(std::make_shared<QovAppDeviceModelInternal>());
    return project;
}

QWidget *deviceSettingDialog(bool newProject)
{
    ensureMixers();
    static QovProjectDataModel *project = sampleProject();
    if (newProject) {
        auto *dialog = new QovDeviceSettingDialog();
        dialog->onAddOnlineDeviceCompleted(
            {{true, project->appDevices().at(0)}, {true, project->appDevices().at(1)}});
        dialog->onAddButtonClicked();
        return dialog;
    }
    return new QovDeviceSettingDialog(project);
}

QWidget *addOnlineDialog(int mode)
{
    ensureMixers();
    // One mixer that discovery could not see, added by its address.
    if (const auto device = mixerNamed(QStringLiteral("Stage Box"))) {
        device->setAddedAddress(device->ipAddress());
    }
    auto *dialog = new QovAddOnlineDeviceDialog(mode, {});
    for (const QString &name : {QStringLiteral("FOH Main"), QStringLiteral("Stage Box")}) {
        if (const auto device = mixerNamed(name)) {
            device->setSelected(true);
        }
    }
    return dialog;
}

QWidget *connectDialog(QovDirectionSelectorView::Direction direction)
{
    ensureMixers();
    auto device = std::make_shared<QovAppDeviceModelInternal>(
        QStringLiteral("Rehearsal Room with a very long name"), QovDeviceSelector::ZEPH2208,
        QString(), 0, 7);
    auto *dialog = new QovConnectDeviceDialog(device);
    dialog->directionSelector()->setDirection(direction);
    return dialog;
}

// Compare before a connection: a project copy of "Monitor Left" that was edited since it was
// read (a preset renamed, one stored, a partial preset dropped, an EQ library slot renamed).
QString withName(const QString &json, const QString &name, bool stored)
{
    QJsonObject object = QJsonDocument::fromJson(json.toUtf8()).object();
    object.insert(QStringLiteral("name"), name);
    object.insert(QStringLiteral("stored"), stored);
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QovAppDeviceModel editedCopyOf(const QovOnlineDeviceModel &mixer, QovZephData *onMixer)
{
    auto device = std::make_shared<QovAppDeviceModelInternal>(mixer);
    const std::unique_ptr<QovCgiApi> api(createCgiApi(mixer));
    *onMixer = api->downloadZephData(mixer).get();
    QovZephData stored = *onMixer;
    stored.preset[0] = withName(stored.preset[0], QStringLiteral("Sunday Service (old)"), true);
    stored.preset[4] = withName(stored.preset[4], QStringLiteral("Wedding"), true);
    stored.partialPreset[1] = withName(stored.partialPreset[1], QString(), false);
    QJsonObject library = QJsonDocument::fromJson(stored.eq12Band.toUtf8()).object();
    QJsonArray entries = library.value(QStringLiteral("entries")).toArray();
    QJsonObject slot = entries.at(1).toObject();
    slot.insert(QStringLiteral("name"), QStringLiteral("Choir"));
    entries.replace(1, slot);
    library.insert(QStringLiteral("entries"), entries);
    stored.eq12Band = QString::fromUtf8(QJsonDocument(library).toJson(QJsonDocument::Compact));
    device->setZephDataPreset(stored.preset);
    device->setZephData12BandEq(stored.eq12Band);
    device->setZephData4BandEq(stored.eq4Band);
    device->setZephDataPartialPreset(stored.partialPreset);
    device->setZephDataCurrent(stored.current);
    return device;
}

QWidget *compareView()
{
    ensureMixers();
    const QovOnlineDeviceModel mixer = mixerNamed(QStringLiteral("Monitor Left"));
    QovZephData onMixer;
    const QovAppDeviceModel device = editedCopyOf(mixer, &onMixer);
    return new QovCompareDialog(device, mixer, qovDiffZephData(device->zephData(), onMixer));
}

QWidget *reconnectDialog()
{
    ensureMixers();
    QovZephData onMixer;
    return new QovReconnectDeviceDialog(
        editedCopyOf(mixerNamed(QStringLiteral("Monitor Left")), &onMixer));
}

} // namespace

std::vector<ScreenshotScene> connectionScenes()
{
    return {
        {QStringLiteral("connection-add-online"),
         [] { return addOnlineDialog(QovAddOnlineDeviceDialog::ADD); }, nullptr, 0, 0},
        {QStringLiteral("connection-connect-device"),
         [] { return connectDialog(QovDirectionSelectorView::APP_TO_DEVICE); }, nullptr, 0, 0},
        {QStringLiteral("connection-connect-device-to-app"),
         [] { return connectDialog(QovDirectionSelectorView::DEVICE_TO_APP); }, nullptr, 0, 0},
        {QStringLiteral("connection-connect-online"),
         [] { return addOnlineDialog(QovAddOnlineDeviceDialog::CONNECT); }, nullptr, 0, 0},
        {QStringLiteral("connection-device-setting"), [] { return deviceSettingDialog(false); },
         nullptr, 0, 0},
        {QStringLiteral("connection-new-project"), [] { return deviceSettingDialog(true); },
         nullptr, 0, 0},
        {QStringLiteral("connection-popup-connect-failed"),
         [] {
             return new QovErrorPopup(
                 QStringLiteral("Error"),
                 QStringLiteral("One or more devices are unable to connect with Velmora.\n"
                                "127.0.0.5\n\nMonitor Left\nv\nRehearsal Room\n(App->Device)\n\n"
                                "The transfer stopped: the mixer did not take preset 3."));
         },
         nullptr, 0, 0},
        {QStringLiteral("connection-popup-identify-failed"),
         [] {
             return new QovErrorPopup(
                 QStringLiteral("Error"),
                 QStringLiteral("Identify Failed\n\nStage Box\n(127.0.0.7)\n00:1D:C1:00:00:07"));
         },
         nullptr, 0, 0},
        {QStringLiteral("connection-popup-mixer-in-use"),
         [] {
             return new QovErrorPopup(
                 QStringLiteral("Error"),
                 QStringLiteral("The mixer Monitor Left (127.0.0.5) was neither read nor written: "
                                "the mixer is in use by another Velmora program (velmora-cli, "
                                "process 4242).\n\nTry again when that program has finished with "
                                "it."));
         },
         nullptr, 0, 0},
        {QStringLiteral("connection-reconnect"), [] { return new QovReconnectDeviceDialog(); },
         nullptr, 0, 0},
        // Compare before a connection.
        {QStringLiteral("connection-compare-view"), [] { return compareView(); }, nullptr, 0, 0},
        {QStringLiteral("connection-reconnect-compare"), [] { return reconnectDialog(); }, nullptr,
         0, 0},
        {QStringLiteral("connection-popup-compare-failed"),
         [] {
             return new QovErrorPopup(
                 QStringLiteral("Error"),
                 QStringLiteral("Compare Failed\n\nMonitor Left\n(127.0.0.5)\nThe mixer's data "
                                "could not be read: failed to get partial preset"));
         },
         nullptr, 0, 0},
    };
}
