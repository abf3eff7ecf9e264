// The finder against the simulator process: real SSDP discovery, real device-information
// requests, mixers that fail, vanish and answer slowly.
#include "discovery/qovonlinedevicefinder.h"
#include "logcollector.h"
#include "mixerchecks.h"
#include "mixersimprocess.h"
#include "simulatedmixers.h"
#include "tempprofile.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
const QByteArray kConfig = R"({ "mixers": [
  { "address": "127.0.0.2", "model": "ZEPH-2208", "name": "Alpha", "mac": "00-1d-c1-aa-00-02",
    "udn": "uuid:5a3e2208-0000-4000-8000-0000000a1fa0",
    "deviceId": 10, "headerColor": 3, "serial": 1002, "link": "primary",
    "linkedUnits": [ { "serial": 1003, "unitno": 1 }, { "serial": 1009, "unitno": 2 } ] },
  { "address": "127.0.0.3", "model": "ZEPH-2208NET", "name": "Bravo", "mac": "00:1D:C1:AA:00:03",
    "deviceId": 255, "headerColor": 5, "serial": 1003, "link": "extension", "password": true },
  { "address": "127.0.0.4", "model": "ZEPH-4416", "name": "Charlie", "mac": "00:1D:C1:AA:00:04",
    "deviceId": 3, "headerColor": 1, "serial": 1004 },
  { "address": "127.0.0.5", "model": "ZEPH-9999", "name": "Delta", "mac": "00:1D:C1:AA:00:05",
    "deviceId": 4, "serial": 1005 },
  { "address": "127.0.0.6", "model": "ZEPH-2208", "name": "Echo", "mac": "00:1D:C1:AA:00:06",
    "deviceId": 5, "serial": 1006, "faults": { "rcode": 7 } },
  { "address": "127.0.0.7", "model": "ZEPH-2208", "name": "Foxtrot", "mac": "00:1D:C1:AA:00:07",
    "deviceId": 6, "serial": 1007, "faults": { "body": "" } },
  { "address": "127.0.0.8", "model": "ZEPH-2208", "name": "Alpha", "mac": "00-1d-c1-aa-00-02",
    "udn": "uuid:5a3e2208-0000-4000-8000-0000000a1fa0", "deviceId": 10, "serial": 1002,
    "running": false },
  { "address": "127.0.0.10", "model": "ZEPH-2208", "name": "Hotel", "mac": "00:1D:C1:AA:00:10",
    "deviceId": 7, "serial": 1010, "ssdp": false },
  { "address": "127.0.0.11", "model": "ZEPH-2208", "name": "India", "mac": "00:1D:C1:AA:00:10",
    "deviceId": 8, "serial": 1011, "ssdp": false }
] })";

QStringList sortedNamesOf(const QList<QovOnlineDeviceModel> &devices)
{
    QStringList names = namesOf(devices);
    names.sort();
    return names;
}

// A fresh report of a listed mixer, as the library would deliver it.
QovOnlineDeviceModel reportOf(const QovOnlineDeviceModel &listed, const QString &ipAddress = {})
{
    return std::make_shared<QovOnlineDeviceModelInternal>(QovDiscoveredDevice{
        QString::number(listed->serial()), listed->uuid(), listed->deviceName(),
        listed->modelName(), ipAddress.isEmpty() ? listed->ipAddress() : ipAddress});
}

int countWithUuid(const QList<QovOnlineDeviceModel> &devices, const QString &uuid)
{
    return int(std::count_if(devices.cbegin(), devices.cend(),
                             [&](const QovOnlineDeviceModel &d) { return d->uuid() == uuid; }));
}
} // namespace

class TestOnlineDeviceFinder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        LogCollector::install();
        const QString problem =
            startSimulatedMixers("[Debug]\ncompatible_models=ZEPH-4416\nhttp_timeout_ms=3000\n",
                                 kConfig, &m_profile, &m_sim);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        m_finder = QovOnlineDeviceFinder::instance();
    }

    // In this order: they share the one finder of the process.
    void admitsCompatibleAnsweringMixersOnly()
    {
        QSignalSpy changed(m_finder, &QovOnlineDeviceFinder::deviceListChanged);
        m_finder->start();
        m_finder->start();
        QCOMPARE(LogCollector::count("start!"), 1);
        QCOMPARE(LogCollector::count("start OK!"), 1);

        QTRY_COMPARE_WITH_TIMEOUT(m_finder->getAll().size(), 3, 15000);
        waitForRejections(0);
        QCOMPARE(LogCollector::count(
                     "ADD QovOnlineDeviceModel('Delta'[0]) is not compatible model, skip."),
                 1);
        QCOMPARE(changed.count(), 3);

        QCOMPARE(sortedNamesOf(m_finder->getAll()), QStringList({"Alpha", "Bravo", "Charlie"}));

        const auto alpha = m_finder->getAllByDeviceType(QovDeviceSelector::ZEPH2208).value(0);
        QVERIFY(alpha);
        QCOMPARE(alpha->macAddress(), QString("00:1D:C1:AA:00:02"));
        QCOMPARE(alpha->deviceId(), 10);
        QCOMPARE(alpha->headerColor(), 3);
        QCOMPARE(alpha->ovLink(), QovOnlineDeviceModelInternal::PRIMARY);
        QCOMPARE(alpha->linkedExtensions(),
                 QovLinkedExtensions({std::make_tuple(1003, 1), std::make_tuple(1009, 2)}));
        QCOMPARE(
            m_finder->getAllByDeviceType(QovDeviceSelector::ZEPH2208NET).value(0)->deviceName(),
            QString("Bravo"));
    }

    void refreshListsInFinishingOrder()
    {
        // Alpha answers last; every other compatible mixer answers at once.
        QVERIFY(m_sim->setFaults("127.0.0.2", R"({"delayMs": 1500})"));
        const int rejectedBefore = LogCollector::count("is not compatible model, skip.") +
                                   LogCollector::count("can not get device info,");
        QSignalSpy changed(m_finder, &QovOnlineDeviceFinder::deviceListChanged);

        m_finder->refresh();
        QVERIFY2(m_finder->getAll().isEmpty(), "refresh empties the list at once");
        QTRY_COMPARE_WITH_TIMEOUT(m_finder->getAll().size(), 3, 15000);
        QCOMPARE(m_finder->getAll().last()->deviceName(), QString("Alpha"));
        waitForRejections(rejectedBefore);
        QCOMPARE(changed.count(), 3);
        QVERIFY(m_sim->setFaults("127.0.0.2", "{}"));
    }

    void byebyeRemovesTheMixer()
    {
        QSignalSpy changed(m_finder, &QovOnlineDeviceFinder::deviceListChanged);
        QVERIFY(m_sim->stopMixer("127.0.0.3"));
        QVERIFY(changed.wait(5000));
        QCOMPARE(sortedNamesOf(m_finder->getAll()), QStringList({"Alpha", "Charlie"}));
    }

    void listChangesAlwaysAnnounced()
    {
        QSignalSpy changed(m_finder, &QovOnlineDeviceFinder::deviceListChanged);
        const QStringList before = namesOf(m_finder->getAll());
        QCOMPARE(before.size(), 2); // the two mixers the earlier functions listed

        auto stranger = std::make_shared<QovOnlineDeviceModelInternal>(
            QovDiscoveredDevice{"9", "uuid:x", "Stranger", "ZEPH-2208", "127.0.0.99"});
        m_finder->onDeviceDeleted(stranger);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(namesOf(m_finder->getAll()), before);

        // A drop just below itself moves nothing and is still announced.
        m_finder->moveDevice({}, 0, 0, {}, 1);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(namesOf(m_finder->getAll()), before);

        m_finder->moveDevice({}, 0, 0, {}, 2);
        QCOMPARE(changed.count(), 3);
        QCOMPARE(namesOf(m_finder->getAll()), QStringList({before.at(1), before.at(0)}));
    }

    void deletionDuringCheckLeavesNoGhost()
    {
        const QovOnlineDeviceModel alpha = listed("Alpha");
        QVERIFY(alpha);
        QVERIFY(m_sim->setFaults("127.0.0.2", R"({"delayMs": 1500})"));
        const int outdated = LogCollector::count("outdated, skip.");
        // Reported again (its check takes 1.5 s), then gone while the check runs.
        const QovOnlineDeviceModel again = reportOf(alpha);
        m_finder->onDeviceAdded(again);
        m_finder->onDeviceDeleted(again);
        QVERIFY(!listed("Alpha"));
        QTRY_COMPARE_WITH_TIMEOUT(LogCollector::count("outdated, skip."), outdated + 1, 5000);
        QVERIFY(!listed("Alpha"));
        QVERIFY(m_sim->setFaults("127.0.0.2", "{}"));
        // Reported anew afterwards, it is listed again.
        m_finder->onDeviceAdded(reportOf(alpha));
        QTRY_VERIFY_WITH_TIMEOUT(listed("Alpha"), 5000);
    }

    void refreshDuringChecksListsOnce()
    {
        QVERIFY(m_sim->setFaults("127.0.0.2", R"({"delayMs": 800})"));
        const QStringList before = sortedNamesOf(m_finder->getAll());
        const int outdated = LogCollector::count("outdated, skip.");
        m_finder->refresh();
        m_finder->refresh();
        // The first refresh's checks are outdated by the second; every mixer comes back once.
        QTRY_COMPARE_WITH_TIMEOUT(sortedNamesOf(m_finder->getAll()), before, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(LogCollector::count("outdated, skip.") >= outdated + before.size(),
                                 10000);
        QTest::qWait(1000);
        QCOMPARE(sortedNamesOf(m_finder->getAll()), before);
        QVERIFY(m_sim->setFaults("127.0.0.2", "{}"));
    }

    void movedMixerFollowedAsOneEntry()
    {
        const QovOnlineDeviceModel alpha = listed("Alpha");
        QVERIFY(alpha);
        const QString uuid = alpha->uuid();
        const int position = int(m_finder->getAll().indexOf(alpha));
        // The same mixer, come up at 127.0.0.8 (a new lease), announces itself there; its old
        // address answers no more.
        QVERIFY(m_sim->setFaults("127.0.0.2", R"({"refuse": true})"));
        QVERIFY(m_sim->startMixer("127.0.0.8"));
        m_finder->onDeviceModified(reportOf(alpha, "127.0.0.8"));
        QTRY_COMPARE_WITH_TIMEOUT(listed("Alpha")->ipAddress(), QString("127.0.0.8"), 5000);
        QTest::qWait(1000);
        const auto devices = m_finder->getAll();
        QCOMPARE(countWithUuid(devices, uuid), 1);
        QCOMPARE(int(devices.indexOf(listed("Alpha"))), position);
        QCOMPARE(listed("Alpha")->macAddress(), QString("00:1D:C1:AA:00:02"));
        QVERIFY(m_sim->stopMixer("127.0.0.8"));
        // Its goodbye from where it is listed removes it.
        QTRY_VERIFY_WITH_TIMEOUT(!listed("Alpha"), 10000);
        QVERIFY(m_sim->setFaults("127.0.0.2", "{}"));
    }

    void oneUdnAtTwoAddressesListedOnce()
    {
        // Alpha as discovery reports it from either address.
        const auto alphaAt = [](const QString &address) {
            return std::make_shared<QovOnlineDeviceModelInternal>(
                QovDiscoveredDevice{"1002", "uuid:5a3e2208-0000-4000-8000-0000000a1fa0", "Alpha",
                                    "ZEPH-2208", address});
        };
        const auto alphaAddress = [this] {
            const QovOnlineDeviceModel alpha = listed("Alpha");
            return alpha ? alpha->ipAddress() : QString();
        };
        m_finder->onDeviceAdded(alphaAt("127.0.0.2"));
        QTRY_COMPARE_WITH_TIMEOUT(alphaAddress(), QString("127.0.0.2"), 5000);
        // Both answer, with one UDN and one MAC: reports alternate between the two addresses.
        QVERIFY(m_sim->startMixer("127.0.0.8"));
        const QString warning = "answers at \"127.0.0.2\" and \"127.0.0.8\"";
        for (int cycle = 0; cycle < 3; ++cycle) {
            const int checked = LogCollector::count("getDeviceInfo QovOnlineDeviceModel('Alpha'");
            m_finder->onDeviceModified(alphaAt("127.0.0.8"));
            m_finder->onDeviceModified(alphaAt("127.0.0.2"));
            QTRY_VERIFY_WITH_TIMEOUT(
                LogCollector::count("getDeviceInfo QovOnlineDeviceModel('Alpha'") >= checked + 2,
                5000);
            QTest::qWait(300);
            QCOMPARE(countWithUuid(m_finder->getAll(), "uuid:5a3e2208-0000-4000-8000-0000000a1fa0"),
                     1);
            QCOMPARE(alphaAddress(), QString("127.0.0.2"));
        }
        // A lone report at the other address meets the listed entry: it stays, and the log says
        // so once, however often the pair is reported.
        for (int i = 0; i < 2; ++i) {
            m_finder->onDeviceModified(alphaAt("127.0.0.8"));
            QTRY_VERIFY_WITH_TIMEOUT(LogCollector::count(warning) == 1, 5000);
            QTest::qWait(300);
            QCOMPARE(alphaAddress(), QString("127.0.0.2"));
        }
        QCOMPARE(LogCollector::count(warning), 1);
        QVERIFY(m_sim->stopMixer("127.0.0.8"));
    }

    void addByAddressReachesAMixerDiscoveryCannotSee()
    {
        m_finder->refresh();
        QTRY_VERIFY_WITH_TIMEOUT(listed("Alpha"), 15000);
        QTest::qWait(2500);
        QVERIFY2(!listed("Hotel"), "it answers no search");

        QSignalSpy probed(m_finder, &QovOnlineDeviceFinder::addressProbed);
        m_finder->addByAddress("127.0.0.10");
        QVERIFY(probed.wait(10000));
        QCOMPARE(probed.at(0).at(0).toString(), QString("127.0.0.10"));
        QCOMPARE(probed.at(0).at(1).toString(), QString());
        const QovOnlineDeviceModel hotel = listed("Hotel");
        QVERIFY(hotel);
        // Admitted as discovery admits: identity from the description, the rest from the mixer.
        QCOMPARE(hotel->ipAddress(), QString("127.0.0.10"));
        QCOMPARE(hotel->addedAddress(), QString("127.0.0.10"));
        QCOMPARE(hotel->macAddress(), QString("00:1D:C1:AA:00:10"));
        QCOMPARE(hotel->deviceId(), 7);
        QCOMPARE(hotel->serial(), 1010);
        QVERIFY(!hotel->uuid().isEmpty());
        QVERIFY(listed("Alpha")->addedAddress().isEmpty());

        // Asked again: listed once. A refresh asks it again, as it asks the network.
        m_finder->addByAddress("127.0.0.10");
        QVERIFY(probed.wait(10000));
        QCOMPARE(countWithUuid(m_finder->getAll(), hotel->uuid()), 1);
        m_finder->refresh();
        QVERIFY(!listed("Hotel"));
        QTRY_VERIFY_WITH_TIMEOUT(listed("Hotel"), 10000);
        QCOMPARE(m_finder->addedAddresses(), QStringList({"127.0.0.10"}));
    }

    void addByAddressRefusesWhatDiscoveryWouldRefuse_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("why");
        const auto row = [](const char *name, const char *address, const char *why) {
            QTest::newRow(name) << QString(address) << QString(why);
        };
        row("model not compatible", "127.0.0.5", "127.0.0.5 is not a mixer");
        row("device information refused", "127.0.0.6", "127.0.0.6 is not a mixer");
        // Resolved to 127.0.0.1, where no mixer listens: the reason names the address reached.
        row("host name", "localhost", "no description at 127.0.0.1");
        row("not resolvable", "no-such-mixer.invalid", "cannot resolve");
    }

    void addByAddressRefusesWhatDiscoveryWouldRefuse()
    {
        QFETCH(QString, address);
        QFETCH(QString, why);
        const int listed = m_finder->getAll().size();
        QSignalSpy probed(m_finder, &QovOnlineDeviceFinder::addressProbed);
        QSignalSpy changed(m_finder, &QovOnlineDeviceFinder::deviceListChanged);
        m_finder->addByAddress(address);
        QVERIFY(probed.wait(15000));
        QCOMPARE(probed.at(0).at(0).toString(), address);
        const QString error = probed.at(0).at(1).toString();
        QVERIFY2(error.contains(why), qPrintable(error));
        QCOMPARE(m_finder->getAll().size(), listed);
        QCOMPARE(changed.count(), 0);
    }

    void twoMixersWithOneMacMatchNone()
    {
        const auto entry = std::make_shared<QovAppDeviceModelInternal>(
            "Hotel", QovDeviceSelector::ZEPH2208, "00:1D:C1:AA:00:10", 0, 7);
        QTRY_VERIFY_WITH_TIMEOUT(listed("Hotel"), 10000);
        QCOMPARE(m_finder->findByAppDevice(entry), listed("Hotel"));

        QSignalSpy probed(m_finder, &QovOnlineDeviceFinder::addressProbed);
        m_finder->addByAddress("127.0.0.11");
        QVERIFY(probed.wait(10000));
        QCOMPARE(probed.at(0).at(1).toString(), QString());
        // Either could be the entry's mixer; a reconnect must not write to whichever came first.
        QCOMPARE(m_finder->findAllByAppDevice(entry).size(), 2);
        const int warned = LogCollector::count("all answer with MAC");
        QVERIFY(!m_finder->findByAppDevice(entry));
        QCOMPARE(LogCollector::count("all answer with MAC"), warned + 1);
        QVERIFY(LogCollector::count("\"127.0.0.10, 127.0.0.11\" all answer with MAC") +
                    LogCollector::count("\"127.0.0.11, 127.0.0.10\" all answer with MAC") >=
                1);
    }

private:
    // Three checks end without listing: the unknown model, the updating one, the empty answer.
    void waitForRejections(int rejectedBefore)
    {
        QTRY_VERIFY_WITH_TIMEOUT(LogCollector::count("is not compatible model, skip.") +
                                         LogCollector::count("can not get device info,") >=
                                     rejectedBefore + 3,
                                 15000);
    }

    std::unique_ptr<TempProfile> m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
    QovOnlineDeviceFinder *m_finder = nullptr;
};

QTEST_MAIN(TestOnlineDeviceFinder)
#include "tst_onlinedevicefinder.moc"
