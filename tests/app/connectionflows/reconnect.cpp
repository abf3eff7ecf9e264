// Entries whose mixer went missing, and entries reconnected as their project opens.
#include "flowfixture.h"

#include "logcollector.h"
#include "mixerchecks.h"
#include "modalanswerer.h"
#include "models/qovsafetycopies.h"

#include <QTemporaryDir>
#include <QtTest>

class TestReconnectFlows : public ConnectionFlowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void missingThenReconnect();
    void openingReconnectsByMode_data();
    void openingReconnectsByMode();
};

void TestReconnectFlows::missingThenReconnect()
{
    const QovAppDeviceModel entry = showEntry(QovDeviceSelector::ZEPH2208NET);
    const QString address = addressOf("FOH Main");
    ModalAnswerer answerer;
    QVERIFY(connectThroughDialog(answerer, entry, QStringLiteral("FOH Main"), false));

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
    QTRY_VERIFY_WITH_TIMEOUT(!atAddress(address), 20000);
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

void TestReconnectFlows::openingReconnectsByMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("none") << 0;
    QTest::newRow("app to device") << 1;
    QTest::newRow("device to app") << 2;
}

void TestReconnectFlows::openingReconnectsByMode()
{
    QFETCH(int, mode);
    // Monitor and Stage are online; "Gone" has a MAC no mixer reports; "Fresh" has none.
    const auto bound = [](const QString &name) {
        auto entry = std::make_shared<QovAppDeviceModelInternal>(listed(name));
        entry->setZephDataCurrent(QStringLiteral("{\"project\":\"%1\"}").arg(name));
        return entry;
    };
    QovProjectDataModel project;
    project.addDevice(bound(QStringLiteral("Monitor")));
    project.addDevice(bound(QStringLiteral("Stage")));
    project.addDevice(std::make_shared<QovAppDeviceModelInternal>(
        QStringLiteral("Gone"), QovDeviceSelector::ZEPH2208, QStringLiteral("00:1D:C1:99:99:99"), 0,
        7));
    project.addDevice(unboundDevice(QStringLiteral("Fresh")));
    QTemporaryDir folder;
    const QString path = saveForOpening(project, folder, QStringLiteral("saved.vlmproj"), mode);
    QVERIFY(!path.isEmpty());
    const QString monitor = addressOf("Monitor");
    const QStringList monitorBefore = mixerData(*m_sim, monitor);

    QovProjectDataModel *before = m_window->projectData();
    QVERIFY(m_window->openProjectFile(path));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->projectData() != before, 20000);
    QTRY_VERIFY(!m_window->isBusy());
    const QVector<QovAppDeviceModel> opened = m_window->projectData()->appDevices();
    QCOMPARE(namesOf(opened).mid(2), (QStringList{"Gone", "Fresh"}));
    QCOMPARE(opened.at(2)->status(), QovAppDeviceModelInternal::MISSING);
    QCOMPARE(opened.at(3)->status(), QovAppDeviceModelInternal::DISCONNECTED);
    const auto onlineStatus =
        mode == 0 ? QovAppDeviceModelInternal::MISSING : QovAppDeviceModelInternal::CONNECTED;
    QCOMPARE(opened.at(0)->status(), onlineStatus);
    QCOMPARE(opened.at(1)->status(), onlineStatus);
    if (mode == 0) {
        QCOMPARE(mixerData(*m_sim, monitor), monitorBefore);
    } else if (mode == 1) {
        QCOMPARE(m_sim->dataSet(monitor, 7, 0), QByteArray("{\"project\":\"Monitor\"}"));
        QCOMPARE(mixerData(*m_sim, monitor), deviceData(opened.at(0)));
        // What the mixer held before is kept.
        const QStringList kept = QovSafetyCopies().copies(opened.at(0)->macAddress());
        QVERIFY(!kept.isEmpty());
        QCOMPARE(copiedData(kept.last()), monitorBefore);
    } else {
        QCOMPARE(deviceData(opened.at(0)), monitorBefore);
    }
    // Reconnection is part of opening; the project starts unedited.
    QVERIFY(!m_window->projectData()->isEdited());
    QVERIFY(!m_window->windowTitle().endsWith(QStringLiteral(" *")));
}

std::unique_ptr<QObject> reconnectFlows()
{
    return std::make_unique<TestReconnectFlows>();
}

#include "reconnect.moc"
