#include "device/qovcgiapifactory.h"
#include "device/qovcgiapizeph2208.h"
#include "device/qovhttprequests.h"
#include "logcollector.h"
#include "simdevices.h"
#include "simulatedmixers.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

namespace {
const QString kPrimary = "127.0.1.2";
const QString kStandalone = "127.0.1.3";
const int kTimeoutMs = 1500;

QByteArray timeoutSetting(int ms)
{
    return "[Debug]\nhttp_timeout_ms=" + QByteArray::number(ms) + "\n";
}
} // namespace

// The operations that concern a mixer as a whole, against the simulator: that they start at once
// and end within the deadline, the factories, disconnect and the inactivity limit. Device
// information is read end to end by tst_onlinedevicefinder and parsed field by field in
// tst_cgireply, whose rcode rule identify and keep-alive apply to their replies.
class TestCgiApi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        const QString problem = startSimulatedMixers(
            timeoutSetting(kTimeoutMs),
            R"({"mixers":[{"address":"127.0.1.2"},{"address":"127.0.1.3","model":"ZEPH-2208NET"}]})",
            &m_profile, &m_sim);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void init()
    {
        for (const QString &address : {kPrimary, kStandalone}) {
            QVERIFY(m_sim->reset(address));
            QVERIFY(m_sim->startMixer(address));
        }
    }

    void operationStartsAtOnce()
    {
        QVERIFY(m_sim->setFaults(kStandalone, R"({"delayMs":600})"));
        QElapsedTimer timer;
        timer.start();
        std::future<bool> alive = m_api.identify(onlineDevice(kStandalone));
        // Waiting would take the mixer's whole delay.
        QVERIFY2(timer.elapsed() < 600, "the operation must not wait for the mixer");
        QCOMPARE(alive.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
        QVERIFY(alive.get());
        QVERIFY(timer.elapsed() >= 600);
    }

    void silentMixerFailsWithinTimeout_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("firstRequest");

        QTest::newRow("device information") << "info"
                                            << "GET /cgi-bin/appcmd/gdeviceinfo.cgi";
        QTest::newRow("download") << "download"
                                  << "GET /cgi-bin/appcmd/filedownload.cgi?target=2&bank=0";
        QTest::newRow("upload") << "upload"
                                << "GET /cgi-bin/appcmd/beginupload.cgi?target=2&bank=0";
    }
    void silentMixerFailsWithinTimeout()
    {
        QFETCH(QString, operation);
        QVERIFY(m_sim->setFaults(kStandalone, R"({"silent":true})"));
        const QovOnlineDeviceModel mixer = onlineDevice(kStandalone);
        QElapsedTimer timer;
        timer.start();
        if (operation == "info") {
            QCOMPARE(m_api.getDeviceInfo(mixer).get().error, QString("unknown Error"));
        } else if (operation == "download") {
            QCOMPARE(m_api.downloadZephData(mixer).get().error, QString("failed to get preset"));
        } else {
            QVERIFY(
                !m_api.uploadZephData(mixer, std::make_shared<QovAppDeviceModelInternal>()).get());
        }
        // A mixer that says nothing at all may think as long as the setting allows, and no longer.
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(elapsed >= kTimeoutMs - 100 && elapsed < 2 * kTimeoutMs,
                 qPrintable(QString::number(elapsed)));
        // The mixer did receive the request: it is silent, not unreachable. Nothing followed.
        QTEST(m_sim->requests(kStandalone).join(";"), "firstRequest");
    }

    void slowMixerWithinLongerSetting()
    {
        // A user who allows 30 s waits for a mixer that thinks for 7 s before its first byte.
        useTimeoutSetting(30000);
        QVERIFY(m_sim->setFaults(kStandalone, R"({"delayMs":7000})"));
        const QovCgiApi::DeviceInfo info = m_api.getDeviceInfo(onlineDevice(kStandalone)).get();
        useTimeoutSetting(kTimeoutMs);
        QCOMPARE(info.error, QString());
        QVERIFY(!info.macAddress.isEmpty());
    }

    void factories_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("served");

        QTest::newRow("ZEPH-2208") << int(QovDeviceSelector::ZEPH2208) << "ZEPH-2208" << true;
        QTest::newRow("ZEPH-2208NET")
            << int(QovDeviceSelector::ZEPH2208NET) << "ZEPH-2208NET" << true;
        QTest::newRow("Unknown") << int(QovDeviceSelector::Unknown) << "Unknown" << false;
        QTest::newRow("letter case differs")
            << int(QovDeviceSelector::Unknown) << "ZEPH-2208net" << false;
    }
    void factories()
    {
        QFETCH(int, type);
        QFETCH(QString, model);
        QFETCH(bool, served);
        auto project = std::make_shared<QovAppDeviceModelInternal>();
        project->setDeviceType(QovDeviceSelector::DeviceType(type));
        std::unique_ptr<QovCgiApi> forProject(createCgiApi(project));
        std::unique_ptr<QovCgiApi> forOnline(createCgiApi(onlineDevice(kPrimary, model)));
        QCOMPARE(qobject_cast<QovCgiApiZeph2208 *>(forProject.get()) != nullptr, served);
        QCOMPARE(qobject_cast<QovCgiApiZeph2208 *>(forOnline.get()) != nullptr, served);
        QCOMPARE(forProject != nullptr, served);
        QCOMPARE(forOnline != nullptr, served);
    }

    void disconnectWhileMixerIsDown()
    {
        QVERIFY(m_sim->stopMixer(kPrimary));
        auto project = std::make_shared<QovAppDeviceModelInternal>();
        project->setIpAddress(kPrimary);
        project->setMacAddress("00:1D:C1:0A:0B:0C");
        project->setStatus(QovAppDeviceModelInternal::CONNECTED);
        QVERIFY(m_api.disconnectDevice(project).get());
        QCOMPARE(project->ipAddress(), QString());
        QCOMPARE(project->macAddress(), QString());
        QCOMPARE(project->status(), QovAppDeviceModelInternal::DISCONNECTED);
        QVERIFY(!m_api.keepAlive(project).get());
    }

    void apiObjectMayGoBeforeItsFuture()
    {
        // A full download takes far longer than the delete below.
        const QovOnlineDeviceModel mixer = onlineDevice(kStandalone, "ZEPH-2208NET");
        auto project = std::make_shared<QovAppDeviceModelInternal>();
        QovCgiApi *api = createCgiApi(mixer);
        QVERIFY(api);
        std::future<bool> connected = api->connectDevice(false, project, mixer);
        std::future<bool> alive = api->identify(mixer);
        delete api;
        QVERIFY(alive.get());
        QVERIFY(connected.get());
        QCOMPARE(project->status(), QovAppDeviceModelInternal::CONNECTED);
        QCOMPARE(project->ipAddress(), kStandalone);
    }

    void settingsAreReadOnce()
    {
        // The deadline was read once, by the first request of this process.
        QCOMPARE(httpTimeoutMs(), kTimeoutMs);
        m_profile->writeProgramSettings(timeoutSetting(0));
        LogCollector::install();
        LogCollector::clear();
        auto project = std::make_shared<QovAppDeviceModelInternal>();
        project->setIpAddress(kStandalone);
        for (int i = 0; i < 5; ++i) {
            QVERIFY(m_api.keepAlive(project).get());
        }
        QCOMPARE(LogCollector::count("program settings"), 0);
        QCOMPARE(httpTimeoutMs(), kTimeoutMs);
        // Saved settings are read again on request; 0 means the default, never an endless wait.
        reloadHttpSettings();
        QCOMPARE(httpTimeoutMs(), 10000);
        useTimeoutSetting(kTimeoutMs);
        QCOMPARE(httpTimeoutMs(), kTimeoutMs);
    }

private:
    void useTimeoutSetting(int ms)
    {
        m_profile->writeProgramSettings(timeoutSetting(ms));
        reloadHttpSettings();
    }

    std::unique_ptr<TempProfile> m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
    QovCgiApiZeph2208 m_api;
};

QTEST_GUILESS_MAIN(TestCgiApi)
#include "tst_cgiapi.moc"
