// Mixers that come back while their project is open: the real main window, keep-alive every
// second and real transfers against simulated mixers that lose power and get it back, in the
// private network.
#include "app/qovmainwindow.h"
#include "discovery/qovonlinedevicefinder.h"
#include "logcollector.h"
#include "mixerchecks.h"
#include "modalanswerer.h"
#include "models/qovautosaver.h"
#include "models/qovsafetycopies.h"
#include "readonlyfolder.h"
#include "simulatedmixers.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

const QByteArray kConfig = R"({ "mixers": [
  { "address": "127.0.0.2", "model": "ZEPH-2208", "name": "Alpha", "deviceId": 4,
    "serial": 6002 },
  { "address": "127.0.0.3", "model": "ZEPH-2208", "name": "Beta", "deviceId": 5,
    "serial": 6003 },
  { "address": "127.0.0.4", "model": "ZEPH-2208", "name": "Hotel", "deviceId": 6,
    "serial": 6004, "mac": "00:1D:C1:00:66:04", "ssdp": false }
] })";
const QString kAlpha = QStringLiteral("127.0.0.2");
const QString kBeta = QStringLiteral("127.0.0.3");
// Reachable only by its address: it answers no search.
const QString kHotel = QStringLiteral("127.0.0.4");
// Where Alpha goes when it moves.
const QString kAlphaMoved = QStringLiteral("127.0.0.9");
const QByteArray kProjectCurrent = "{\"project\":\"kept in the project\"}";
const QByteArray kMixerCurrent = "{\"mixer\":\"kept in the mixer\"}";

} // namespace

class TestAutoReconnect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void initTestCase();
    void init();
    void cleanup();

    void comesBackByMode_data();
    void comesBackByMode();
    void noOverwriteWithoutASafetyCopy();
    void userActionsAndAnAutomaticReconnectAtOnce();
    void projectClosedWhileAReconnectRuns();
    void editsWhileAReconnectReadsAreKept();
    void flappingMixerWaitsLongerEachTime();
    void reopenedProjectReconnectsByAddress();
    void restoredEditsAreNotReadOver();
    void mixersListedAllAlongStayAsTheyAre();
    void mixerThatFailedAtOpenIsTriedAgain();
    void connectedMixerThatMovesIsFollowed();

private:
    void writeSettings(int mode) const { m_profile->writeProgramSettings(settings(mode)); }
    static QByteArray settings(int mode);
    // A project whose one device is bound to Alpha and holds data Alpha does not.
    QovAppDeviceModel showAlphaProject();
    // Powers Alpha off until its device is MISSING, then on again.
    void powerCycleAlpha(const QovAppDeviceModel &device);
    // Alpha's project in auto-reconnect `mode`, Alpha slowed (its reconnect runs for seconds)
    // and power-cycled: its device once the automatic reconnect runs; null if it never did.
    QovAppDeviceModel reconnectingSlowAlpha(int mode);
    QovOnlineDeviceModel online(const QString &address) const;
    // A project of `entry` alone, saved as `name` in the profile; empty when it could not be.
    QString saveAlone(const QovAppDeviceModel &entry, const QString &name) const;
    // Opens `file` (with the edits kept aside in `kept`, when given) and waits until it is
    // shown: its first device.
    QovAppDeviceModel openAndWait(const QString &file, const QString &kept = QString());

    std::unique_ptr<TempProfile> m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
    std::unique_ptr<QovMainWindow> m_window;
    QovOnlineDeviceFinder *m_finder = nullptr;
};

QByteArray TestAutoReconnect::settings(int mode)
{
    return "[Debug]\nhttp_timeout_ms=2000\nkeepalive_interval=1\n[Config]\nauto_reconnect=" +
           QByteArray::number(mode) + "\n";
}

void TestAutoReconnect::initTestCase()
{
    LogCollector::install();
    const QString problem = startSimulatedMixers(settings(0), kConfig, &m_profile, &m_sim);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    m_finder = QovOnlineDeviceFinder::instance();
    m_finder->start();
    QTRY_COMPARE_WITH_TIMEOUT(m_finder->getAll().size(), 2, 20000);
}

void TestAutoReconnect::init()
{
    for (const QString &address : {kAlpha, kBeta, kHotel}) {
        QVERIFY(m_sim->startMixer(address));
        QVERIFY(m_sim->reset(address));
    }
    QVERIFY(m_sim->setDataSet(kAlpha, 7, 0, kMixerCurrent));
    m_window = std::make_unique<QovMainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestAutoReconnect::cleanup()
{
    // Alpha back home, should a test that moved it have failed half-way; 404 otherwise.
    m_sim->moveMixer(kAlphaMoved, kAlpha);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isWorking(), 30000);
    m_window->projectData()->setIsEdited(false);
    m_window->hide();
    m_window.reset();
}

QovOnlineDeviceModel TestAutoReconnect::online(const QString &address) const
{
    for (const auto &device : m_finder->getAll()) {
        if (device->ipAddress() == address) {
            return device;
        }
    }
    return {};
}

QString TestAutoReconnect::saveAlone(const QovAppDeviceModel &entry, const QString &name) const
{
    QovProjectDataModel project;
    const QString path = m_profile->path() + "/" + name;
    return project.addDevice(entry) && project.saveTo(path) ? path : QString();
}

QovAppDeviceModel TestAutoReconnect::openAndWait(const QString &file, const QString &kept)
{
    if (kept.isEmpty()) {
        m_window->openProjectFile(file);
    } else {
        m_window->restoreUnsavedChanges(file, kept);
    }
    const bool shown =
        QTest::qWaitFor([&] { return m_window->projectData()->savePath() == file; }, 20000);
    return shown ? m_window->projectData()->appDevices().value(0) : QovAppDeviceModel();
}

QovAppDeviceModel TestAutoReconnect::showAlphaProject()
{
    // A test before may have left it switched off; started again, it is listed anew.
    if (!QTest::qWaitFor([this] { return bool(online(kAlpha)); }, 20000)) {
        return {};
    }
    const QovOnlineDeviceModel alpha = online(kAlpha);
    auto entry = std::make_shared<QovAppDeviceModelInternal>(alpha);
    entry->setZephDataCurrent(QString::fromUtf8(kProjectCurrent));
    auto *project = new QovProjectDataModel();
    project->addDevice(entry);
    project->setIsEdited(false);
    m_window->setProjectData(project);
    return entry;
}

void TestAutoReconnect::powerCycleAlpha(const QovAppDeviceModel &device)
{
    QVERIFY(m_sim->stopMixer(kAlpha));
    // Keep-alive every second, a 2 s deadline: missing within a few seconds.
    QTRY_COMPARE_WITH_TIMEOUT(device->status(), QovAppDeviceModelInternal::MISSING, 20000);
    QVERIFY(m_sim->clearRequests(kAlpha));
    QVERIFY(m_sim->startMixer(kAlpha));
}

QovAppDeviceModel TestAutoReconnect::reconnectingSlowAlpha(int mode)
{
    writeSettings(mode);
    const QovAppDeviceModel entry = showAlphaProject();
    if (!entry || !m_sim->setFaults(kAlpha, R"({"delayMs": 40})")) {
        return {};
    }
    powerCycleAlpha(entry);
    const bool started =
        !QTest::currentTestFailed() &&
        QTest::qWaitFor([&] { return m_window->autoReconnector()->isReconnecting(entry); }, 20000);
    return started ? entry : QovAppDeviceModel();
}

void TestAutoReconnect::comesBackByMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("editedHere");
    QTest::newRow("off") << 0 << false;
    QTest::newRow("app to device") << 1 << false;
    QTest::newRow("device to app") << 2 << false;
    // What the user changed in the page since the last connect is not read over unasked.
    QTest::newRow("device to app, edited here") << 2 << true;
}

void TestAutoReconnect::comesBackByMode()
{
    QFETCH(int, mode);
    QFETCH(bool, editedHere);
    writeSettings(mode);
    const QovAppDeviceModel entry = showAlphaProject();
    QVERIFY(entry);
    if (editedHere) {
        entry->markEdited();
    }
    const QString note = mode == 0    ? QStringLiteral("Online again")
                         : editedHere ? QovAutoReconnector::editsKeptNote()
                                      : QString();
    const QStringList copiesBefore = QovSafetyCopies().copies(entry->macAddress());
    // Notes whether the busy overlay ever showed meanwhile.
    bool overlaySeen = false;
    QTimer overlayWatch;
    connect(&overlayWatch, &QTimer::timeout,
            [&] { overlaySeen = overlaySeen || m_window->isBusy(); });
    overlayWatch.start(10);
    powerCycleAlpha(entry);

    if (!note.isEmpty()) {
        QTRY_COMPARE_WITH_TIMEOUT(entry->statusNote(), note, 20000);
        QCOMPARE(entry->status(), QovAppDeviceModelInternal::MISSING);
        // The row says so, with its reconnection one click away.
        const auto rowOffersReconnect = [this, note] {
            const auto labels = m_window->findChildren<QLabel *>(QStringLiteral("device-status"));
            return std::any_of(labels.cbegin(), labels.cend(), [note](const QLabel *label) {
                return label->text().contains(note) &&
                       label->text().contains(QStringLiteral("href=\"reconnect\""));
            });
        };
        QTRY_VERIFY(rowOffersReconnect());
        QCOMPARE(requestsWith(m_sim->requests(kAlpha), "beginupload"), 0);
        QCOMPARE(m_sim->dataSet(kAlpha, 7, 0), kMixerCurrent);
        QCOMPARE(entry->zephDataCurrent(), QString::fromUtf8(kProjectCurrent));
        // Gone again: the row no longer says that it is online.
        QVERIFY(m_sim->stopMixer(kAlpha));
        QTRY_COMPARE_WITH_TIMEOUT(entry->statusNote(), QString(), 20000);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 20000);
        QTRY_VERIFY(!m_window->isWorking());
        QVERIFY(LogCollector::contains(QStringLiteral("reconnected!")));
        if (mode == 1) {
            QCOMPARE(m_sim->dataSet(kAlpha, 7, 0), kProjectCurrent);
            QCOMPARE(requestsWith(m_sim->requests(kAlpha), "beginupload"), 51);
            // What the mixer held is kept before it is overwritten.
            QCOMPARE(QovSafetyCopies().copies(entry->macAddress()).size(), copiesBefore.size() + 1);
        } else {
            QCOMPARE(requestsWith(m_sim->requests(kAlpha), "beginupload"), 0);
            QCOMPARE(entry->zephDataCurrent(), QString::fromUtf8(kMixerCurrent));
            // A changed project is autosaved like after any connection.
            QTRY_VERIFY(m_window->projectData()->isEdited());
        }
    }
    // No overlay took the window from the user.
    QVERIFY(!overlaySeen);
}

void TestAutoReconnect::noOverwriteWithoutASafetyCopy()
{
    writeSettings(1);
    const QovAppDeviceModel entry = showAlphaProject();
    QVERIFY(entry);
    const QovSafetyCopies copies;
    VELMORA_READ_ONLY_OR_SKIP(copies.root());
    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    powerCycleAlpha(entry);
    const bool answered = answerer.waitDone(30000);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isWorking(), 20000);
    velmora::test::makeFolderWritable(copies.root());
    QVERIFY2(answered, qPrintable(answerer.lastError()));
    QVERIFY2(answerer.seenLines().value(0).startsWith("Error: The mixer Alpha (" + kAlpha +
                                                      ") was not overwritten."),
             qPrintable(answerer.seenLines().value(0)));
    QCOMPARE(requestsWith(m_sim->requests(kAlpha), "beginupload"), 0);
    QCOMPARE(m_sim->dataSet(kAlpha, 7, 0), kMixerCurrent);
    QCOMPARE(entry->status(), QovAppDeviceModelInternal::MISSING);
    QCOMPARE(entry->statusNote(), QStringLiteral("Reconnect failed"));
}

void TestAutoReconnect::userActionsAndAnAutomaticReconnectAtOnce()
{
    const QovAppDeviceModel entry = reconnectingSlowAlpha(1);
    QVERIFY(entry);

    // The user's own reconnect of that device is refused, with a word why; nothing doubles.
    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    QVERIFY(!m_window->reconnectDevice(entry));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QVERIFY2(answerer.seenLines().value(0).startsWith(
                 QStringLiteral("Caution: Velmora is reconnecting Alpha already.")),
             qPrintable(answerer.seenLines().value(0)));
    QVERIFY(!m_window->isBusy());

    QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 30000);
    QVERIFY(m_sim->setFaults(kAlpha, "{}"));
    QCOMPARE(requestsWith(m_sim->requests(kAlpha), "beginupload"), 51);
    QCOMPARE(m_sim->dataSet(kAlpha, 7, 0), kProjectCurrent);
}

void TestAutoReconnect::projectClosedWhileAReconnectRuns()
{
    const QovAppDeviceModel entry = reconnectingSlowAlpha(2);
    QVERIFY(entry);

    auto *next = new QovProjectDataModel();
    next->setProjectName(QStringLiteral("Next"));
    next->setIsEdited(false);
    m_window->setProjectData(next);
    // The window stays working until the reconnect has ended; the new project is untouched.
    QVERIFY(m_window->isWorking());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isWorking(), 30000);
    QVERIFY(m_sim->setFaults(kAlpha, "{}"));
    QCOMPARE(m_window->projectData(), next);
    QVERIFY(next->appDevices().isEmpty());
    QVERIFY(!next->isEdited());
}

// The page stays usable while an automatic Device->App reconnect reads the mixer: what the user
// changes meanwhile is kept, and the row offers the reconnect instead.
void TestAutoReconnect::editsWhileAReconnectReadsAreKept()
{
    const QovAppDeviceModel entry = reconnectingSlowAlpha(2);
    QVERIFY(entry);
    entry->setZephDataCurrent(QStringLiteral(R"({"edited":"during the read"})"));
    entry->markEdited();
    const QString edited = entry->zephDataCurrent();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->autoReconnector()->isReconnecting(entry), 30000);
    QVERIFY(m_sim->setFaults(kAlpha, "{}"));
    QCOMPARE(entry->zephDataCurrent(), edited);
    QCOMPARE(entry->status(), QovAppDeviceModelInternal::MISSING);
    QCOMPARE(entry->statusNote(), QovAutoReconnector::editsKeptNote());
}

void TestAutoReconnect::flappingMixerWaitsLongerEachTime()
{
    // The pause before a reconnect grows with each quick return, and stays bounded.
    QCOMPARE(QovAutoReconnector::pauseMs(0), 0);
    for (int flaps = 1; flaps < 30; ++flaps) {
        const int pause = QovAutoReconnector::pauseMs(flaps);
        QVERIFY2(pause >= QovAutoReconnector::pauseMs(flaps - 1) && pause <= 120000,
                 qPrintable(QString::number(flaps)));
    }
    QVERIFY(QovAutoReconnector::pauseMs(2) > QovAutoReconnector::pauseMs(1));

    // Quick returns: each is written once, and each waits longer after the one before.
    writeSettings(1);
    const QovAppDeviceModel entry = showAlphaProject();
    QVERIFY(entry);
    QElapsedTimer clock;
    clock.start();
    QList<qint64> connectedAt;
    for (int cycle = 0; cycle < 4; ++cycle) {
        powerCycleAlpha(entry);
        QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 30000);
        connectedAt.append(clock.elapsed());
        QTRY_VERIFY(!m_window->isWorking());
        QCOMPARE(requestsWith(m_sim->requests(kAlpha), "beginupload"), 51);
    }
    // The third reconnect came soon after the second, so the fourth waited at least the
    // pause of two flaps from the end of the third.
    const qint64 gap = connectedAt.at(3) - connectedAt.at(2);
    QVERIFY2(gap >= QovAutoReconnector::pauseMs(2) - 100, qPrintable(QString::number(gap)));
}

void TestAutoReconnect::reopenedProjectReconnectsByAddress()
{
    writeSettings(2);
    QVERIFY2(!online(kHotel), "discovery cannot see it");
    QVERIFY(m_sim->setDataSet(kHotel, 7, 0, kMixerCurrent));
    // A project that holds a mixer added by its address, as the program saves it.
    auto entry = std::make_shared<QovAppDeviceModelInternal>("Hotel", QovDeviceSelector::ZEPH2208,
                                                             "00:1D:C1:00:66:04", 0, 6);
    entry->setAddedAddress(kHotel);
    entry->setZephDataCurrent(QString::fromUtf8(kProjectCurrent));
    const QString file = saveAlone(entry, "by-address.vlmproj");
    QVERIFY(!file.isEmpty());

    const QovAppDeviceModel opened = openAndWait(file);
    QVERIFY(opened);
    QTRY_COMPARE_WITH_TIMEOUT(opened->status(), QovAppDeviceModelInternal::CONNECTED, 20000);
    QCOMPARE(opened->ipAddress(), kHotel);
    QCOMPARE(opened->addedAddress(), kHotel);
    QCOMPARE(opened->zephDataCurrent(), QString::fromUtf8(kMixerCurrent));
    // From then on the finder lists it too, marked as added by address.
    QTRY_VERIFY_WITH_TIMEOUT(online(kHotel), 10000);
    QCOMPARE(online(kHotel)->addedAddress(), kHotel);
    // Keep-alive asks it at that address.
    QTRY_VERIFY_WITH_TIMEOUT(m_sim->requests(kHotel).filter("keepalive.cgi").size() >= 1, 10000);
    QCOMPARE(opened->status(), QovAppDeviceModelInternal::CONNECTED);
}

// Edits restored after a crash are the user's work since the last save: opening them in
// Device to App reads no mixer over them, then or when the mixer answers later.
void TestAutoReconnect::restoredEditsAreNotReadOver()
{
    writeSettings(2);
    const QovOnlineDeviceModel alpha = online(kAlpha);
    QVERIFY(alpha);
    const auto write = [this, &alpha](const QString &name, const QByteArray &current) {
        auto entry = std::make_shared<QovAppDeviceModelInternal>(alpha);
        entry->setZephDataCurrent(QString::fromUtf8(current));
        return saveAlone(entry, name);
    };
    const QString file = write("saved.vlmproj", kMixerCurrent);
    const QString kept = write("kept.vlmproj", kProjectCurrent);
    QVERIFY(!file.isEmpty() && !kept.isEmpty());
    QVERIFY(m_sim->clearRequests(kAlpha));

    const QovAppDeviceModel entry = openAndWait(file, kept);
    QVERIFY(entry);
    QCOMPARE(entry->statusNote(), QovAutoReconnector::editsKeptNote());
    QCOMPARE(entry->status(), QovAppDeviceModelInternal::MISSING);
    // Keep-alive finds the mixer answering, every second: still not read.
    QTest::qWait(3000);
    QCOMPARE(entry->statusNote(), QovAutoReconnector::editsKeptNote());
    QCOMPARE(entry->zephDataCurrent(), QString::fromUtf8(kProjectCurrent));
    QCOMPARE(requestsWith(m_sim->requests(kAlpha), "filedownload"), 0);
    QVERIFY(m_window->projectData()->isEdited());
}

// Opened with reconnection off while discovery lists its mixer already, the row says that the
// mixer is online. Reconnection switched on later reconnects nothing until that mixer comes
// back: a change elsewhere in discovery's list (Beta moves) is no news of Alpha.
void TestAutoReconnect::mixersListedAllAlongStayAsTheyAre()
{
    writeSettings(0);
    const QovOnlineDeviceModel alpha = online(kAlpha);
    QVERIFY(alpha);
    const QString file =
        saveAlone(std::make_shared<QovAppDeviceModelInternal>(alpha), "listed.vlmproj");
    QVERIFY(!file.isEmpty());
    const QovAppDeviceModel entry = openAndWait(file);
    QVERIFY(entry);
    QTRY_COMPARE(entry->statusNote(), QStringLiteral("Online again"));
    QCOMPARE(entry->status(), QovAppDeviceModelInternal::MISSING);

    writeSettings(1);
    QVERIFY(m_sim->clearRequests(kAlpha));
    QVERIFY(m_sim->moveMixer(kBeta, kAlphaMoved));
    QTRY_VERIFY_WITH_TIMEOUT(online(kAlphaMoved), 20000);
    QVERIFY(m_sim->moveMixer(kAlphaMoved, kBeta));
    QTRY_VERIFY_WITH_TIMEOUT(online(kBeta), 20000);
    QVERIFY(!m_window->autoReconnector()->isReconnecting(entry));
    QCOMPARE(entry->status(), QovAppDeviceModelInternal::MISSING);
    QCOMPARE(entry->statusNote(), QStringLiteral("Online again"));
    QCOMPARE(requestsWith(m_sim->requests(kAlpha), "filedownload"), 0);
}

// A mixer that would not connect while its project opened (here: updating its firmware) is
// connected once it answers again, although discovery listed it all along.
void TestAutoReconnect::mixerThatFailedAtOpenIsTriedAgain()
{
    writeSettings(2);
    const QovOnlineDeviceModel alpha = online(kAlpha);
    QVERIFY(alpha);
    const QString file =
        saveAlone(std::make_shared<QovAppDeviceModelInternal>(alpha), "updating.vlmproj");
    QVERIFY(!file.isEmpty());
    QVERIFY(m_sim->setFaults(kAlpha, R"({"rcode": 7})"));
    const QovAppDeviceModel entry = openAndWait(file);
    QVERIFY(entry);
    QCOMPARE(entry->status(), QovAppDeviceModelInternal::MISSING);
    QVERIFY(m_sim->setFaults(kAlpha, "{}"));
    QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 20000);
    QCOMPARE(entry->ipAddress(), kAlpha);
}

void TestAutoReconnect::connectedMixerThatMovesIsFollowed()
{
    writeSettings(2);
    const QovAppDeviceModel entry = showAlphaProject();
    QVERIFY(entry);
    QCOMPARE(entry->ipAddress(), kAlpha);
    const QString uuid = online(kAlpha)->uuid();
    // A new lease: goodbye from the old address, an announcement from the new one.
    QVERIFY(m_sim->moveMixer(kAlpha, kAlphaMoved));
    QTRY_COMPARE_WITH_TIMEOUT(entry->ipAddress(), kAlphaMoved, 20000);
    QVERIFY(LogCollector::contains(QStringLiteral("moved!")));
    // A keep-alive that failed at the old address meanwhile is mended by a reconnect there.
    QTRY_COMPARE_WITH_TIMEOUT(entry->status(), QovAppDeviceModelInternal::CONNECTED, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(m_sim->requests(kAlphaMoved).filter("keepalive.cgi").size() >= 2,
                             10000);
    QCOMPARE(entry->status(), QovAppDeviceModelInternal::CONNECTED);
    QCOMPARE(entry->ipAddress(), kAlphaMoved);
    const auto all = m_finder->getAll();
    QCOMPARE(
        std::count_if(all.cbegin(), all.cend(), [&](const auto &d) { return d->uuid() == uuid; }),
        1);
    QVERIFY(m_sim->moveMixer(kAlphaMoved, kAlpha));
    QTRY_VERIFY_WITH_TIMEOUT(online(kAlpha), 20000);
}

QTEST_MAIN(TestAutoReconnect)
#include "tst_autoreconnect.moc"
