// The simulator process as the application meets it: its mixers are found by discovery, take
// commands, and vanish and return when the control interface stops and starts them.
#include "ovtesthelpers.h"
#include "privatenetwork.h"

#include "ovlib/devicemanagerimpl.h"
#include "ovlib/ovcommand.h"
#include "ovlib/ovresponseobject.h"
#include "ovlib/ovupnpdevice.h"
#include "ovlib/ssdpsearch.h"

#include <QProcess>
#include <QTcpSocket>
#include <QtTest>

using namespace ovlib;
using Impl = DeviceManager::DeviceManagerImpl;

class TestSimulatorProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void mixersComeAndGo();

private:
    bool control(const QString &path);
    std::shared_ptr<OvUPnPDevice> deviceAt(const std::string &address);

    QProcess m_sim;
    int m_controlPort = 0;
    Impl m_manager;
    std::shared_ptr<ovtest::RecordingDiscoveryListener> m_listener =
        std::make_shared<ovtest::RecordingDiscoveryListener>();
};

static constexpr int CycleMs = internal::SsdpSearch::WindowMs + 1500;

void TestSimulatorProcess::initTestCase()
{
    velmora::test::requirePrivateNetwork();
    m_sim.start(QStringLiteral(VELMORA_BIN_DIR "/velmora-mixer-sim"),
                {"--mixers", "3", "--control-port", "0"});
    QVERIFY(m_sim.waitForStarted(5000));
    QByteArray out;
    while (!out.contains("ready\n") && m_sim.waitForReadyRead(5000)) {
        out += m_sim.readAllStandardOutput();
    }
    QVERIFY2(out.contains("ready\n"), (out + m_sim.readAllStandardError()).constData());
    const QRegularExpressionMatch match = QRegularExpression("control: [0-9.]+:(\\d+)").match(out);
    QVERIFY(match.hasMatch());
    m_controlPort = match.captured(1).toInt();
}

void TestSimulatorProcess::cleanupTestCase()
{
    m_manager.discoveryStop();
    m_sim.terminate();
    m_sim.waitForFinished(5000);
}

bool TestSimulatorProcess::control(const QString &path)
{
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(m_controlPort));
    if (!socket.waitForConnected(2000)) {
        return false;
    }
    socket.write("POST " + path.toUtf8() +
                 " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\n"
                 "Connection: close\r\n\r\n");
    QByteArray reply;
    while (socket.waitForReadyRead(3000)) {
        reply += socket.readAll();
    }
    return reply.startsWith("HTTP/1.1 200");
}

std::shared_ptr<OvUPnPDevice> TestSimulatorProcess::deviceAt(const std::string &address)
{
    for (const auto &device : m_manager.getDevices()) {
        auto mixer = std::static_pointer_cast<OvUPnPDevice>(device);
        if (mixer->endpoint().addressText() == address) {
            return mixer;
        }
    }
    return nullptr;
}

void TestSimulatorProcess::mixersComeAndGo()
{
    QCOMPARE(m_manager.setDiscoveryListener(m_listener), 0);
    QCOMPARE(m_manager.discoveryStart(3600, 1), 0);
    QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_ADDED) == 3; }, CycleMs));
    std::set<std::string> models;
    for (const char *address : {"127.0.0.2", "127.0.0.3", "127.0.0.4"}) {
        const auto mixer = deviceAt(address);
        QVERIFY2(mixer, address);
        QVERIFY(!mixer->udn().empty());
        QVERIFY(!mixer->serialNumber().empty());
        models.insert(mixer->modelName());
    }
    QCOMPARE(models, (std::set<std::string>{"ZEPH-2208", "ZEPH-2208NET"}));

    auto results = std::make_shared<ovtest::RecordingDeviceListener>();
    const auto second = deviceAt("127.0.0.3");
    second->setDeviceListener(results);
    second->sendCommand(
        std::make_shared<OvCommand>("plain", std::vector<std::string>{"1"}, false, false));
    QVERIFY(results->waitFor(1, 3000));
    QCOMPARE(results->records()[0].result, 0);

    QTest::qSleep(internal::SsdpSearch::WindowMs); // past the first cycle
    QVERIFY(control("/mixers/127.0.0.3/stop"));
    QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_DELETED) == 1; }, 1000));
    QCOMPARE(m_listener->udns(DEVICE_DELETED)[0], second->udn());

    QVERIFY(control("/mixers/127.0.0.3/start"));
    QCOMPARE(m_manager.discoveryRefresh(), 0);
    QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_ADDED) == 4; }, CycleMs));
    QCOMPARE(m_listener->udns(DEVICE_ADDED)[3], second->udn());
    QCOMPARE(m_manager.getDevices().size(), size_t(3));
}

QTEST_GUILESS_MAIN(TestSimulatorProcess)
#include "tst_simulatorprocess.moc"
