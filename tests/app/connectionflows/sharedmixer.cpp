// Entries that would share one mixer, and a window closed while a transfer runs.
#include "flowfixture.h"

#include "dialogs/qovconnectdevicedialog.h"
#include "mixerchecks.h"
#include "modalanswerer.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

class TestSharedMixerFlows : public ConnectionFlowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void connectOffersNoMixerAnotherEntryHolds();
    void openingTwoEntriesOnOneMixerConnectsTheFirst();
    void closingWhileBusyWaitsForTheTransfer();
};

void TestSharedMixerFlows::connectOffersNoMixerAnotherEntryHolds()
{
    const QovOnlineDeviceModel monitor = listed(QStringLiteral("Monitor"));
    QVERIFY(monitor);
    const auto holder = std::make_shared<QovAppDeviceModelInternal>(monitor);
    holder->setStatus(QovAppDeviceModelInternal::MISSING);
    const QovAppDeviceModel fresh = unboundDevice(QStringLiteral("Fresh"));
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

void TestSharedMixerFlows::openingTwoEntriesOnOneMixerConnectsTheFirst()
{
    const QovOnlineDeviceModel monitor = listed(QStringLiteral("Monitor"));
    QVERIFY(monitor);
    QovProjectDataModel project;
    for (const QString &name : {QStringLiteral("First"), QStringLiteral("Second")}) {
        auto entry = std::make_shared<QovAppDeviceModelInternal>(monitor);
        entry->setDeviceName(name);
        entry->setZephDataCurrent(QStringLiteral("{\"project\":\"%1\"}").arg(name));
        project.addDevice(entry);
    }
    const QStringList firstData = deviceData(project.appDevices().first());
    QTemporaryDir folder;
    const QString path = saveForOpening(project, folder, QStringLiteral("twice.vlmproj"), 1);
    QVERIFY(!path.isEmpty());
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
    QVERIFY2(line.startsWith(QStringLiteral("Caution: A mixer can belong to one device")) &&
                 line.contains(QStringLiteral("Second was not connected")) &&
                 line.contains(QStringLiteral("belongs to First")),
             qPrintable(line));
    const QVector<QovAppDeviceModel> opened = m_window->projectData()->appDevices();
    QCOMPARE(opened.at(0)->status(), QovAppDeviceModelInternal::CONNECTED);
    QCOMPARE(opened.at(1)->status(), QovAppDeviceModelInternal::DISCONNECTED);
    QVERIFY(opened.at(1)->macAddress().isEmpty());
    // The mixer holds the first entry's data alone, written once.
    QCOMPARE(mixerData(*m_sim, address), firstData);
    QCOMPARE(requestsWith(m_sim->requests(address), "beginupload"), 51);
}

void TestSharedMixerFlows::closingWhileBusyWaitsForTheTransfer()
{
    const QovAppDeviceModel entry = showEntry();
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

std::unique_ptr<QObject> sharedMixerFlows()
{
    return std::make_unique<TestSharedMixerFlows>();
}

#include "sharedmixer.moc"
