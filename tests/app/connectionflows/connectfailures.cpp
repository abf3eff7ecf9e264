// Mixers that fail or refuse a connection, and connections refused before any transfer.
#include "flowfixture.h"

#include "device/qovmixerlock.h"
#include "foreignlock.h"
#include "logcollector.h"
#include "mixerchecks.h"
#include "modalanswerer.h"
#include "models/qovsafetycopies.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

class TestConnectFailureFlows : public ConnectionFlowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void failingMixersAreReportedAndLeftOut();
    void failedConnectionLeavesTheEntry_data();
    void failedConnectionLeavesTheEntry();
    void mixerInUseIsLeftAlone();
    void refusalsWithoutDialogs();
};

void TestConnectFailureFlows::failingMixersAreReportedAndLeftOut()
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

    // One popup per failed mixer, in the dialog's order, with the read that stopped; the others
    // make the project.
    const QHash<QString, QString> why{{"Stage", "failed to get partial preset"},
                                      {"Ext One", "failed to get preset"}};
    QStringList expected;
    QStringList kept;
    for (const QString &name : namesOf(shown)) {
        if (why.contains(name)) {
            expected << "Error: One or more devices are unable to connect with Velmora.\n\n" +
                            name + "\n\nThe transfer stopped: " + why.value(name) + ".\n";
        } else {
            kept << name;
        }
    }
    QCOMPARE(answerer.seenLines().mid(1), expected);
    QTRY_VERIFY(m_window->projectData() != before);
    QCOMPARE(namesOf(m_window->projectData()->appDevices()), kept);
    QVERIFY(!m_window->isBusy());
}

void TestConnectFailureFlows::failedConnectionLeavesTheEntry_data()
{
    QTest::addColumn<bool>("upload");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("partlyWritten");
    QTest::addColumn<QString>("why");
    // The first chunk of all refused: the mixer took nothing.
    QTest::newRow("nothing written") << true << R"({"failUpload": {"target": 2, "bank": 0}})"
                                     << false << "the mixer did not take preset 0";
    // The last data set refused: all before it is in the mixer.
    QTest::newRow("partly written")
        << true << R"({"failUpload": {"target": 7, "bank": 0}})" << true << QString();
    QTest::newRow("read fails") << false << R"({"failDownload": {"target": 6, "bank": 17}})"
                                << false << "failed to get partial preset";
}

void TestConnectFailureFlows::failedConnectionLeavesTheEntry()
{
    QFETCH(bool, upload);
    QFETCH(QString, fault);
    QFETCH(bool, partlyWritten);
    QFETCH(QString, why);
    QStringList dataBefore;
    const QovAppDeviceModel entry = showEntry(QovDeviceSelector::ZEPH2208, &dataBefore);
    const QString address = addressOf("Monitor");
    QVERIFY(m_sim->setFaults(address, fault.toUtf8()));
    const QStringList copiesBefore = QovSafetyCopies().copies(macOf("Monitor"));

    ModalAnswerer answerer;
    answerConnect(answerer, QStringLiteral("Monitor"), upload);
    bool offersFolder = false;
    answerer.handle([&offersFolder](QWidget *modal) {
        offersFolder = ModalAnswerer::findButton(modal, QStringLiteral("Open Folder")) != nullptr;
        QTest::mouseClick(ModalAnswerer::findButton(modal, QStringLiteral("OK")), Qt::LeftButton);
    });
    QVERIFY(m_window->connectDevice(entry));
    QVERIFY2(answerer.waitDone(20000), qPrintable(answerer.lastError()));
    QCOMPARE(offersFolder, partlyWritten);
    const QStringList copies = QovSafetyCopies().copies(macOf("Monitor"));
    QCOMPARE(copies.size(), copiesBefore.size() + (upload ? 1 : 0));
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
        // And why, so that they know whether waiting for the mixer can help.
        QCOMPARE(answerer.seenLines().mid(1),
                 QStringList{"Error: One or more devices are unable to connect with Velmora.\n" +
                             address + "\n\nMonitor\nv\nEntry\n(" +
                             (upload ? "App->Device" : "Device->App") +
                             ")\n\nThe transfer stopped: " + why + ".\n"});
    }
    QTRY_VERIFY(!m_window->isBusy());
    QCOMPARE(entry->status(), QovAppDeviceModelInternal::DISCONNECTED);
    QCOMPARE(deviceData(entry), dataBefore);
    QVERIFY(entry->ipAddress().isEmpty());
}

// Another Velmora program transfers to the mixer: connecting neither reads nor writes it, and
// the user learns why.
void TestConnectFailureFlows::mixerInUseIsLeftAlone()
{
    QStringList dataBefore;
    const QovAppDeviceModel entry = showEntry(QovDeviceSelector::ZEPH2208, &dataBefore);
    const QString address = addressOf("Monitor");
    auto mixer = std::make_shared<QovOnlineDeviceModelInternal>(QovDiscoveredDevice());
    mixer->setMacAddress(macOf("Monitor"));
    const velmora::test::ForeignLock held(QovMixerLock::lockPath(mixer));
    QVERIFY(held.isHeld());
    QVERIFY(m_sim->clearRequests(address));

    ModalAnswerer answerer;
    answerConnect(answerer, QStringLiteral("Monitor"), true);
    answerer.pressButton(QStringLiteral("OK"));
    QVERIFY(m_window->connectDevice(entry));
    QVERIFY2(answerer.waitDone(20000), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seenLines().mid(1),
             QStringList{QString("Error: The mixer Monitor (%1) was neither read nor written: the "
                                 "mixer is in use by another Velmora program (%2, process %3).\n"
                                 "\nTry again when that program has finished with it.\n")
                             .arg(address, held.program())
                             .arg(held.pid())});
    QTRY_VERIFY(!m_window->isBusy());
    QCOMPARE(entry->status(), QovAppDeviceModelInternal::DISCONNECTED);
    QCOMPARE(deviceData(entry), dataBefore);
    const QStringList requests = m_sim->requests(address);
    QVERIFY2(requests.filter("download").isEmpty() && requests.filter("upload").isEmpty(),
             qPrintable(requests.join('\n')));
}

void TestConnectFailureFlows::refusalsWithoutDialogs()
{
    const QovAppDeviceModel unbound = unboundDevice(QStringLiteral("Loose"));
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

std::unique_ptr<QObject> connectFailureFlows()
{
    return std::make_unique<TestConnectFailureFlows>();
}

#include "connectfailures.moc"
