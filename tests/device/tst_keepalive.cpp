#include "device/qovcurlrequest.h"
#include "device/qovkeepalivethread.h"
#include "device/qovwatchedproject.h"
#include "mixersimprocess.h"
#include "models/qovworkerpool.h"
#include "privatenetwork.h"
#include "simdevices.h"
#include "tempprofile.h"

#include <QElapsedTimer>
#include <QThreadPool>
#include <QtConcurrent>
#include <QtTest>

#include <memory>

namespace {

const int kIntervalMs = 1000;
const int kTimeoutMs = 1000;
using Device = QovAppDeviceModelInternal;

// Mixers .2 to .4 answer; .5 and .6 exist only to prove that nobody asks them.
const char *kConfig = R"({"mixers": [
    {"address": "127.0.0.2"}, {"address": "127.0.0.3"}, {"address": "127.0.0.4"},
    {"address": "127.0.0.5"}, {"address": "127.0.0.6"}]})";

QovAppDeviceModel connectedDevice(const QString &address)
{
    return std::make_shared<Device>(onlineDevice(address));
}

std::shared_ptr<QovWatchedProject> watched(const QVector<QovAppDeviceModel> &devices)
{
    auto project = std::make_shared<QovWatchedProject>();
    project->publish("Watched", devices);
    return project;
}

} // namespace

// The keep-alive thread against simulated mixers: who is asked, who is marked MISSING and how
// soon, and that a late failing reply does not undo what a connection flow decided meanwhile.
class TestKeepAlive : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        velmora::test::requirePrivateNetwork();
        // Read once per process by the request functions: set before the first request.
        m_profile.writeProgramSettings(
            "[Debug]\nkeepalive_interval=" + QByteArray::number(kIntervalMs / 1000) +
            "\nhttp_timeout_ms=" + QByteArray::number(kTimeoutMs));
        m_sim = std::make_unique<MixerSimProcess>(kConfig);
        QVERIFY2(m_sim->problem().isEmpty(), qPrintable(m_sim->problem()));
    }

    void init()
    {
        for (int last = 2; last <= 6; ++last) {
            QVERIFY(m_sim->reset(QStringLiteral("127.0.0.%1").arg(last)));
        }
    }

    void silentMixerGoesMissingOthersStay()
    {
        const QovAppDeviceModel first = connectedDevice("127.0.0.2");
        const QovAppDeviceModel silent = connectedDevice("127.0.0.3");
        const QovAppDeviceModel third = connectedDevice("127.0.0.4");
        // Skipped: not CONNECTED, or no API for its type.
        const QovAppDeviceModel disconnected = connectedDevice("127.0.0.5");
        disconnected->setStatus(Device::DISCONNECTED);
        const QovAppDeviceModel unknown = connectedDevice("127.0.0.6");
        unknown->setDeviceType(QovDeviceSelector::Unknown);

        QovKeepAliveThread thread(watched({first, silent, third, disconnected, unknown}));
        QElapsedTimer sinceStart;
        sinceStart.start();
        thread.start();

        // The first pass comes one interval after the start.
        QTRY_VERIFY_WITH_TIMEOUT(asked("127.0.0.2") >= 1, 3 * kIntervalMs);
        QVERIFY(sinceStart.elapsed() >= kIntervalMs - 50);

        QVERIFY(m_sim->setFaults("127.0.0.3", R"({"silent": true})"));
        QElapsedTimer sinceSilent;
        sinceSilent.start();
        QTRY_COMPARE_WITH_TIMEOUT(silent->status(), Device::MISSING,
                                  3 * (kIntervalMs + kTimeoutMs));
        // One interval plus the failing request's time-out, with room for a loaded machine.
        QVERIFY2(sinceSilent.elapsed() <= 2 * (kIntervalMs + kTimeoutMs),
                 qPrintable(QString::number(sinceSilent.elapsed())));

        // Another pass or two: the answering mixers stay connected.
        const int passes = asked("127.0.0.2");
        QTRY_VERIFY_WITH_TIMEOUT(asked("127.0.0.2") >= passes + 2, 4 * kIntervalMs);
        QCOMPARE(first->status(), Device::CONNECTED);
        QCOMPARE(third->status(), Device::CONNECTED);
        QCOMPARE(unknown->status(), Device::CONNECTED);
        QCOMPARE(disconnected->status(), Device::DISCONNECTED);
        QCOMPARE(asked("127.0.0.5"), 0);
        QCOMPARE(asked("127.0.0.6"), 0);
        // A MISSING mixer is no longer asked, and answering again would not bring it back.
        QVERIFY(m_sim->setFaults("127.0.0.3", "{}"));
        QVERIFY(m_sim->clearRequests("127.0.0.3"));
        const int before = asked("127.0.0.2");
        QTRY_VERIFY_WITH_TIMEOUT(asked("127.0.0.2") >= before + 1, 3 * kIntervalMs);
        QCOMPARE(asked("127.0.0.3"), 0);
        QCOMPARE(silent->status(), Device::MISSING);

        thread.quit();
        QVERIFY(thread.wait(5000));
    }

    void passAsksAllAtOnce()
    {
        QVector<QovAppDeviceModel> devices;
        for (int last = 2; last <= 4; ++last) {
            const QString address = QStringLiteral("127.0.0.%1").arg(last);
            QVERIFY(m_sim->setFaults(address, R"({"delayMs": 400})"));
            devices << connectedDevice(address);
        }
        QElapsedTimer pass;
        pass.start();
        QovKeepAliveThread::keepAlivePass(*watched(devices), this);
        // One after another would take three delays.
        QVERIFY2(pass.elapsed() < 3 * 400, qPrintable(QString::number(pass.elapsed())));
        for (const QovAppDeviceModel &device : devices) {
            QCOMPARE(device->status(), Device::CONNECTED);
        }
    }

    void lateFailureKeepsNewerStatus_data()
    {
        QTest::addColumn<QList<int>>("flow");
        QTest::newRow("disconnected") << QList<int>{Device::DISCONNECTED};
        // Lost, then connected again before the old pass's reply came in.
        QTest::newRow("reconnected") << QList<int>{Device::MISSING, Device::CONNECTED};
        // Connected again over the connection the pass was checking.
        QTest::newRow("connected anew") << QList<int>{Device::CONNECTED};
    }
    void lateFailureKeepsNewerStatus()
    {
        QFETCH(QList<int>, flow);
        // A failing reply arrives after a connection flow changed the device.
        QVERIFY(m_sim->setFaults("127.0.0.2", R"({"delayMs": 400, "rcode": 7})"));
        const QovAppDeviceModel device = connectedDevice("127.0.0.2");
        const auto project = watched({device});

        QFuture<void> pass =
            QtConcurrent::run([project] { QovKeepAliveThread::keepAlivePass(*project, nullptr); });
        QTRY_COMPARE(asked("127.0.0.2"), 1);
        for (int status : flow) {
            device->setStatus(static_cast<Device::Status>(status));
        }
        pass.waitForFinished();
        QTest::qWait(50); // the status write runs on this thread
        QCOMPARE(static_cast<int>(device->status()), flow.last());

        // A reply to the connection it checked marks it.
        device->setStatus(Device::CONNECTED);
        QovKeepAliveThread::keepAlivePass(*project, nullptr);
        QTRY_COMPARE(device->status(), Device::MISSING);
    }

    void requestedPassRunsAtOnce()
    {
        m_profile.writeProgramSettings("[Debug]\nkeepalive_interval=30\n");
        QVERIFY(m_sim->setFaults("127.0.0.4", R"({"rcode": 7})"));
        const QovAppDeviceModel device = connectedDevice("127.0.0.4");
        {
            QovKeepAliveThread thread(watched({device}));
            thread.start();
            thread.requestKeepAlive();
            // The thread object may go while its requested pass still runs.
        }
        QTRY_COMPARE_WITH_TIMEOUT(device->status(), Device::MISSING, 3000);
    }

    // Qt's global pool runs short jobs the GUI thread waits for (an animation frame's
    // conversion); a pass waiting for a slow mixer there stalled the window for as long as it
    // waited.
    void passWaitsOutsideQtsOwnPool()
    {
        m_profile.writeProgramSettings("[Debug]\nkeepalive_interval=30\n");
        QVERIFY(m_sim->setFaults("127.0.0.2", R"({"delayMs": 1500})"));
        QovKeepAliveThread thread(watched({connectedDevice("127.0.0.2")}));
        thread.start();
        thread.requestKeepAlive();
        QTRY_VERIFY_WITH_TIMEOUT(asked("127.0.0.2") >= 1, 3000);
        QCOMPARE(qovWorkerPool()->activeThreadCount(), 1);
        QCOMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
        QVERIFY(qovWorkerPool()->waitForDone(10000));
        thread.quit();
        thread.wait();
    }

    // At exit the program gives up what is still out instead of waiting for a silent mixer's
    // deadline; what starts afterwards runs as usual.
    void shutdownGivesUpRequestsInFlight()
    {
        m_profile.writeProgramSettings("[Debug]\nkeepalive_interval=1\n");
        QVERIFY(m_sim->setFaults("127.0.0.2", R"({"delayMs": 20000})"));
        const QovAppDeviceModel device = connectedDevice("127.0.0.2");
        const auto project = watched({device});
        auto *thread = new QovKeepAliveThread(project);
        thread->start();
        QTRY_VERIFY_WITH_TIMEOUT(asked("127.0.0.2") >= 1, 3000);
        thread->retire();
        QovCurlRequest::abortInFlight();
        // Without the abort the pass would wait for its whole request deadline.
        QVERIFY(QovKeepAliveThread::waitForRetired(4000));

        QVERIFY(m_sim->setFaults("127.0.0.2", "{}"));
        device->setStatus(Device::CONNECTED);
        QovKeepAliveThread::keepAlivePass(*project, nullptr);
        QTest::qWait(50); // a MISSING mark would be written on this thread
        QCOMPARE(device->status(), Device::CONNECTED);
    }

    void retiredThreadEndsAfterItsPass()
    {
        // The window that owns the thread closes while a pass waits on a slow mixer.
        m_profile.writeProgramSettings("[Debug]\nkeepalive_interval=" +
                                       QByteArray::number(kIntervalMs / 1000));
        QVERIFY(m_sim->setFaults("127.0.0.2", R"({"delayMs": 800})"));
        QPointer<QovKeepAliveThread> thread =
            new QovKeepAliveThread(watched({connectedDevice("127.0.0.2")}));
        thread->start();
        QTRY_VERIFY_WITH_TIMEOUT(asked("127.0.0.2") >= 1, 3 * kIntervalMs);

        thread->retire();
        // Returned without waiting for the reply: the pass is still out.
        QVERIFY(thread);
        QVERIFY(thread->isRunning());
        QVERIFY(QovKeepAliveThread::waitForRetired(10000));
        // Then it deletes itself, on this thread.
        QTRY_VERIFY(thread.isNull());
        QVERIFY(QovKeepAliveThread::waitForRetired(0));
    }

    // A DHCP server may give a lost mixer's address to another one before the next pass; that
    // one answers the keep-alive, but the entry must not stay connected to it.
    void connectedEntryLosesItsAddressToAnotherMixer()
    {
        const QovAppDeviceModel gone = connectedDevice("127.0.0.2");
        const QovAppDeviceModel moved = connectedDevice("127.0.0.3");
        const QovAppDeviceModel stays = connectedDevice("127.0.0.4");
        const QovAppDeviceModel noMac = connectedDevice("127.0.0.5");
        noMac->setMacAddress(QString());
        QVERIFY(m_sim->moveMixer("127.0.0.2", "127.0.0.9"));
        QVERIFY(m_sim->moveMixer("127.0.0.3", "127.0.0.2"));

        QovKeepAliveThread::keepAlivePass(*watched({gone, moved, stays, noMac}), this);
        QTRY_COMPARE(gone->status(), Device::MISSING);
        QTRY_COMPARE(moved->status(), Device::MISSING);
        // Its own mixer, and one whose MAC nobody knows: both answer and stay.
        QCOMPARE(stays->status(), Device::CONNECTED);
        QCOMPARE(noMac->status(), Device::CONNECTED);
        QCOMPARE(gone->ipAddress(), QString("127.0.0.2"));

        QVERIFY(m_sim->moveMixer("127.0.0.2", "127.0.0.3"));
        QVERIFY(m_sim->moveMixer("127.0.0.9", "127.0.0.2"));
    }

    void missingMixerFollowedToItsAddedAddress()
    {
        const QovAppDeviceModel moved = connectedDevice("127.0.0.4");
        // Its added address now holds a mixer with another MAC: that one is not its mixer.
        const QovAppDeviceModel impostor = connectedDevice("127.0.0.2");
        impostor->setAddedAddress("127.0.0.3");
        moved->setStatus(Device::MISSING);
        impostor->setStatus(Device::MISSING);
        QVERIFY(m_sim->stopMixer("127.0.0.2"));
        QVERIFY(m_sim->moveMixer("127.0.0.4", "127.0.0.9"));
        const auto project = watched({moved, impostor});

        QVERIFY2(QovKeepAliveThread::keepAlivePass(*project, this).isEmpty(),
                 "nothing answers at the addresses they had");
        // Added by a host name or an address, it is asked there too, found, and followed.
        moved->setAddedAddress("127.0.0.9");
        QCOMPARE(QovKeepAliveThread::keepAlivePass(*project, this),
                 QVector<QovAppDeviceModel>{moved});
        QCOMPARE(moved->ipAddress(), QString("127.0.0.9"));
        QCOMPARE(impostor->ipAddress(), QString("127.0.0.2"));
        QVERIFY(m_sim->requests("127.0.0.3").filter("gdeviceinfo.cgi").size() >= 1);

        QVERIFY(m_sim->moveMixer("127.0.0.9", "127.0.0.4"));
        QVERIFY(m_sim->startMixer("127.0.0.2"));
    }

private:
    // How many keep-alive requests the mixer at `address` received.
    int asked(const QString &address)
    {
        return m_sim->requests(address).filter(QStringLiteral("keepalive.cgi")).size();
    }

    TempProfile m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
};

QTEST_GUILESS_MAIN(TestKeepAlive)
#include "tst_keepalive.moc"
