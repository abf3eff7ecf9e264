// The safety copy of what a mixer holds, kept before anything overwrites it, or no overwrite.
#include "flowfixture.h"

#include "logcollector.h"
#include "mixerchecks.h"
#include "modalanswerer.h"
#include "models/qovprojectsnapshot.h"
#include "models/qovsafetycopies.h"
#include "projectfilepeek.h"
#include "readonlyfolder.h"

#include <QJsonArray>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>

class TestSafetyCopyFlows : public ConnectionFlowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void uploadKeepsASafetyCopyFirst();
    void failedSafetyCopyStopsTheUpload_data();
    void failedSafetyCopyStopsTheUpload();
    void openingWithoutSafetyCopyWritesNothing_data();
    void openingWithoutSafetyCopyWritesNothing();
    void partialSafetyCopyOnlyWhenTheUserSaysSo();
};

void TestSafetyCopyFlows::uploadKeepsASafetyCopyFirst()
{
    const QovAppDeviceModel entry = showEntry();
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

void TestSafetyCopyFlows::failedSafetyCopyStopsTheUpload_data()
{
    QTest::addColumn<QByteArray>("faults");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("why");

    QTest::newRow("mixer cannot be read")
        << QByteArray(R"({"requests":[{"endpoint":"filedownload.cgi","nth":12,"fault":"reset"}]})")
        << false << "Its current data could not be read (failed to get partial preset).";
    QTest::newRow("backups folder read-only")
        << QByteArray("{}") << true << "The backup folder cannot be written (";
}

void TestSafetyCopyFlows::failedSafetyCopyStopsTheUpload()
{
    QFETCH(QByteArray, faults);
    QFETCH(bool, readOnly);
    QFETCH(QString, why);
    QStringList entryBefore;
    const QovAppDeviceModel entry = showEntry(QovDeviceSelector::ZEPH2208, &entryBefore);
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
    // The folder that refused, with the system's reason.
    QVERIFY2(!readOnly || popup.contains(QDir::toNativeSeparators(copies.root()) + "/"),
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

void TestSafetyCopyFlows::openingWithoutSafetyCopyWritesNothing_data()
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

void TestSafetyCopyFlows::openingWithoutSafetyCopyWritesNothing()
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
    const QString path = saveForOpening(project, folder, QStringLiteral("bound.vlmproj"), 1);
    QVERIFY(!path.isEmpty());
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
void TestSafetyCopyFlows::partialSafetyCopyOnlyWhenTheUserSaysSo()
{
    const QovAppDeviceModel entry = unboundDevice(QStringLiteral("Entry"));
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

std::unique_ptr<QObject> safetyCopyFlows()
{
    return std::make_unique<TestSafetyCopyFlows>();
}

#include "safetycopies.moc"
