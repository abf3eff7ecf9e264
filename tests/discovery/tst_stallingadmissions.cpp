// Mixers that stall their device information request while the finder checks them: they hold
// up neither a healthy mixer's listing nor work the user starts on the global pool.
#include "discovery/qovonlinedevicefinder.h"
#include "logcollector.h"
#include "mixersimprocess.h"
#include "simulatedmixers.h"
#include "tempprofile.h"

#include <QFutureWatcher>
#include <QSignalSpy>
#include <QtConcurrent>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {
const QStringList kStalling = {"127.0.5.2", "127.0.5.3", "127.0.5.4",
                               "127.0.5.5", "127.0.5.6", "127.0.5.7"};
const QString kHealthy = "127.0.5.8";
// Far beyond every wait below: a stalled check ends only when the test stops its mixer.
const QByteArray kSettings = "[Debug]\nhttp_timeout_ms=60000\n";
const int kWaitMs = 15000;

QByteArray config()
{
    QByteArray mixers;
    for (const QString &address : kStalling) {
        mixers += QString(R"({"address":"%1","faults":{"requests":[)"
                          R"({"endpoint":"gdeviceinfo.cgi","fault":"stall"}]}},)")
                      .arg(address)
                      .toUtf8();
    }
    return R"({"mixers":[)" + mixers + R"({"address":"127.0.5.8","name":"Healthy"}]})";
}

// A report as the library hands it over; the finder is fed directly, so the stalling mixers
// are reported first on every run.
QovOnlineDeviceModel reportFor(const QString &address)
{
    return std::make_shared<QovOnlineDeviceModelInternal>(
        QovDiscoveredDevice{"1" + address.section('.', 3), "uuid:stall-" + address,
                            "Mixer " + address, "ZEPH-2208", address});
}

bool listed(QovOnlineDeviceFinder *finder, const QString &address)
{
    const auto devices = finder->getAll();
    return std::any_of(devices.cbegin(), devices.cend(),
                       [&](const QovOnlineDeviceModel &d) { return d->ipAddress() == address; });
}
} // namespace

class TestStallingAdmissions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        LogCollector::install();
        const QString problem = startSimulatedMixers(kSettings, config(), &m_profile, &m_sim);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void cleanupTestCase()
    {
        // Their checks end with the connections, so the process need not wait for the deadline.
        for (const QString &address : kStalling) {
            m_sim->stopMixer(address);
        }
    }

    void stallingMixersHoldUpNobody()
    {
        QovOnlineDeviceFinder *finder = QovOnlineDeviceFinder::instance();
        for (const QString &address : kStalling) {
            finder->onDeviceAdded(reportFor(address));
        }
        // Every stalling mixer is being asked at once: none waits for another to give up.
        for (const QString &address : kStalling) {
            QTRY_VERIFY2_WITH_TIMEOUT(
                m_sim->requests(address).contains("GET /cgi-bin/appcmd/gdeviceinfo.cgi"),
                qPrintable(address + " was never asked"), kWaitMs);
        }

        finder->onDeviceAdded(reportFor(kHealthy));
        QTRY_VERIFY_WITH_TIMEOUT(listed(finder, kHealthy), kWaitMs);

        // A user's action on the global pool (a connection, Compare) starts while they stall.
        QFutureWatcher<bool> action;
        QSignalSpy finished(&action, &QFutureWatcher<bool>::finished);
        action.setFuture(QtConcurrent::run([] { return true; }));
        QVERIFY(finished.count() == 1 || finished.wait(kWaitMs));
        QVERIFY(action.result());

        // All of that happened while every stalling check was still waiting.
        QCOMPARE(LogCollector::count("can not get device info,"), 0);
        for (const QString &address : kStalling) {
            QVERIFY2(!listed(finder, address), qPrintable(address));
        }
    }

private:
    std::unique_ptr<TempProfile> m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
};

QTEST_MAIN(TestStallingAdmissions)
#include "tst_stallingadmissions.moc"
