// Commands to a simulated mixer's command port: order, every response kind, multi-frame
// answers, the receive time-out and a late answer. Runs in the private network.
#include "ovtesthelpers.h"
#include "privatenetwork.h"

#include "commandport.h"
#include "ovlib/commandexchange.h"
#include "ovlib/devicelistener.h"
#include "ovlib/ovcommand.h"
#include "ovlib/overror.h"
#include "ovlib/ovresponses.h"
#include "ovlib/ovupnpdevice.h"

#include <QtTest>
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace ovlib;

namespace {

struct CommandRecord
{
    uint32_t requestId;
    int32_t result;
    std::shared_ptr<OvResponseObject> response;
    std::chrono::steady_clock::time_point at;
};

class RecordingDeviceListener : public DeviceListener
{
public:
    void onCommandFinished(uint32_t requestId, int32_t result,
                           const std::shared_ptr<OvResponseObject> &response) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_records.push_back({requestId, result, response, std::chrono::steady_clock::now()});
    }
    std::vector<CommandRecord> records() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_records;
    }
    bool waitFor(size_t count, int timeoutMs) const
    {
        return ovtest::waitUntil([&] { return records().size() >= count; }, timeoutMs);
    }

private:
    mutable std::mutex m_mutex;
    std::vector<CommandRecord> m_records;
};

std::shared_ptr<OvUPnPDevice> deviceAt(const std::array<uint8_t, 4> &address,
                                       const std::string &udn,
                                       const std::shared_ptr<DeviceListener> &listener)
{
    DeviceDescription description;
    description.udn = udn;
    description.deviceType = udn.empty() ? "" : "urn:schemas-upnp-org:device:OVCUDevice:1";
    auto device = std::make_shared<OvUPnPDevice>(description, IPEndPoint(address, 17300));
    device->setDeviceListener(listener);
    return device;
}

// Queues a plain command (no origin, no answer) with one argument.
void send(OvUPnPDevice &device, const std::string &name, const std::string &argument)
{
    device.sendCommand(
        std::make_shared<OvCommand>(name, std::vector<std::string>{argument}, false, false));
}

// A command port that takes no more connections: its accept queue is full, so the kernel
// drops every further SYN, as for a mixer that has gone from the network.
class FullBacklog
{
public:
    explicit FullBacklog(const std::array<uint8_t, 4> &address)
    {
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(17300);
        std::memcpy(&at.sin_addr, address.data(), 4);
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0 ||
            ::listen(m_listener, 0) != 0) {
            return;
        }
        for (int i = 0; i < 4; ++i) {
            m_fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
            ::connect(m_fillers.back(), reinterpret_cast<sockaddr *>(&at), sizeof at);
        }
        QTest::qSleep(100);
    }
    ~FullBacklog()
    {
        for (int fd : m_fillers) {
            ::close(fd);
        }
        ::close(m_listener);
    }
    bool ready() const { return !m_fillers.empty(); }

private:
    int m_listener = -1;
    std::vector<int> m_fillers;
};

} // namespace

class TestCommandManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { velmora::test::requirePrivateNetwork(); }

    void init()
    {
        // A fresh mixer address per test keeps a lingering connection from leaking across tests.
        velmora::sim::MixerIdentity identity;
        identity.address = {127, 0, 0, uint8_t(++m_address)};
        m_port = std::make_unique<velmora::sim::CommandPort>(identity);
        QVERIFY(m_port->start());
        m_listener = std::make_shared<RecordingDeviceListener>();
        m_device = deviceAt(identity.address, "uuid:cmd-" + std::to_string(m_address), m_listener);
    }

    void cleanup() { m_port->stop(); }

    void refusedCommands()
    {
        QCOMPARE(ovtest::ovError([&] { m_device->sendCommand(nullptr); }),
                 std::string("3: OvUPnPDevice::sendCommand: Command is null!"));
        QCOMPARE(
            ovtest::ovError([&] { m_device->sendCommand(std::make_shared<Command>()); }),
            std::string("3: OvUPnPDevice::sendCommand: Command not an instance of OvCommand!"));
        m_listener.reset();
        QCOMPARE(ovtest::ovError([&] { send(*m_device, "ping", "1"); }),
                 std::string("1: OvUPnPDevice::sendCommand: No valid listener!"));
        QCOMPARE(m_port->connections(), 0);
    }

    void commandsRunInOrder()
    {
        ovtest::StderrCapture capture;
        // The caller's object is copied: changing it after sending must not change what is sent.
        auto first =
            std::make_shared<OvCommand>("first", std::vector<std::string>{"1"}, false, false);
        m_device->sendCommand(first);
        *first = OvCommand("changed", {"9"}, false, false);
        // The answer to "late" comes after its time-out and must not end the command after it.
        send(*m_device, "late", "2");
        send(*m_device, "secnd", "3");
        QVERIFY(m_listener->waitFor(3, 5000));
        const auto records = m_listener->records();
        QCOMPARE(records[1].requestId, records[0].requestId + 1);
        QCOMPARE(records[2].requestId, records[0].requestId + 2);
        QCOMPARE(records[0].result, 0);
        QCOMPARE(records[0].response->firstItem(), std::string("first"));
        QCOMPARE(records[0].response->requestId(), records[0].requestId);
        QCOMPARE(records[1].result, int(OV_ERR_TIMEDOUT));
        QCOMPARE(records[2].result, 0);
        QCOMPARE(records[2].response->firstItem(), std::string("secnd"));
        QCOMPARE(m_port->frames(),
                 (std::vector<std::string>{"first H 0000 00 NC 1 ", "late H 0000 00 NC 2 ",
                                           "secnd H 0000 00 NC 3 "}));
        QCOMPARE(m_port->connections(), 3); // one connection per command
    }

    void responseKinds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("answerFlag");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("kind"); // 0: no response object
        QTest::addColumn<QString>("data");
        QTest::newRow("ack") << "plain" << false << 0 << int(RESPONSE_ACK) << "";
        QTest::newRow("ack split across reads") << "split" << false << 0 << int(RESPONSE_ACK) << "";
        QTest::newRow("two acks in one read") << "twice" << false << 0 << int(RESPONSE_ACK) << "";
        QTest::newRow("nak 103") << "nakcm" << false << 103 << int(RESPONSE_NAK) << "";
        QTest::newRow("nak to an answer command")
            << "nakcm" << true << 103 << int(RESPONSE_NAK) << "";
        QTest::newRow("answer") << "query" << true << 0 << int(RESPONSE_ANSWER) << "v=42";
        QTest::newRow("three-part answer")
            << "multi" << true << 0 << int(RESPONSE_ANSWER) << "part1part2part3";
        QTest::newRow("export answer") << "exprt" << true << 0 << int(RESPONSE_EXPRT) << "hello";
        QTest::newRow("answer where ack expected")
            << "query" << false << 1 << int(RESPONSE_ANSWER) << "v=42";
        QTest::newRow("ack where answer expected")
            << "plain" << true << 1 << int(RESPONSE_ACK) << "";
        QTest::newRow("no end character") << "junk" << false << 4 << 0 << "";
    }

    void responseKinds()
    {
        QFETCH(QString, name);
        QFETCH(bool, answerFlag);
        QFETCH(int, result);
        ovtest::StderrCapture capture;
        const auto record =
            exchange(OvCommand(name.toStdString(), {"42"}, false, answerFlag, 1, 0));
        QCOMPARE(record.result, result);
        QTEST(record.response ? int(record.response->kind()) : 0, "kind");
        if (auto answer = std::dynamic_pointer_cast<OvAnswerResponse>(record.response)) {
            QTEST(QString::fromStdString(answer->data()), "data");
        }
        if (result == 1) {
            QVERIFY(capture.contains("Error: Unexpected response type: "));
        }
    }

    void silentDeviceTimesOut()
    {
        ovtest::StderrCapture capture;
        const auto started = std::chrono::steady_clock::now();
        const auto record = exchange(OvCommand("silnt", {"1"}, false, false));
        const long waited = ovtest::msBetween(started, record.at);
        QCOMPARE(record.result, int(OV_ERR_TIMEDOUT));
        QVERIFY2(waited >= 490 && waited < 1500, std::to_string(waited).c_str());
        QVERIFY(capture.contains("SocketClient: Timed out waiting for message from device.\n"));
    }

    void queuedCommandsOutliveTheirDevice()
    {
        // The queue holds its device and listener weakly: a command still queued when its device
        // is dropped ends with 5, and a result whose listener is gone is only reported.
        ovtest::StderrCapture capture;
        send(*m_device, "late", "1");
        send(*m_device, "after", "2");
        QVERIFY(ovtest::waitUntil([&] { return m_port->frames().size() == 1; }, 1000));
        m_device.reset();
        QVERIFY(m_listener->waitFor(2, 3000));
        const auto records = m_listener->records();
        QCOMPARE(records[0].result, int(OV_ERR_TIMEDOUT));
        QCOMPARE(records[1].result, int(OV_ERR_INVALID_STATE));
        QVERIFY(
            capture.contains("Error: Trying to send command, but device not available anymore.\n"));
        QCOMPARE(m_port->frames().size(), size_t(1));

        init();
        send(*m_device, "late", "1");
        m_listener.reset();
        QVERIFY(ovtest::waitUntil(
            [&] { return capture.contains("but there was no DeviceListener"); }, 3000));
        QVERIFY(capture.contains("Warning: Finished processing request ID "));
    }

    void unreachableEndpointEndsWithinDeadline()
    {
        FullBacklog gone({127, 0, 0, 90});
        QVERIFY(gone.ready());
        ovtest::StderrCapture capture;
        auto device = deviceAt({127, 0, 0, 90}, "uuid:gone", m_listener);
        const auto started = std::chrono::steady_clock::now();
        send(*device, "plain", "1");
        QVERIFY(m_listener->waitFor(1, 5000));
        const auto record = m_listener->records()[0];
        const long waited = ovtest::msBetween(started, record.at);
        QCOMPARE(record.result, int(OV_ERR_SYSTEM));
        QVERIFY2(waited >= 1900 && waited < 2600, std::to_string(waited).c_str());
        QVERIFY(capture.contains("Failed to connect to socket with error=Connection timed out"));
    }

    void gapBetweenCommands()
    {
        for (const char *name : {"first", "secnd", "third"}) {
            send(*m_device, name, "1");
        }
        QVERIFY(m_listener->waitFor(3, 3000));
        const auto times = m_port->frameTimes();
        QCOMPARE(times.size(), size_t(3));
        for (size_t i = 1; i < times.size(); ++i) {
            const long gap = ovtest::msBetween(times[i - 1], times[i]);
            QVERIFY2(gap >= 10, std::to_string(gap).c_str());
        }
    }

    void queuesFollowTheirDevice()
    {
        velmora::sim::MixerIdentity otherIdentity;
        otherIdentity.address = {127, 0, 0, uint8_t(++m_address)};
        velmora::sim::CommandPort other(otherIdentity);
        QVERIFY(other.start());

        // Two mixers without an identity key each get their own queue at their own address.
        auto keylessHere = deviceAt(m_device->ipAddress(), "", m_listener);
        auto keylessThere = deviceAt(otherIdentity.address, "", m_listener);
        send(*keylessHere, "here", "1");
        send(*keylessThere, "there", "2");
        QVERIFY(m_listener->waitFor(2, 3000));
        QCOMPARE(m_port->frames(), std::vector<std::string>{"here H 0000 00 NC 1 "});
        QCOMPARE(other.frames(), std::vector<std::string>{"there H 0000 00 NC 2 "});

        // The mixer moves while a command is still queued for it: the next command, given to its
        // newer object, goes to the new address through the same queue.
        send(*m_device, "late", "3");
        auto moved = deviceAt(otherIdentity.address, "uuid:cmd-" + std::to_string(m_address - 1),
                              m_listener);
        send(*moved, "moved", "4");
        QVERIFY(m_listener->waitFor(4, 3000));
        QCOMPARE(other.frames().back(), std::string("moved H 0000 00 NC 4 "));
        QCOMPARE(m_port->frames().back(), std::string("late H 0000 00 NC 3 "));
        other.stop();
    }

    void endlessAnswerIsBounded()
    {
        ovtest::StderrCapture capture;
        const auto record = exchange(OvCommand("endls", {"1"}, false, true), 5000);
        QCOMPARE(record.result, int(OV_ERR_INVALID_DATA));
        QVERIFY(capture.contains("Fail to append answer response data.\n"));
        const auto answer = std::dynamic_pointer_cast<OvAnswerResponse>(record.response);
        QVERIFY(!answer || answer->data().size() <= internal::MaxAnswerData);
    }

    void tricklingAnswerEndsAtDeadline()
    {
        // A byte every 0.4 s: no receive ever waits its half second, and the answer never ends.
        ovtest::StderrCapture capture;
        const auto deadline = internal::commandDeadline(1);
        const auto started = std::chrono::steady_clock::now();
        const auto record =
            exchange(OvCommand("trckl", {"1"}, false, true), int(2 * deadline.count()));
        QCOMPARE(record.result, int(OV_ERR_TIMEDOUT));
        QVERIFY(capture.contains("Error: Command trckl exceeded its deadline.\n"));
        QVERIFY(record.at - started >= deadline);
        // The queue is free again: the next command goes through.
        QCOMPARE(exchange(OvCommand("after", {"1"}, false, false)).result, 0);
    }

private:
    // Sends one command and waits for its outcome.
    CommandRecord exchange(const OvCommand &command, int timeoutMs = 3000)
    {
        const size_t before = m_listener->records().size();
        m_device->sendCommand(std::make_shared<OvCommand>(command));
        if (!m_listener->waitFor(before + 1, timeoutMs)) {
            return {0, -1, nullptr, {}};
        }
        return m_listener->records()[before];
    }

    std::unique_ptr<velmora::sim::CommandPort> m_port;
    std::shared_ptr<OvUPnPDevice> m_device;
    std::shared_ptr<RecordingDeviceListener> m_listener;
    int m_address = 20;
};

QTEST_APPLESS_MAIN(TestCommandManager)
#include "tst_commandmanager.moc"
