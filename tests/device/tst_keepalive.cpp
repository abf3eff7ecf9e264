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

// Mixers .2 to .4 answer; .5 and .6 exist only to prove that nobody asks them.
const char *kConfig = R"({"mixers": [
    {"address": "127.0.0.2"}, {"address": "127.0.0.3"}, {"address": "127.0.0.4"},
    {"address": "127.0.0.5"}, {"address": "127.0.0.6"}]})";

QovAppDeviceModel connectedDevice(const QString &address)
{
    return std::make_shared<QovAppDeviceModelInternal>(onlineDevice(address));
}

int keepAlivesAt(MixerSimProcess &sim, const QString &address)
{
    return sim.requests(address).filter(QStringLiteral("keepalive.cgi")).size();
}

} // namespace

// The keep-alive thread against simulated mixers: who is asked, who is marked MISSING and how
// soon, and that a late failing reply does not undo what a connection flow decided meanwhile.
class TestKeepAlive : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void silentMixerGoesMissingOthersStay();
    void passAsksAllAtOnce();
    void lateFailureKeepsNewerStatus_data();
    void lateFailureKeepsNewerStatus();
    void requestedPassRunsAtOnce();
    void passWaitsOutsideQtsOwnPool();
    void shutdownGivesUpRequestsInFlight();
    void retiredThreadEndsAfterItsPass();
    void missingMixerFollowedToItsAddedAddress();

private:
    TempProfile m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
};

void TestKeepAlive::initTestCase()
{
    velmora::test::requirePrivateNetwork();
    // Read once per process by the request functions: set before the first request.
    m_profile.writeProgramSettings(QStringLiteral("[Debug]\nkeepalive_interval=%1\n"
                                                  "http_timeout_ms=%2\n")
                                       .arg(kIntervalMs / 1000)
                                       .arg(kTimeoutMs)
                                       .toUtf8());
    m_sim = std::make_unique<MixerSimProcess>(kConfig);
    QVERIFY2(m_sim->problem().isEmpty(), qPrintable(m_sim->problem()));
}

void TestKeepAlive::init()
{
    for (int last = 2; last <= 6; ++last) {
        QVERIFY(m_sim->reset(QStringLiteral("127.0.0.%1").arg(last)));
    }
}

void TestKeepAlive::silentMixerGoesMissingOthersStay()
{
    const QovAppDeviceModel first = connectedDevice("127.0.0.2");
    const QovAppDeviceModel silent = connectedDevice("127.0.0.3");
    const QovAppDeviceModel third = connectedDevice("127.0.0.4");
    // Skipped: not CONNECTED, or no API for its type.
    const QovAppDeviceModel disconnected = connectedDevice("127.0.0.5");
    disconnected->setStatus(QovAppDeviceModelInternal::DISCONNECTED);
    const QovAppDeviceModel unknown = connectedDevice("127.0.0.6");
    unknown->setDeviceType(QovDeviceSelector::Unknown);

    auto project = std::make_shared<QovWatchedProject>();
    project->publish("Watched", {first, silent, third, disconnected, unknown});
    QovKeepAliveThread thread(project);
    QElapsedTimer sinceStart;
    sinceStart.start();
    thread.start();

    // The first pass comes one interval after the start.
    QTRY_VERIFY_WITH_TIMEOUT(keepAlivesAt(*m_sim, "127.0.0.2") >= 1, 3 * kIntervalMs);
    QVERIFY(sinceStart.elapsed() >= kIntervalMs - 50);

    QVERIFY(m_sim->setFaults("127.0.0.3", R"({"silent": true})"));
    QElapsedTimer sinceSilent;
    sinceSilent.start();
    QTRY_COMPARE_WITH_TIMEOUT(silent->status(), QovAppDeviceModelInternal::MISSING,
                              3 * (kIntervalMs + kTimeoutMs));
    // One interval plus the failing request's time-out, with room for a loaded machine.
    QVERIFY2(sinceSilent.elapsed() <= 2 * (kIntervalMs + kTimeoutMs),
             qPrintable(QString::number(sinceSilent.elapsed())));

    // Another pass or two: the answering mixers stay connected.
    const int asked = keepAlivesAt(*m_sim, "127.0.0.2");
    QTRY_VERIFY_WITH_TIMEOUT(keepAlivesAt(*m_sim, "127.0.0.2") >= asked + 2, 4 * kIntervalMs);
    QCOMPARE(first->status(), QovAppDeviceModelInternal::CONNECTED);
    QCOMPARE(third->status(), QovAppDeviceModelInternal::CONNECTED);
    QCOMPARE(unknown->status(), QovAppDeviceModelInternal::CONNECTED);
    QCOMPARE(disconnected->status(), QovAppDeviceModelInternal::DISCONNECTED);
    QCOMPARE(keepAlivesAt(*m_sim, "127.0.0.5"), 0);
    QCOMPARE(keepAlivesAt(*m_sim, "127.0.0.6"), 0);
    // A MISSING mixer is no longer asked, and answering again would not bring it back.
    QVERIFY(m_sim->setFaults("127.0.0.3", "{}"));
    QVERIFY(m_sim->clearRequests("127.0.0.3"));
    const int before = keepAlivesAt(*m_sim, "127.0.0.2");
    QTRY_VERIFY_WITH_TIMEOUT(keepAlivesAt(*m_sim, "127.0.0.2") >= before + 1, 3 * kIntervalMs);
    QCOMPARE(keepAlivesAt(*m_sim, "127.0.0.3"), 0);
    QCOMPARE(silent->status(), QovAppDeviceModelInternal::MISSING);

    thread.quit();
    QVERIFY(thread.wait(5000));
}

void TestKeepAlive::passAsksAllAtOnce()
{
    QVector<QovAppDeviceModel> devices;
    for (int last = 2; last <= 4; ++last) {
        const QString address = QStringLiteral("127.0.0.%1").arg(last);
        QVERIFY(m_sim->setFaults(address, R"({"delayMs": 400})"));
        devices << connectedDevice(address);
    }
    QovWatchedProject project;
    project.publish("Slow", devices);

    QElapsedTimer pass;
    pass.start();
    QovKeepAliveThread::keepAlivePass(project, this);
    // One after another would take three delays.
    QVERIFY2(pass.elapsed() < 3 * 400, qPrintable(QString::number(pass.elapsed())));
    for (const QovAppDeviceModel &device : devices) {
        QCOMPARE(device->status(), QovAppDeviceModelInternal::CONNECTED);
    }
}

void TestKeepAlive::lateFailureKeepsNewerStatus_data()
{
    QTest::addColumn<QList<int>>("flow");
    using D = QovAppDeviceModelInternal;
    QTest::newRow("disconnected") << QList<int>{D::DISCONNECTED};
    // Lost, then connected again before the old pass's reply came in.
    QTest::newRow("reconnected") << QList<int>{D::MISSING, D::CONNECTED};
    // Connected again over the connection the pass was checking.
    QTest::newRow("connected anew") << QList<int>{D::CONNECTED};
}

void TestKeepAlive::lateFailureKeepsNewerStatus()
{
    QFETCH(QList<int>, flow);
    // A failing reply arrives after a connection flow changed the device.
    QVERIFY(m_sim->setFaults("127.0.0.2", R"({"delayMs": 400, "rcode": 7})"));
    const QovAppDeviceModel device = connectedDevice("127.0.0.2");
    QovWatchedProject project;
    project.publish("Late", {device});

    QFuture<void> pass =
        QtConcurrent::run([&project] { QovKeepAliveThread::keepAlivePass(project, nullptr); });
    QTRY_COMPARE(keepAlivesAt(*m_sim, "127.0.0.2"), 1);
    for (int status : flow) {
        device->setStatus(static_cast<QovAppDeviceModelInternal::Status>(status));
    }
    pass.waitForFinished();
    QTest::qWait(50); // the status write runs on this thread
    QCOMPARE(static_cast<int>(device->status()), flow.last());

    // A reply to the connection it checked marks it.
    device->setStatus(QovAppDeviceModelInternal::CONNECTED);
    QovKeepAliveThread::keepAlivePass(project, nullptr);
    QTRY_COMPARE(device->status(), QovAppDeviceModelInternal::MISSING);
}

void TestKeepAlive::requestedPassRunsAtOnce()
{
    m_profile.writeProgramSettings("[Debug]\nkeepalive_interval=30\n");
    QVERIFY(m_sim->setFaults("127.0.0.4", R"({"rcode": 7})"));
    const QovAppDeviceModel device = connectedDevice("127.0.0.4");
    auto project = std::make_shared<QovWatchedProject>();
    project->publish("Requested", {device});
    {
        QovKeepAliveThread thread(project);
        thread.start();
        thread.requestKeepAlive();
        // The thread object may go while its requested pass still runs.
    }
    QTRY_COMPARE_WITH_TIMEOUT(device->status(), QovAppDeviceModelInternal::MISSING, 3000);
}

// Qt's global pool runs short jobs the GUI thread waits for (an animation frame's conversion);
// a pass waiting for a slow mixer there stalled the window for as long as it waited.
void TestKeepAlive::passWaitsOutsideQtsOwnPool()
{
    m_profile.writeProgramSettings("[Debug]\nkeepalive_interval=30\n");
    QVERIFY(m_sim->setFaults("127.0.0.2", R"({"delayMs": 1500})"));
    auto project = std::make_shared<QovWatchedProject>();
    project->publish("Slow", {connectedDevice("127.0.0.2")});
    QovKeepAliveThread thread(project);
    thread.start();
    thread.requestKeepAlive();
    QTRY_VERIFY_WITH_TIMEOUT(keepAlivesAt(*m_sim, "127.0.0.2") >= 1, 3000);
    QCOMPARE(qovWorkerPool()->activeThreadCount(), 1);
    QCOMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
    QVERIFY(qovWorkerPool()->waitForDone(10000));
    thread.quit();
    thread.wait();
}

// At exit the program gives up what is still out instead of waiting for a silent mixer's
// deadline; what starts afterwards runs as usual.
void TestKeepAlive::shutdownGivesUpRequestsInFlight()
{
    m_profile.writeProgramSettings("[Debug]\nkeepalive_interval=1\n");
    QVERIFY(m_sim->setFaults("127.0.0.2", R"({"delayMs": 20000})"));
    const QovAppDeviceModel device = connectedDevice("127.0.0.2");
    auto project = std::make_shared<QovWatchedProject>();
    project->publish("Exit", {device});
    auto *thread = new QovKeepAliveThread(project);
    thread->start();
    QTRY_VERIFY_WITH_TIMEOUT(keepAlivesAt(*m_sim, "127.0.0.2") >= 1, 3000);
    thread->retire();
    QovCurlRequest::abortInFlight();
    // Without the abort the pass would wait for its whole request deadline.
    QVERIFY(QovKeepAliveThread::waitForRetired(4000));

    QVERIFY(m_sim->setFaults("127.0.0.2", "{}"));
    device->setStatus(QovAppDeviceModelInternal::CONNECTED);
    QovKeepAliveThread::keepAlivePass(*project, nullptr);
    QTest::qWait(50); // a MISSING mark would be written on this thread
    QCOMPARE(device->status(), QovAppDeviceModelInternal::CONNECTED);
}

void TestKeepAlive::retiredThreadEndsAfterItsPass()
{
    // The window that owns the thread closes while a pass waits on a slow mixer.
    m_profile.writeProgramSettings(
        QStringLiteral("[Debug]\nkeepalive_interval=%1\n").arg(kIntervalMs / 1000).toUtf8());
    QVERIFY(m_sim->setFaults("127.0.0.2", R"({"delayMs": 800})"));
    auto project = std::make_shared<QovWatchedProject>();
    project->publish("Closing", {connectedDevice("127.0.0.2")});
    QPointer<QovKeepAliveThread> thread = new QovKeepAliveThread(project);
    thread->start();
    QTRY_VERIFY_WITH_TIMEOUT(keepAlivesAt(*m_sim, "127.0.0.2") >= 1, 3 * kIntervalMs);

    thread->retire();
    // Returned without waiting for the reply: the pass is still out.
    QVERIFY(thread);
    QVERIFY(thread->isRunning());
    QVERIFY(QovKeepAliveThread::waitForRetired(10000));
    // Then it deletes itself, on this thread.
    QTRY_VERIFY(thread.isNull());
    QVERIFY(QovKeepAliveThread::waitForRetired(0));
}

void TestKeepAlive::missingMixerFollowedToItsAddedAddress()
{
    const QovAppDeviceModel moved = connectedDevice("127.0.0.4");
    // Its added address now holds a mixer with another MAC: that one is not its mixer.
    const QovAppDeviceModel impostor = connectedDevice("127.0.0.2");
    impostor->setAddedAddress("127.0.0.3");
    for (const QovAppDeviceModel &device : {moved, impostor}) {
        device->setStatus(QovAppDeviceModelInternal::MISSING);
    }
    QVERIFY(m_sim->stopMixer("127.0.0.2"));
    QVERIFY(m_sim->moveMixer("127.0.0.4", "127.0.0.9"));
    QovWatchedProject project;
    project.publish("Watched", {moved, impostor});

    QVERIFY2(QovKeepAliveThread::keepAlivePass(project, this).isEmpty(),
             "nothing answers at the addresses they had");
    // Added by a host name or an address, it is asked there too, found, and followed.
    moved->setAddedAddress("127.0.0.9");
    const QVector<QovAppDeviceModel> answering = QovKeepAliveThread::keepAlivePass(project, this);
    QCOMPARE(answering, QVector<QovAppDeviceModel>{moved});
    QCOMPARE(moved->ipAddress(), QString("127.0.0.9"));
    QCOMPARE(impostor->ipAddress(), QString("127.0.0.2"));
    QVERIFY(m_sim->requests("127.0.0.3").filter("gdeviceinfo.cgi").size() >= 1);

    QVERIFY(m_sim->moveMixer("127.0.0.9", "127.0.0.4"));
    QVERIFY(m_sim->startMixer("127.0.0.2"));
}

QTEST_GUILESS_MAIN(TestKeepAlive)
#include "tst_keepalive.moc"
