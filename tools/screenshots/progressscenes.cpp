// The busy overlay over the main window while real transfers run against simulated mixers,
// caught half-way: one mixer being written after its safety copy, and several read at once.
#include "screenshotscene.h"

#include "app/qovmainwindow.h"
#include "device/qovcgiapizeph2208.h"
#include "device/qovtransferprogress.h"
#include "dialogs/qovaddonlinedevicedialog.h"
#include "mixersimprocess.h"
#include "models/qovdiscovereddevice.h"
#include "models/qovprojectdatamodel.h"
#include "tempprofile.h"
#include "views/qovprogressview.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QVBoxLayout>

#include <future>
#include <memory>
#include <vector>

namespace {

const QByteArray kMixers = R"({ "mixers": [
  { "address": "127.0.0.40", "model": "ZEPH-2208NET", "name": "FOH Main", "deviceId": 1,
    "mac": "00:1D:C1:40:00:40" },
  { "address": "127.0.0.41", "model": "ZEPH-2208", "name": "Monitor Left", "deviceId": 11,
    "mac": "00:1D:C1:40:00:41" },
  { "address": "127.0.0.42", "model": "ZEPH-2208", "name": "Monitor Right", "deviceId": 12,
    "mac": "00:1D:C1:40:00:42" },
  { "address": "127.0.0.43", "model": "ZEPH-2208", "name": "Stage Box", "deviceId": 21,
    "mac": "00:1D:C1:40:00:43" },
  { "address": "127.0.0.44", "model": "ZEPH-2208NET", "name": "Lobby", "deviceId": 31,
    "mac": "00:1D:C1:40:00:44" },
  { "address": "127.0.0.45", "model": "ZEPH-2208", "name": "Balcony", "deviceId": 41,
    "mac": "00:1D:C1:40:00:45" }
] })";

// The transfers a scene started; they run on after the picture and are waited for before the
// next scene starts its own, and at the end of the renderer.
struct Running
{
    QovCgiApiZeph2208 api;
    std::vector<std::future<QovCgiApi::ConnectOutcome>> transfers;

    void finish()
    {
        for (auto &transfer : transfers) {
            transfer.wait();
        }
        transfers.clear();
    }
    ~Running() { finish(); }
};

Running &running()
{
    static Running all;
    return all;
}

MixerSimProcess *mixers()
{
    // Safety copies and autosave copies go into a throw-away profile.
    static TempProfile profile;
    static std::unique_ptr<MixerSimProcess> sim = std::make_unique<MixerSimProcess>(kMixers);
    if (!sim->problem().isEmpty()) {
        QTextStream(stderr) << "simulator: " << sim->problem() << "\n";
    }
    return sim.get();
}

QovOnlineDeviceModel mixerAt(int index)
{
    static const QStringList names = {
        QStringLiteral("FOH Main"),      QStringLiteral("Monitor Left"),
        QStringLiteral("Monitor Right"), QStringLiteral("Stage Box"),
        QStringLiteral("Lobby"),         QStringLiteral("Balcony")};
    QovDiscoveredDevice found;
    found.ipAddress = QStringLiteral("127.0.0.%1").arg(40 + index);
    found.friendlyName = names.at(index);
    found.modelName = index % 4 == 0 ? QStringLiteral("ZEPH-2208NET") : QStringLiteral("ZEPH-2208");
    found.udn = QStringLiteral("uuid:") + found.ipAddress;
    auto device = std::make_shared<QovOnlineDeviceModelInternal>(found);
    device->setDeviceName(names.at(index));
    device->setMacAddress(QStringLiteral("00:1D:C1:40:00:%1").arg(40 + index));
    return device;
}

QWidget *framedWindow(QovProjectDataModel *project)
{
    auto *frame = new QWidget();
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *window = new QovMainWindow(frame);
    layout->addWidget(window);
    window->setProjectData(project);
    frame->setWindowTitle(window->windowTitle());
    frame->resize(1280, 800);
    return frame;
}

QovProjectDataModel *projectOf(int count)
{
    auto *project = new QovProjectDataModel();
    project->setProjectName(QStringLiteral("Grand Hall"));
    for (int i = 0; i < count; ++i) {
        auto device = std::make_shared<QovAppDeviceModelInternal>(mixerAt(i));
        device->setStatus(QovAppDeviceModelInternal::MISSING);
        project->addDevice(device);
    }
    project->setIsEdited(false);
    return project;
}

// Starts the transfers with every reply held back a little, shows the overlay and waits until
// `files` files of the batch are done.
void catchHalfWay(QWidget *frame, bool upload, int count, int files)
{
    // The simulator first: made before the transfers' holder, it outlives the transfers at exit.
    MixerSimProcess *sim = mixers();
    running().finish();
    auto *window = frame->findChild<QovMainWindow *>();
    QVector<QovAppDeviceModel> devices;
    for (int i = 0; i < count; ++i) {
        devices.append(window ? window->projectData()->appDevices().at(i)
                              : std::make_shared<QovAppDeviceModelInternal>(mixerAt(i)));
    }
    for (int i = 0; i < count; ++i) {
        const QovOnlineDeviceModel mixer = mixerAt(i);
        sim->setFaults(mixer->ipAddress(), R"({"delayMs":40})");
        running().transfers.push_back(
            running().api.connectDeviceWithOutcome(upload, devices.at(i), mixer));
    }
    if (auto *dialog = qobject_cast<QovAbstractDialog *>(frame)) {
        dialog->setBusy(true);
    } else {
        frame->findChild<QovProgressView *>()->show();
    }
    QovTransferProgress *progress = QovTransferProgress::instance();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30000) {
        const QovTransferProgress::Snapshot now = progress->snapshot();
        const bool writing =
            !now.isEmpty() && (!upload || now.transfers.last().kind == QovTransferProgress::Upload);
        if (writing && now.filesDone() >= files) {
            break;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

void openingGrandHall(QWidget *frame)
{
    auto *overlay = frame->findChild<QovProgressView *>();
    overlay->show();
    overlay->setActivity(QStringLiteral("Opening grand-hall.vlmproj"),
                         QStringLiteral("/home/kim/shows/grand-hall.vlmproj\n"
                                        "Reading the project file, then reconnecting its mixers."));
}

} // namespace

std::vector<ScreenshotScene> progressScenes()
{
    return {
        {QStringLiteral("progress-one-mixer"), [] { return framedWindow(projectOf(1)); },
         [](QWidget *frame) { catchHalfWay(frame, true, 1, 19); }, 0, 0},
        {QStringLiteral("progress-many-mixers"), [] { return framedWindow(projectOf(6)); },
         [](QWidget *frame) { catchHalfWay(frame, false, 6, 130); }, 0, 0},
        {QStringLiteral("progress-opening-project"), [] { return framedWindow(projectOf(0)); },
         [](QWidget *frame) { openingGrandHall(frame); }, 0, 0},
        // The mixers it reconnects, under its name.
        {QStringLiteral("progress-opening-reconnecting"), [] { return framedWindow(projectOf(3)); },
         [](QWidget *frame) {
             openingGrandHall(frame);
             catchHalfWay(frame, false, 3, 60);
         },
         0, 0},
        // A dialog's overlay is much smaller than the window's.
        {QStringLiteral("progress-small-dialog"),
         [] { return new QovAddOnlineDeviceDialog(QovAddOnlineDeviceDialog::CONNECT, {}); },
         [](QWidget *dialog) { catchHalfWay(dialog, false, 5, 60); }, 0, 0},
    };
}
