// The main window's connection flows end to end: real windows under Xvfb, real discovery and
// real transfers against simulated mixers in the private network.
#include "app/qovmainwindow.h"
#include "dialogs/qovaddonlinedevicedialog.h"
#include "dialogs/qovconnectdevicedialog.h"
#include "dialogs/qovconnectdevicedialoglistitem.h"
#include "dialogs/qovdevicesettingdialog.h"
#include "dialogs/qovreconnectdevicedialog.h"
#include "discovery/qovonlinedevicefinder.h"
#include "logcollector.h"
#include "mixerchecks.h"
#include "mixersimprocess.h"
#include "modalanswerer.h"
#include "models/qovautosaver.h"
#include "models/qovprojectsnapshot.h"
#include "models/qovsafetycopies.h"
#include "models/qovtextfile.h"
#include "privatenetwork.h"
#include "projectfilepeek.h"
#include "readonlyfolder.h"
#include "tempprofile.h"
#include "views/qovprogressview.h"
#include "webpage/qovzephsettingview.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// A ZEPH-2208NET primary with two extension units (named in reverse unit order), two plain
// ZEPH-2208 mixers.
const QByteArray kConfig = R"({ "mixers": [
  { "address": "127.0.0.2", "model": "ZEPH-2208", "name": "Monitor", "deviceId": 4,
    "serial": 5002 },
  { "address": "127.0.0.3", "model": "ZEPH-2208NET", "name": "Ext Two", "deviceId": 3,
    "serial": 5003, "link": "extension" },
  { "address": "127.0.0.4", "model": "ZEPH-2208NET", "name": "FOH Main", "deviceId": 1,
    "serial": 5004, "link": "primary",
    "linkedUnits": [ { "serial": 5003, "unitno": 2 }, { "serial": 5005, "unitno": 1 } ] },
  { "address": "127.0.0.5", "model": "ZEPH-2208NET", "name": "Ext One", "deviceId": 2,
    "serial": 5005, "link": "extension" },
  { "address": "127.0.0.6", "model": "ZEPH-2208", "name": "Stage", "deviceId": 5,
    "serial": 5006 }
] })";

QovAppDeviceModel unboundDevice(const QString &name, QovDeviceSelector::DeviceType type)
{
    return std::make_shared<QovAppDeviceModelInternal>(name, type, QString(), 0, 9);
}

// The data of the one device of a safety copy file.
QStringList copiedData(const QString &path)
{
    auto [project, error] = parseProject(loadTextFile(path));
    std::unique_ptr<QovProjectDataModel> owner(project);
    if (!project || project->appDevices().size() != 1) {
        return {QStringLiteral("not a safety copy: ") + error};
    }
    return deviceData(project->appDevices().first());
}

void click(QWidget *root, const QString &buttonText)
{
    QWidget *button = ModalAnswerer::findButton(root, buttonText);
    QVERIFY2(button, qPrintable(buttonText));
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestConnectionFlows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A project write still running when the test log closes would log into it and can hang
    // the test's exit.
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void initTestCase();
    void init();
    void cleanup();

    void newProjectFromOnlineMixers();
    void failingMixersAreReportedAndLeftOut();
    void deviceLimitKeepsTheProject();
    void connectInBothDirections();
    void failedConnectionLeavesTheEntry_data();
    void failedConnectionLeavesTheEntry();
    void refusalsWithoutDialogs();
    void missingThenReconnect();
    void disconnectThenConnectAgain();
    void deviceSettingThroughTheWindow();
    void openingReconnectsByMode_data();
    void openingReconnectsByMode();
    void uploadKeepsASafetyCopyFirst();
    void failedSafetyCopyStopsTheUpload_data();
    void failedSafetyCopyStopsTheUpload();
    void openingWithoutSafetyCopyWritesNothing_data();
    void openingWithoutSafetyCopyWritesNothing();
    void partialSafetyCopyOnlyWhenTheUserSaysSo();
    void connectOffersNoMixerAnotherEntryHolds();
    void openingTwoEntriesOnOneMixerConnectsTheFirst();
    void closingWhileBusyWaitsForTheTransfer();

private:
    // Answers "Connect Online Device" by ticking the named mixers (all when empty) and
    // pressing Connect; the rows it saw go to `shown`.
    void answerConnectOnline(ModalAnswerer &answerer, const QStringList &names,
                             QList<QovOnlineDeviceModel> *shown = nullptr);
    // Answers the connect dialog with the named mixer and direction.
    void answerConnect(ModalAnswerer &answerer, const QString &mixer, bool upload);
    void answerReconnect(ModalAnswerer &answerer, bool upload);
    // A project of the given devices, shown in the window and not edited.
    void showProject(const QVector<QovAppDeviceModel> &devices);
    QString addressOf(const QString &mixerName) const;
    bool isListed(const QString &address) const;
    void writeSettings(const QByteArray &extra = {});
    // The overlay's transfer line and bar.
    QString overlayTitle() const;
    QProgressBar *overlayBar() const;
    QString macOf(const QString &mixerName) const;

    std::unique_ptr<TempProfile> m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
    std::unique_ptr<QovMainWindow> m_window;
    QovOnlineDeviceFinder *m_finder = nullptr;
};

void TestConnectionFlows::writeSettings(const QByteArray &extra)
{
    m_profile->writeProgramSettings("[Debug]\nhttp_timeout_ms=2000\nkeepalive_interval=1\n" +
                                    extra);
}

QString TestConnectionFlows::overlayTitle() const
{
    auto *box = m_window->findChild<QWidget *>(QStringLiteral("progress-transfer"));
    auto *title = m_window->findChild<QLabel *>(QStringLiteral("progress-title"));
    return box && title && box->isVisible() ? title->text() : QString();
}

QProgressBar *TestConnectionFlows::overlayBar() const
{
    return m_window->findChild<QProgressBar *>(QStringLiteral("progress-bar"));
}

QString TestConnectionFlows::macOf(const QString &mixerName) const
{
    for (const auto &device : m_finder->getAll()) {
        if (device->ipAddress() == addressOf(mixerName)) {
            return device->macAddress();
        }
    }
    return QString();
}

void TestConnectionFlows::initTestCase()
{
    velmora::test::requirePrivateNetwork();
    LogCollector::install();
    m_profile = std::make_unique<TempProfile>();
    writeSettings();
    m_sim = std::make_unique<MixerSimProcess>(kConfig);
    QVERIFY2(m_sim->problem().isEmpty(), qPrintable(m_sim->problem()));
    m_finder = QovOnlineDeviceFinder::instance();
    m_finder->start();
    QTRY_COMPARE_WITH_TIMEOUT(m_finder->getAll().size(), 5, 20000);
}

void TestConnectionFlows::init()
{
    writeSettings();
    m_window = std::make_unique<QovMainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestConnectionFlows::cleanup()
{
    // Leaves no edited project behind to ask about, and every mixer healthy and listed.
    m_window->projectData()->setIsEdited(false);
    m_window->hide();
    m_window.reset();
    for (const char *address : {"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5", "127.0.0.6"}) {
        m_sim->startMixer(address);
        m_sim->reset(address);
    }
    // Uploads rename the finder's models; find every mixer anew under its own name.
    m_finder->refresh();
    QTRY_COMPARE_WITH_TIMEOUT(m_finder->getAll().size(), 5, 70000);
}

QString TestConnectionFlows::addressOf(const QString &mixerName) const
{
    // As configured: an upload renames the finder's model of a mixer until it is found anew.
    static const QMap<QString, QString> addresses = {{"Monitor", "127.0.0.2"},
                                                     {"Ext Two", "127.0.0.3"},
                                                     {"FOH Main", "127.0.0.4"},
                                                     {"Ext One", "127.0.0.5"},
                                                     {"Stage", "127.0.0.6"}};
    return addresses.value(mixerName);
}

bool TestConnectionFlows::isListed(const QString &address) const
{
    const auto all = m_finder->getAll();
    return std::any_of(all.cbegin(), all.cend(),
                       [&](const QovOnlineDeviceModel &d) { return d->ipAddress() == address; });
}

void TestConnectionFlows::showProject(const QVector<QovAppDeviceModel> &devices)
{
    auto *project = new QovProjectDataModel();
    for (const auto &device : devices) {
        project->addDevice(device);
    }
    project->setIsEdited(false);
    m_window->setProjectData(project);
}

void TestConnectionFlows::answerConnectOnline(ModalAnswerer &answerer, const QStringList &names,
                                              QList<QovOnlineDeviceModel> *shown)
{
    answerer.handle([names, shown](QWidget *modal) {
        auto *dialog = qobject_cast<QovAddOnlineDeviceDialog *>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        if (names.isEmpty()) {
            QTest::mouseClick(dialog->findChild<QCheckBox *>(), Qt::LeftButton);
        }
        for (const auto &device : dialog->shownDevices()) {
            if (names.contains(device->deviceName())) {
                device->setSelected(true);
            }
        }
        if (shown) {
            *shown = dialog->shownDevices();
        }
        click(dialog, QStringLiteral("Connect"));
    });
}

void TestConnectionFlows::answerConnect(ModalAnswerer &answerer, const QString &mixer, bool upload)
{
    answerer.handle([mixer, upload](QWidget *modal) {
        auto *dialog = qobject_cast<QovConnectDeviceDialog *>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        for (auto *row : dialog->findChildren<QovConnectDeviceDialogListItem *>()) {
            if (row->isVisible() && row->device()->deviceName() == mixer) {
                QTest::mouseClick(row->radioButton(), Qt::LeftButton, {}, QPoint(4, 4));
            }
        }
        QTest::mouseClick(upload ? dialog->directionSelector()->appToDeviceButton()
                                 : dialog->directionSelector()->deviceToAppButton(),
                          Qt::LeftButton);
        click(dialog, QStringLiteral("OK"));
    });
}

void TestConnectionFlows::answerReconnect(ModalAnswerer &answerer, bool upload)
{
    answerer.handle([upload](QWidget *modal) {
        auto *dialog = qobject_cast<QovReconnectDeviceDialog *>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        QTest::mouseClick(upload ? dialog->directionSelector()->appToDeviceButton()
                                 : dialog->directionSelector()->deviceToAppButton(),
                          Qt::LeftButton);
        click(dialog, QStringLiteral("OK"));
    });
}

void TestConnectionFlows::newProjectFromOnlineMixers()
{
    QovProjectDataModel *before = m_window->projectData();
    ModalAnswerer answerer;
    QList<QovOnlineDeviceModel> shown;
    answerConnectOnline(answerer, {}, &shown);
    QVERIFY(m_window->connectDevices());
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seen().value(0).title, QStringLiteral("Connect Online Device"));

    // Extension units right below their primary, by unit number.
    const QStringList shownNames = namesOf(shown);
    const int primary = shownNames.indexOf(QStringLiteral("FOH Main"));
    QCOMPARE(shownNames.mid(primary, 3), (QStringList{"FOH Main", "Ext One", "Ext Two"}));

    QTRY_VERIFY_WITH_TIMEOUT(m_window->projectData() != before, 20000);
    QVERIFY(!m_window->isBusy());
    const QVector<QovAppDeviceModel> devices = m_window->projectData()->appDevices();
    QCOMPARE(namesOf(devices), shownNames);
    for (const auto &device : devices) {
        QCOMPARE(device->status(), QovAppDeviceModelInternal::CONNECTED);
        QCOMPARE(deviceData(device), mixerData(*m_sim, device->ipAddress()));
    }
    QCOMPARE(m_window->devicePages().size(), 5);
}

void TestConnectionFlows::failingMixersAreReportedAndLeftOut()
{
    QVERIFY(m_sim->setFaults(addressOf("Stage"), R"({"failDownload": {"target": 6, "bank": 17}})"));
    QVERIFY(m_sim->setFaults(addressOf("Ext One"), R"({"rcode": 7})"));
    ModalAnswerer answerer;
    QList<QovOnlineDeviceModel> shown;
    answerConnectOnline(answerer, {}, &shown);
    answerer.pressButton(QStringLiteral("OK"));
    answerer.pressButton(QStringLiteral("OK"));
    QovProjectDataModel *before = m_window->projectData();
    QVERIFY(m_window->connectDevices());
    QVERIFY2(answerer.waitDone(30000), qPrintable(answerer.lastError()));

    // One popup per failed mixer, in the dialog's order.
    QStringList expected;
    for (const QString &name : namesOf(shown)) {
        if (name == QStringLiteral("Stage") || name == QStringLiteral("Ext One")) {
            expected << "Error: One or more devices are unable to connect with Velmora.\n\n" +
                            name + "\n";
        }
    }
    QCOMPARE(answerer.seenLines().mid(1), expected);
    QTRY_VERIFY(m_window->projectData() != before);
    QStringList kept = namesOf(shown);
    kept.removeAll(QStringLiteral("Stage"));
    kept.removeAll(QStringLiteral("Ext One"));
    QCOMPARE(namesOf(m_window->projectData()->appDevices()), kept);
    QVERIFY(!m_window->isBusy());
}

void TestConnectionFlows::deviceLimitKeepsTheProject()
{
    writeSettings("max_of_project_devices=2\n");
    showProject({unboundDevice(QStringLiteral("Kept"), QovDeviceSelector::ZEPH2208)});
    QovProjectDataModel *before = m_window->projectData();

    ModalAnswerer answerer;
    answerConnectOnline(answerer, {"Monitor", "Stage", "FOH Main"});
    answerer.pressButton(QStringLiteral("OK"));
    QVERIFY(m_window->connectDevices());
    QVERIFY2(answerer.waitDone(20000), qPrintable(answerer.lastError()));
    QCOMPARE(
        answerer.seenLines().mid(1),
        QStringList{"Caution: This exceeds the maximum number of devices that can be added\n"});
    QTRY_VERIFY(!m_window->isBusy());
    QCOMPARE(m_window->projectData(), before);
    QCOMPARE(namesOf(before->appDevices()), QStringList{"Kept"});

    // The next run starts normally and builds the project.
    answerConnectOnline(answerer, {"Monitor", "Stage"});
    QVERIFY(m_window->connectDevices());
    QVERIFY2(answerer.waitDone(20000), qPrintable(answerer.lastError()));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->projectData() != before, 20000);
    QCOMPARE(m_window->projectData()->appDevices().size(), 2);
}

void TestConnectionFlows::connectInBothDirections()
{
    const QovAppDeviceModel entry =
        unboundDevice(QStringLiteral("Entry"), QovDeviceSelector::ZEPH2208);
    showProject({entry});
    QVERIFY(!m_window->windowTitle().endsWith(QStringLiteral(" *")));
    const QString address = addressOf("Monitor");

    ModalAnswerer answerer;
    answerConnect(answerer, QStringLiteral("Monitor"), false);
    QVERIFY(m_window->connectDevice(entry));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 20000);
    QTRY_VERIFY(!m_window->isBusy());
    QVERIFY(LogCollector::contains(QStringLiteral("connected!")));
    QCOMPARE(entry->ipAddress(), address);
    QCOMPARE(deviceData(entry), mixerData(*m_sim, address));
    QTRY_VERIFY(m_window->windowTitle().endsWith(QStringLiteral(" *")));

    // Changed data goes to the mixer in every data set.
    QStringList presets = entry->zephDataPreset();
    presets[3] = QStringLiteral("{\"name\":\"changed preset\"}");
    entry->setZephDataPreset(presets);
    QStringList partial = entry->zephDataPartialPreset();
    partial[39] = QStringLiteral("{\"name\":\"changed partial\"}");
    entry->setZephDataPartialPreset(partial);
    entry->setZephData4BandEq(QStringLiteral("{\"eq\":[1,2,3,4]}"));
    QVERIFY(m_window->disconnectDevice(entry));
    QTRY_COMPARE(entry->status(), QovAppDeviceModelInternal::DISCONNECTED);
    answerConnect(answerer, QStringLiteral("Stage"), true);
    QVERIFY(m_window->connectDevice(entry));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 20000);
    QTRY_VERIFY(!m_window->isBusy());
    QCOMPARE(entry->ipAddress(), addressOf("Stage"));
    QCOMPARE(mixerData(*m_sim, addressOf("Stage")), deviceData(entry));
}

void TestConnectionFlows::failedConnectionLeavesTheEntry_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<bool>("partlyWritten");
    // The first chunk of all refused: the mixer took nothing.
    QTest::newRow("nothing written") << 2 << false;
    // The last data set refused: all before it is in the mixer.
    QTest::newRow("partly written") << 7 << true;
}

void TestConnectionFlows::failedConnectionLeavesTheEntry()
{
    QFETCH(int, target);
    QFETCH(bool, partlyWritten);
    const QovAppDeviceModel entry =
        unboundDevice(QStringLiteral("Entry"), QovDeviceSelector::ZEPH2208);
    const QStringList dataBefore = deviceData(entry);
    showProject({entry});
    const QString address = addressOf("Monitor");
    QVERIFY(m_sim->setFaults(
        address,
        QStringLiteral(R"({"failUpload": {"target": %1, "bank": 0}})").arg(target).toUtf8()));
    const QStringList copiesBefore = QovSafetyCopies().copies(macOf("Monitor"));

    ModalAnswerer answerer;
    answerConnect(answerer, QStringLiteral("Monitor"), true);
    bool offersFolder = false;
    answerer.handle([&offersFolder](QWidget *modal) {
        offersFolder = ModalAnswerer::findButton(modal, QStringLiteral("Open Folder")) != nullptr;
        QTest::mouseClick(ModalAnswerer::findButton(modal, QStringLiteral("OK")), Qt::LeftButton);
    });
    QVERIFY(m_window->connectDevice(entry));
    QVERIFY2(answerer.waitDone(20000), qPrintable(answerer.lastError()));
    QCOMPARE(offersFolder, partlyWritten);
    const QStringList copies = QovSafetyCopies().copies(macOf("Monitor"));
    QCOMPARE(copies.size(), copiesBefore.size() + 1);
    if (partlyWritten) {
        // The user learns what the mixer holds now, and where what it held before is.
        QCOMPARE(answerer.seenLines().mid(1),
                 QStringList{"Error: The transfer to the mixer Monitor (" + address +
                             ") failed part-way. The mixer now holds partly written data.\n\n"
                             "What it held before is in its safety copy " +
                             QFileInfo(copies.last()).fileName() + ", in the folder:\n" +
                             QDir::toNativeSeparators(QFileInfo(copies.last()).absolutePath()) +
                             "\n"});
    } else {
        QCOMPARE(answerer.seenLines().mid(1),
                 QStringList{"Error: One or more devices are unable to connect with Velmora.\n" +
                             address + "\n\nMonitor\nv\nEntry\n(App->Device)\n"});
    }
    QTRY_VERIFY(!m_window->isBusy());
    QCOMPARE(entry->status(), QovAppDeviceModelInternal::DISCONNECTED);
    QCOMPARE(deviceData(entry), dataBefore);
    QVERIFY(entry->ipAddress().isEmpty());
}

void TestConnectionFlows::refusalsWithoutDialogs()
{
    const QovAppDeviceModel unbound =
        unboundDevice(QStringLiteral("Loose"), QovDeviceSelector::ZEPH2208);
    showProject({unbound});
    ModalAnswerer answerer;

    // Reconnect and disconnect refuse a device without a partner, without any dialog.
    QVERIFY(!m_window->reconnectDevice(unbound));
    QVERIFY(LogCollector::contains(
        "Reconnect QovAppDeviceModel{'Loose'[9]} : Device is not Missing (or Connected)."));
    QVERIFY(!m_window->disconnectDevice(unbound));
    QVERIFY(LogCollector::contains(
        "Disconnect QovAppDeviceModel{'Loose'[9]} : Device is not Connected (or Missing)."));
    QVERIFY(!m_window->isBusy());

    // A cancelled dialog and one without a choice start nothing.
    answerer.pressButton(QStringLiteral("Cancel"));
    QVERIFY(!m_window->connectDevice(unbound));
    QVERIFY(LogCollector::contains("Connect QovAppDeviceModel{'Loose'[9]} : canceled"));
    answerer.pressButton(QStringLiteral("OK"));
    QVERIFY(!m_window->connectDevice(unbound));
    QVERIFY(LogCollector::contains("Connect QovAppDeviceModel{'Loose'[9]} : target not selected"));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QVERIFY(!m_window->isBusy());

    unbound->setStatus(QovAppDeviceModelInternal::CONNECTED);
    QVERIFY(!m_window->connectDevice(unbound));
    QVERIFY(LogCollector::contains(
        "Connect QovAppDeviceModel{'Loose'[9]} : Device is not Disconnected."));
    QVERIFY(!m_window->isBusy());
    QCOMPARE(answerer.seen().size(), 2);
}

void TestConnectionFlows::missingThenReconnect()
{
    const QovAppDeviceModel entry =
        unboundDevice(QStringLiteral("Entry"), QovDeviceSelector::ZEPH2208NET);
    showProject({entry});
    const QString address = addressOf("FOH Main");
    ModalAnswerer answerer;
    answerConnect(answerer, QStringLiteral("FOH Main"), false);
    QVERIFY(m_window->connectDevice(entry));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 20000);

    // A mixer that stops answering is noticed by the keep-alive passes.
    QVERIFY(m_sim->setFaults(address, R"({"silent": true})"));
    QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::MISSING, 20000);
    QVERIFY(m_sim->setFaults(address, "{}"));

    const QovSafetyCopies copies;
    for (const bool upload : {false, true}) {
        const QStringList copiesBefore = copies.copies(entry->macAddress());
        const QStringList mixerBefore = mixerData(*m_sim, address);
        if (upload) {
            entry->setZephDataCurrent(QStringLiteral("{\"reconnected\":true}"));
        }
        answerReconnect(answerer, upload);
        QVERIFY(m_window->reconnectDevice(entry));
        QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
        QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 20000);
        QTRY_VERIFY(!m_window->isBusy());
        QCOMPARE(mixerData(*m_sim, address), deviceData(entry));
        // Only the upload overwrote the mixer, and only after keeping what it held.
        const QStringList copiesAfter = copies.copies(entry->macAddress());
        QCOMPARE(copiesAfter.size(), copiesBefore.size() + (upload ? 1 : 0));
        if (upload) {
            QCOMPARE(copiedData(copiesAfter.last()), mixerBefore);
        }
    }
    QVERIFY(LogCollector::contains(QStringLiteral("reconnected!")));

    // Its partner gone from the network.
    QVERIFY(m_sim->stopMixer(address));
    QTRY_VERIFY_WITH_TIMEOUT(!isListed(address), 20000);
    answerReconnect(answerer, false);
    answerer.pressButton(QStringLiteral("OK"));
    QVERIFY(!m_window->reconnectDevice(entry));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seenLines().last(),
             "Error: One or more devices are unable to connect with Velmora.\n\nFOH Main\n");
    QVERIFY(LogCollector::contains(
        "Reconnect QovAppDeviceModel{'FOH Main'[1]} : target device not found"));
    QVERIFY(!m_window->isBusy());
}

void TestConnectionFlows::disconnectThenConnectAgain()
{
    const QovAppDeviceModel entry =
        unboundDevice(QStringLiteral("Entry"), QovDeviceSelector::ZEPH2208);
    showProject({entry});
    ModalAnswerer answerer;
    answerConnect(answerer, QStringLiteral("Stage"), false);
    QVERIFY(m_window->connectDevice(entry));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 20000);

    QVERIFY(m_window->disconnectDevice(entry));
    QTRY_COMPARE(entry->status(), QovAppDeviceModelInternal::DISCONNECTED);
    QVERIFY(entry->macAddress().isEmpty());
    answerConnect(answerer, QStringLiteral("Monitor"), false);
    QVERIFY(m_window->connectDevice(entry));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 20000);
    QCOMPARE(entry->deviceName(), QStringLiteral("Monitor"));
    QCOMPARE(deviceData(entry), mixerData(*m_sim, addressOf("Monitor")));
}

void TestConnectionFlows::deviceSettingThroughTheWindow()
{
    const QovAppDeviceModel first =
        unboundDevice(QStringLiteral("First"), QovDeviceSelector::ZEPH2208);
    const QovAppDeviceModel second =
        unboundDevice(QStringLiteral("Second"), QovDeviceSelector::ZEPH2208);
    showProject({first, second});
    QovProjectDataModel *project = m_window->projectData();
    const auto editFirstName = [](QWidget *modal) {
        auto *dialog = qobject_cast<QovDeviceSettingDialog *>(modal);
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("dialog-device-list"));
        list->itemWidget(list->item(0))
            ->findChild<QLineEdit *>()
            ->setText(QStringLiteral("Edited"));
        return dialog;
    };

    // Cancel after an edit: the project is as it was.
    ModalAnswerer answerer;
    answerer.handle([&](QWidget *modal) { click(editFirstName(modal), QStringLiteral("Cancel")); });
    QVERIFY(!m_window->deviceSetting());
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(namesOf(project->appDevices()), (QStringList{"First", "Second"}));
    QVERIFY(!project->isEdited());
    QVERIFY(!m_window->isBusy());

    // The same edit and a drag, confirmed: the pages follow the new order.
    answerer.handle([&](QWidget *modal) {
        QovDeviceSettingDialog *dialog = editFirstName(modal);
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("dialog-device-list"));
        list->model()->moveRow(QModelIndex(), 0, QModelIndex(), 2);
        QTest::qWait(50);
        click(dialog, QStringLiteral("OK"));
    });
    QVERIFY(m_window->deviceSetting());
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QTRY_VERIFY(!m_window->isBusy());
    QCOMPARE(m_window->projectData(), project);
    QCOMPARE(namesOf(project->appDevices()), (QStringList{"Second", "Edited"}));
    QCOMPARE(m_window->devicePages().size(), 2);
    QCOMPARE(m_window->devicePages().at(0)->device(), second);
    QVERIFY(m_window->windowTitle().endsWith(QStringLiteral(" *")));
}

void TestConnectionFlows::openingReconnectsByMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("none") << 0;
    QTest::newRow("app to device") << 1;
    QTest::newRow("device to app") << 2;
}

void TestConnectionFlows::openingReconnectsByMode()
{
    QFETCH(int, mode);
    // Monitor and Stage are online; "Gone" has a MAC no mixer reports; "Fresh" has none.
    const auto online = m_finder->getAll();
    const auto bound = [&](const QString &name) {
        for (const auto &device : online) {
            if (device->deviceName() == name) {
                auto entry = std::make_shared<QovAppDeviceModelInternal>(device);
                entry->setZephDataCurrent(QStringLiteral("{\"project\":\"%1\"}").arg(name));
                return entry;
            }
        }
        return QovAppDeviceModel();
    };
    QovProjectDataModel project;
    project.addDevice(bound(QStringLiteral("Monitor")));
    project.addDevice(bound(QStringLiteral("Stage")));
    auto gone = std::make_shared<QovAppDeviceModelInternal>(
        QStringLiteral("Gone"), QovDeviceSelector::ZEPH2208, QStringLiteral("00:1D:C1:99:99:99"), 0,
        7);
    project.addDevice(gone);
    project.addDevice(unboundDevice(QStringLiteral("Fresh"), QovDeviceSelector::ZEPH2208));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("saved.vlmproj"));
    QVERIFY(project.saveTo(path));
    writeSettings();
    QSettings(m_profile->programSettingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("Config/auto_reconnect"), mode);
    const QStringList monitorBefore = mixerData(*m_sim, addressOf("Monitor"));

    QovProjectDataModel *before = m_window->projectData();
    QVERIFY(m_window->openProjectFile(path));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->projectData() != before, 20000);
    QTRY_VERIFY(!m_window->isBusy());
    const QVector<QovAppDeviceModel> opened = m_window->projectData()->appDevices();
    QCOMPARE(namesOf(opened).mid(2), (QStringList{"Gone", "Fresh"}));
    QCOMPARE(opened.at(2)->status(), QovAppDeviceModelInternal::MISSING);
    QCOMPARE(opened.at(3)->status(), QovAppDeviceModelInternal::DISCONNECTED);
    const QString monitor = addressOf("Monitor");
    switch (mode) {
    case 0:
        QCOMPARE(opened.at(0)->status(), QovAppDeviceModelInternal::MISSING);
        QCOMPARE(opened.at(1)->status(), QovAppDeviceModelInternal::MISSING);
        QCOMPARE(mixerData(*m_sim, monitor), monitorBefore);
        break;
    case 1: {
        QCOMPARE(opened.at(0)->status(), QovAppDeviceModelInternal::CONNECTED);
        QCOMPARE(opened.at(1)->status(), QovAppDeviceModelInternal::CONNECTED);
        QCOMPARE(m_sim->dataSet(monitor, 7, 0), QByteArray("{\"project\":\"Monitor\"}"));
        QCOMPARE(mixerData(*m_sim, monitor), deviceData(opened.at(0)));
        // What the mixer held before is kept.
        const QStringList kept = QovSafetyCopies().copies(opened.at(0)->macAddress());
        QVERIFY(!kept.isEmpty());
        QCOMPARE(copiedData(kept.last()), monitorBefore);
        break;
    }
    default:
        QCOMPARE(opened.at(0)->status(), QovAppDeviceModelInternal::CONNECTED);
        QCOMPARE(opened.at(1)->status(), QovAppDeviceModelInternal::CONNECTED);
        QCOMPARE(deviceData(opened.at(0)), monitorBefore);
        break;
    }
    // Reconnection is part of opening; the project starts unedited.
    QVERIFY(!m_window->projectData()->isEdited());
    QVERIFY(!m_window->windowTitle().endsWith(QStringLiteral(" *")));
}

void TestConnectionFlows::uploadKeepsASafetyCopyFirst()
{
    const QovAppDeviceModel entry =
        unboundDevice(QStringLiteral("Entry"), QovDeviceSelector::ZEPH2208);
    showProject({entry});
    const QString address = addressOf("Monitor");
    QVERIFY(m_sim->setDataSet(address, 6, 17, R"({"name":"only on the mixer"})"));
    const QStringList before = mixerData(*m_sim, address);
    const QovSafetyCopies copies;
    const QStringList earlier = copies.copies(macOf("Monitor"));
    // Slow replies, so that the overlay can be watched; the first upload request hangs a while.
    QVERIFY(m_sim->setFaults(address, R"({"delayMs":15,"requests":[{"endpoint":"beginupload.cgi",
        "nth":1,"fault":"trickle","bytesPerSecond":60}]})"));
    QVERIFY(m_sim->clearRequests(address));

    ModalAnswerer answerer;
    answerConnect(answerer, QStringLiteral("Monitor"), true);
    QVERIFY(m_window->connectDevice(entry));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    // First the mixer is read for its copy, shown on the overlay file by file.
    QTRY_COMPARE_WITH_TIMEOUT(overlayTitle(), QStringLiteral("Keeping a safety copy of Monitor"),
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(overlayBar()->value() > 0, 10000);
    QCOMPARE(overlayBar()->maximum(), 51);
    QVERIFY(m_window->isBusy());

    // When the first upload request reaches the mixer, the copy of its old data is on disk.
    QTRY_VERIFY_WITH_TIMEOUT(anyUpload(m_sim->requests(address)), 20000);
    const QStringList now = copies.copies(macOf("Monitor"));
    QCOMPARE(now.size(), earlier.size() + 1);
    QCOMPARE(copiedData(now.last()), before);
    QTRY_COMPARE(overlayTitle(), QStringLiteral("Writing Entry"));

    QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 30000);
    QTRY_VERIFY(!m_window->isBusy());
    QCOMPARE(mixerData(*m_sim, address), deviceData(entry));
    QCOMPARE(answerer.seen().size(), 1);
}

void TestConnectionFlows::failedSafetyCopyStopsTheUpload_data()
{
    QTest::addColumn<QByteArray>("faults");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("why");

    QTest::newRow("mixer cannot be read")
        << QByteArray(R"({"requests":[{"endpoint":"filedownload.cgi","nth":12,"fault":"reset"}]})")
        << false << "Its current data could not be read (failed to get partial preset).";
    QTest::newRow("backups folder read-only")
        << QByteArray("{}") << true << "The backup folder cannot be written (cannot";
}

void TestConnectionFlows::failedSafetyCopyStopsTheUpload()
{
    QFETCH(QByteArray, faults);
    QFETCH(bool, readOnly);
    QFETCH(QString, why);
    const QovAppDeviceModel entry =
        unboundDevice(QStringLiteral("Entry"), QovDeviceSelector::ZEPH2208);
    const QStringList entryBefore = deviceData(entry);
    showProject({entry});
    const QString address = addressOf("Stage");
    const QStringList before = mixerData(*m_sim, address);
    const QovSafetyCopies copies;
    if (readOnly) {
        VELMORA_READ_ONLY_OR_SKIP(copies.root());
    }
    QVERIFY(m_sim->setFaults(address, faults));
    QVERIFY(m_sim->clearRequests(address));

    ModalAnswerer answerer;
    answerConnect(answerer, QStringLiteral("Stage"), true);
    answerer.pressButton(QStringLiteral("OK"));
    QVERIFY(m_window->connectDevice(entry));
    const bool answered = answerer.waitDone(30000);
    if (readOnly) {
        velmora::test::makeFolderWritable(copies.root());
    }
    QVERIFY2(answered, qPrintable(answerer.lastError()));
    // One popup, on the GUI thread, that says the mixer kept its data and why.
    QCOMPARE(answerer.seen().size(), 2);
    const QString popup = answerer.seenLines().at(1);
    QVERIFY2(popup.startsWith("Error: The mixer Stage (" + address +
                              ") was not overwritten.\n\nNo safety copy of its current data "
                              "could be kept:\n" +
                              why),
             qPrintable(popup));
    QTRY_VERIFY(!m_window->isBusy());
    QVERIFY(LogCollector::contains("Connect QovAppDeviceModel{'Entry'[9]} : no safety copy"));

    const QStringList requests = m_sim->requests(address);
    QVERIFY(!requests.isEmpty());
    QVERIFY2(!anyUpload(requests), qPrintable(requests.join('\n')));
    QVERIFY(m_sim->setFaults(address, "{}"));
    QCOMPARE(mixerData(*m_sim, address), before);
    QCOMPARE(entry->status(), QovAppDeviceModelInternal::DISCONNECTED);
    QCOMPARE(deviceData(entry), entryBefore);
}

void TestConnectionFlows::openingWithoutSafetyCopyWritesNothing_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QByteArray>("faults");
    QTest::addColumn<QString>("why");
    QTest::newRow("backups folder read-only") << true << QByteArray("{}") << "The backup folder";
    // Nobody is there to allow a copy with gaps, so none is made.
    QTest::newRow("a set the mixer refuses")
        << false << QByteArray(R"({"failDownload": {"target": 6, "bank": 17}})")
        << "These data sets could not be read: Partial preset 18.";
}

void TestConnectionFlows::openingWithoutSafetyCopyWritesNothing()
{
    QFETCH(bool, readOnly);
    QFETCH(QByteArray, faults);
    QFETCH(QString, why);
    // A project bound to Monitor opens with "App to Device" while no copy can be written.
    const QovOnlineDeviceModel monitor = listed(QStringLiteral("Monitor"));
    QVERIFY(monitor);
    QovProjectDataModel project;
    auto entry = std::make_shared<QovAppDeviceModelInternal>(monitor);
    entry->setZephDataCurrent(QStringLiteral("{\"project\":\"would overwrite\"}"));
    project.addDevice(entry);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bound.vlmproj"));
    QVERIFY(project.saveTo(path));
    writeSettings();
    QSettings(m_profile->programSettingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("Config/auto_reconnect"), 1);
    const QString address = addressOf("Monitor");
    const QStringList before = mixerData(*m_sim, address);
    QVERIFY(m_sim->clearRequests(address));
    const QovSafetyCopies copies;
    const QStringList copiesBefore = copies.copies(monitor->macAddress());
    if (readOnly) {
        VELMORA_READ_ONLY_OR_SKIP(copies.root());
    }
    QVERIFY(m_sim->setFaults(address, faults));

    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    QovProjectDataModel *previous = m_window->projectData();
    QVERIFY(m_window->openProjectFile(path));
    const bool answered = answerer.waitDone(30000);
    if (readOnly) {
        velmora::test::makeFolderWritable(copies.root());
    }
    QVERIFY2(answered, qPrintable(answerer.lastError()));
    const QString popup = answerer.seenLines().value(0);
    QVERIFY2(popup.startsWith("Error: The mixer Monitor (" + address + ") was not overwritten.") &&
                 popup.contains(why),
             qPrintable(popup));
    QCOMPARE(copies.copies(monitor->macAddress()), copiesBefore);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->projectData() != previous, 20000);
    QTRY_VERIFY(!m_window->isBusy());
    QVERIFY(!anyUpload(m_sim->requests(address)));
    QVERIFY(m_sim->setFaults(address, "{}"));
    QCOMPARE(mixerData(*m_sim, address), before);
    QVERIFY(m_window->projectData()->appDevices().first()->status() !=
            QovAppDeviceModelInternal::CONNECTED);
}

// A mixer with an emptied partial preset and a preset bank it refuses: the window asks before a
// copy without them, Cancel leaves everything as it was, Overwrite keeps the rest and writes.
void TestConnectionFlows::partialSafetyCopyOnlyWhenTheUserSaysSo()
{
    const QovAppDeviceModel entry =
        unboundDevice(QStringLiteral("Entry"), QovDeviceSelector::ZEPH2208);
    entry->setZephDataCurrent(QStringLiteral("{\"from\":\"the project\"}"));
    showProject({entry});
    const QString address = addressOf("Stage");
    const QString mac = macOf("Stage");
    QVERIFY(m_sim->setDataSet(address, 6, 17, QByteArray()));
    QVERIFY(m_sim->setFaults(address, R"({"failDownload": {"target": 2, "bank": 3}})"));
    const QStringList mixerBefore = mixerData(*m_sim, address);
    const QovSafetyCopies copies;
    const QStringList copiesBefore = copies.copies(mac);

    ModalAnswerer answerer;
    answerConnect(answerer, QStringLiteral("Stage"), true);
    answerer.pressButton(QStringLiteral("Cancel"));
    QVERIFY(m_sim->clearRequests(address));
    QVERIFY(m_window->connectDevice(entry));
    QVERIFY2(answerer.waitDone(20000), qPrintable(answerer.lastError()));
    const QString question = answerer.seenLines().value(1);
    QVERIFY2(question.startsWith("Partial Safety Copy: The mixer Stage (" + address + ")") &&
                 question.contains("\nPreset 4, Partial preset 18\n"),
             qPrintable(question));
    QTRY_VERIFY(!m_window->isBusy());
    QVERIFY(!anyUpload(m_sim->requests(address)));
    QCOMPARE(mixerData(*m_sim, address), mixerBefore);
    QCOMPARE(copies.copies(mac), copiesBefore);
    QCOMPARE(entry->status(), QovAppDeviceModelInternal::DISCONNECTED);
    QVERIFY(LogCollector::contains(
        "Connect QovAppDeviceModel{'Entry'[9]} : no partial safety copy, the mixer was not "
        "written"));

    answerConnect(answerer, QStringLiteral("Stage"), true);
    answerer.pressButton(QStringLiteral("Overwrite"));
    QVERIFY(m_window->connectDevice(entry));
    QVERIFY2(answerer.waitDone(20000), qPrintable(answerer.lastError()));
    QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 20000);
    QTRY_VERIFY(!m_window->isBusy());
    QCOMPARE(answerer.seen().size(), 4);
    QCOMPARE(mixerData(*m_sim, address), deviceData(entry));
    const QStringList copiesAfter = copies.copies(mac);
    QCOMPARE(copiesAfter.size(), copiesBefore.size() + 1);
    const QJsonArray recorded =
        velmora::test::firstDeviceIn(copiesAfter.last()).value("unreadable").toArray();
    QCOMPARE(recorded, QovProjectSnapshot::unreadableJson({{2, 3}, {6, 17}}));
    QStringList expected = mixerBefore;
    expected[3] = "{}";
    expected[10 + 17] = "{}";
    QCOMPARE(copiedData(copiesAfter.last()), expected);
}

QTEST_MAIN(TestConnectionFlows)
#include "tst_connectionflows.moc"

void TestConnectionFlows::connectOffersNoMixerAnotherEntryHolds()
{
    const QovOnlineDeviceModel monitor = listed(QStringLiteral("Monitor"));
    QVERIFY(monitor);
    const auto holder = std::make_shared<QovAppDeviceModelInternal>(monitor);
    holder->setStatus(QovAppDeviceModelInternal::MISSING);
    const QovAppDeviceModel fresh =
        unboundDevice(QStringLiteral("Fresh"), QovDeviceSelector::ZEPH2208);
    showProject({holder, fresh});

    ModalAnswerer answerer;
    QStringList offered;
    answerer.handle([&offered](QWidget *modal) {
        if (auto *dialog = qobject_cast<QovConnectDeviceDialog *>(modal)) {
            offered = namesOf(dialog->shownDevices());
        }
        modal->close();
    });
    QVERIFY(!m_window->connectDevice(fresh));
    QVERIFY2(answerer.waitDone(10000), qPrintable(answerer.lastError()));
    // Stage is the other ZEPH-2208; Monitor belongs to the first entry, even while missing.
    QCOMPARE(offered, QStringList{QStringLiteral("Stage")});
}

void TestConnectionFlows::openingTwoEntriesOnOneMixerConnectsTheFirst()
{
    const QovOnlineDeviceModel monitor = listed(QStringLiteral("Monitor"));
    QVERIFY(monitor);
    QovProjectDataModel project;
    const QStringList names = {QStringLiteral("First"), QStringLiteral("Second")};
    for (const QString &name : names) {
        auto entry = std::make_shared<QovAppDeviceModelInternal>(monitor);
        entry->setDeviceName(name);
        entry->setZephDataCurrent(QStringLiteral("{\"project\":\"%1\"}").arg(name));
        project.addDevice(entry);
    }
    const QStringList firstData = deviceData(project.appDevices().first());
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("twice.vlmproj"));
    QVERIFY(project.saveTo(path));
    writeSettings();
    QSettings(m_profile->programSettingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("Config/auto_reconnect"), 1);
    const QString address = addressOf("Monitor");
    QVERIFY(m_sim->clearRequests(address));

    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    QovProjectDataModel *previous = m_window->projectData();
    QVERIFY(m_window->openProjectFile(path));
    QVERIFY2(answerer.waitDone(30000), qPrintable(answerer.lastError()));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->projectData() != previous, 20000);
    QTRY_VERIFY(!m_window->isBusy());

    const QString line = answerer.seenLines().value(0);
    QVERIFY2(line.startsWith(QStringLiteral("Caution: A mixer can belong to one device")),
             qPrintable(line));
    QVERIFY2(line.contains(QStringLiteral("Second was not connected")) &&
                 line.contains(QStringLiteral("belongs to First")),
             qPrintable(line));
    const QVector<QovAppDeviceModel> opened = m_window->projectData()->appDevices();
    QCOMPARE(opened.at(0)->status(), QovAppDeviceModelInternal::CONNECTED);
    QCOMPARE(opened.at(1)->status(), QovAppDeviceModelInternal::DISCONNECTED);
    QVERIFY(opened.at(1)->macAddress().isEmpty());
    // The mixer holds the first entry's data alone, written once.
    QCOMPARE(mixerData(*m_sim, address), firstData);
    const QStringList requests = m_sim->requests(address);
    const auto begun = std::count_if(requests.cbegin(), requests.cend(), [](const QString &r) {
        return r.contains(QStringLiteral("beginupload"));
    });
    QCOMPARE(int(begun), 51);
}

void TestConnectionFlows::closingWhileBusyWaitsForTheTransfer()
{
    const QovAppDeviceModel entry =
        unboundDevice(QStringLiteral("Entry"), QovDeviceSelector::ZEPH2208);
    showProject({entry});
    const QString address = addressOf("Monitor");
    const QPointer<QovMainWindow> watched(m_window.get());
    // About 50 requests of 60 ms each: seconds of transfer to close the window in.
    QVERIFY(m_sim->setFaults(address, R"({"delayMs": 60})"));
    ModalAnswerer answerer;
    answerConnect(answerer, QStringLiteral("Monitor"), false);
    QVERIFY(m_window->connectDevice(entry));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QVERIFY(m_window->isBusy());

    // Declined: the window and the transfer go on.
    answerer.pressButton(QStringLiteral("Cancel"));
    QVERIFY(!m_window->close());
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QVERIFY2(answerer.seenLines().last().startsWith(QStringLiteral("Exit: Velmora is busy")),
             qPrintable(answerer.seenLines().last()));
    QVERIFY(m_window->isVisible());

    // Accepted: the window stays, with its progress, until the transfer has ended; then the
    // edited project is asked about as at any exit, and the window closes.
    answerer.pressButton(QStringLiteral("OK"));
    QVERIFY(!m_window->close());
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QVERIFY(m_window->isVisible());
    QVERIFY(m_window->isBusy());
    QVERIFY(entry->status() != QovAppDeviceModelInternal::CONNECTED);
    answerer.pressButton(QStringLiteral("Don't Save"));
    QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 30000);
    QVERIFY2(answerer.waitDone(10000), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seenLines().last().left(8), QStringLiteral("Caution:"));
    // Closed, the window deletes itself; the next test gets a new one.
    QTRY_VERIFY(watched.isNull());
    m_window.release();
    m_window = std::make_unique<QovMainWindow>();
    QVERIFY(m_sim->setFaults(address, "{}"));
    QCOMPARE(deviceData(entry), mixerData(*m_sim, address));
}
