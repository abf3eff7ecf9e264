// Discovery against simulated mixers on the SSDP group of the private network.
#include "ovtesthelpers.h"
#include "privatenetwork.h"

#include "mixernetface.h"
#include "ovlib/devicemanagerimpl.h"
#include "ovlib/ovupnpdevice.h"
#include "ovlib/ssdpmessage.h"
#include "ovlib/ssdpsearch.h"
#include "ovlib/udpsocket.h"
#include "tcpservice.h"

#include <QtTest>
#include <atomic>
#include <functional>
#include <thread>
#include <unistd.h>

using namespace ovlib;
using Impl = DeviceManager::DeviceManagerImpl;
using velmora::sim::MixerIdentity;
using velmora::sim::MixerNetFace;
using namespace ovlib::internal;

namespace {

// Hands every well-formed datagram on the group to the handler until stop is set.
std::thread listenOnGroup(
    int fd, const std::atomic<bool> &stop,
    std::function<void(const SsdpMessage &, const std::array<uint8_t, 4> &, uint16_t)> handler)
{
    return std::thread([fd, &stop, handler] {
        char buffer[2048];
        while (!stop) {
            std::array<uint8_t, 4> from{};
            uint16_t port = 0;
            const long n = receiveDatagram(fd, buffer, sizeof buffer, from, port, 50);
            const SsdpParseResult parsed = parseSsdpMessage(buffer, n > 0 ? size_t(n) : 0);
            if (n > 0 && parsed.status == SsdpParseResult::Complete) {
                handler(parsed.message, from, port);
            }
        }
    });
}

// Listens on the SSDP group and notes when each M-SEARCH for our target arrived.
class SearchWatcher
{
public:
    SearchWatcher()
        : m_socket(openUdpSocket({0, 0, 0, 0}, SsdpPort, true))
    {
        joinSsdpGroup(m_socket);
        m_thread = listenOnGroup(m_socket, m_stop, [this](const SsdpMessage &message, auto, auto) {
            if (message.kind == SsdpMessage::Search && message.header("st") == Impl::SearchTarget) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_searches.push_back(std::chrono::steady_clock::now());
            }
        });
    }
    ~SearchWatcher()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_socket);
    }
    std::vector<std::chrono::steady_clock::time_point> searches() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_searches;
    }

private:
    int m_socket;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::chrono::steady_clock::time_point> m_searches;
    std::thread m_thread;
};

// A misbehaving host at one address: answers every M-SEARCH with the given datagrams, and
// serves on given ports a fixed reply or nothing at all.
class HostilePeer
{
public:
    HostilePeer(std::array<uint8_t, 4> address, std::vector<std::string> answers)
        : m_address(address)
        , m_answers(std::move(answers))
        , m_groupSocket(openUdpSocket({0, 0, 0, 0}, SsdpPort, true))
        , m_sendSocket(openUdpSocket(m_address, 0, false))
    {
        joinSsdpGroup(m_groupSocket);
        m_thread = listenOnGroup(
            m_groupSocket, m_stop,
            [this](const SsdpMessage &message, const std::array<uint8_t, 4> &from, uint16_t port) {
                if (message.kind != SsdpMessage::Search) {
                    return;
                }
                for (const auto &answer : m_answers) {
                    sendDatagram(m_sendSocket, answer, from, port);
                }
            });
    }
    ~HostilePeer()
    {
        m_stop = true;
        m_thread.join();
        for (auto &service : m_services) {
            service->stop();
        }
        ::close(m_groupSocket);
        ::close(m_sendSocket);
    }
    // Sends the reply to any request on the port.
    bool serve(uint16_t port, std::string reply)
    {
        return serveWith(port, [reply](int fd, const std::atomic<bool> &) {
            std::string request;
            velmora::sim::receiveSome(fd, request, 500);
            velmora::sim::sendAll(fd, reply);
        });
    }
    // Holds each connection without a word until the fetch gives up or the test ends.
    bool serveStalling(uint16_t port)
    {
        return serveWith(port, [](int fd, const std::atomic<bool> &stop) {
            std::string request;
            while (!stop && velmora::sim::receiveSome(fd, request, 100) >= 0) {
            }
        });
    }
    void sendToGroup(const std::string &datagram)
    {
        sendDatagram(m_sendSocket, datagram, ssdpGroupAddress(), SsdpPort);
    }

private:
    bool serveWith(uint16_t port, velmora::sim::TcpService::Handler handler)
    {
        m_services.push_back(std::make_unique<velmora::sim::TcpService>());
        return m_services.back()->start(m_address, port, std::move(handler));
    }

    std::array<uint8_t, 4> m_address;
    std::vector<std::string> m_answers;
    int m_groupSocket;
    int m_sendSocket;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::vector<std::unique_ptr<velmora::sim::TcpService>> m_services;
};

} // namespace

class TestDiscovery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void processWideStartAndRefresh();
    void refreshKeepsThePeriod();
    void byebyeRemovesAtOnce();
    void silentMixerExpiresAfterNextCycle();
    void hostileResponders();

private:
    MixerNetFace &addMixer(int lastOctet);

    std::vector<std::unique_ptr<MixerNetFace>> m_mixers;
    std::unique_ptr<Impl> m_impl;
    std::shared_ptr<ovtest::RecordingDiscoveryListener> m_listener;
};

static constexpr int CycleMs = internal::SsdpSearch::WindowMs + 1500;

static std::string udnFor(int lastOctet)
{
    return "uuid:00000000-0000-4000-8000-0000000000" + std::to_string(10 + lastOctet);
}

void TestDiscovery::initTestCase()
{
    velmora::test::requirePrivateNetwork();
}

void TestDiscovery::init()
{
    m_listener = std::make_shared<ovtest::RecordingDiscoveryListener>();
    m_impl = std::make_unique<Impl>();
    QCOMPARE(m_impl->setDiscoveryListener(m_listener), 0);
}

void TestDiscovery::cleanup()
{
    if (m_impl->isActive()) {
        m_impl->discoveryStop();
    }
    m_impl.reset();
    m_mixers.clear();
}

MixerNetFace &TestDiscovery::addMixer(int lastOctet)
{
    MixerIdentity identity;
    identity.address = {127, 0, 0, uint8_t(lastOctet)};
    identity.serial = "S" + std::to_string(lastOctet);
    identity.udn = udnFor(lastOctet);
    m_mixers.push_back(std::make_unique<MixerNetFace>(identity, true));
    if (!m_mixers.back()->start()) {
        qFatal("cannot start mixer %d", lastOctet);
    }
    return *m_mixers.back();
}

void TestDiscovery::processWideStartAndRefresh()
{
    SearchWatcher watcher;
    ovtest::StderrCapture capture;
    DeviceManager &manager = DeviceManager::getInstance();
    QCOMPARE(&manager, &DeviceManager::getInstance());
    QCOMPARE(manager.discoveryRefresh(), 5);
    QCOMPARE(manager.setDiscoveryListener(m_listener), 0);
    QCOMPARE(manager.discoveryStart(60, 1), 0);
    QCOMPARE(manager.discoveryStart(60, 1), 5);
    QVERIFY(capture.contains("Error: DeviceManager::DeviceManagerImpl::discoveryStart(): "
                             "Discovery already active.\n"));
    QVERIFY(ovtest::waitUntil([&] { return watcher.searches().size() == 1; }, 1000));

    // While the first search is still collecting, a refresh skips its cycle with a warning.
    QCOMPARE(manager.discoveryRefresh(), 0);
    QVERIFY(ovtest::waitUntil(
        [&] {
            return capture.contains(
                "Warning: New SSDP search not automatically started because previous "
                "search has not yet completed. Try using longer polling time.\n");
        },
        1000));
    QCOMPARE(watcher.searches().size(), size_t(1));

    // Once it has completed, a refresh searches at once.
    QTest::qSleep(internal::SsdpSearch::WindowMs + 300);
    const auto refreshed = std::chrono::steady_clock::now();
    QCOMPARE(manager.discoveryRefresh(), 0);
    QVERIFY(ovtest::waitUntil([&] { return watcher.searches().size() == 2; }, 500));
    QVERIFY(watcher.searches()[1] >= refreshed);

    QCOMPARE(manager.discoveryStop(), 0);
    QVERIFY(ovtest::waitUntil([&] { return manager.discoveryRefresh() == 5; }, 2000));
}

void TestDiscovery::refreshKeepsThePeriod()
{
    SearchWatcher watcher;
    const auto started = std::chrono::steady_clock::now();
    QCOMPARE(m_impl->discoveryStart(10, 1), 0);
    QTest::qSleep(internal::SsdpSearch::WindowMs + 500);
    QCOMPARE(m_impl->discoveryRefresh(), 0);
    // The periodic search still comes 10 s after the start, not 10 s after the refresh.
    QVERIFY(ovtest::waitUntil([&] { return watcher.searches().size() == 3; }, 9000));
    const auto searches = watcher.searches();
    const auto third =
        std::chrono::duration_cast<std::chrono::milliseconds>(searches[2] - started).count();
    QVERIFY2(third >= 9900 && third < 10800, std::to_string(third).c_str());
}

void TestDiscovery::byebyeRemovesAtOnce()
{
    addMixer(4);
    MixerNetFace &leaving = addMixer(5);
    QCOMPARE(m_impl->discoveryStart(3600, 1), 0);
    QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_ADDED) == 2; }, CycleMs));
    // Found with what their description says and their command port.
    for (const auto &device : m_impl->getDevices()) {
        const auto &mixer = static_cast<const OvUPnPDevice &>(*device);
        const int octet = mixer.ipAddress()[3];
        QCOMPARE(mixer.udn(), udnFor(octet));
        QCOMPARE(mixer.serialNumber(), "S" + std::to_string(octet));
        QCOMPARE(mixer.endpoint().toString(), "127.0.0." + std::to_string(octet) + ":17300");
    }
    QTest::qSleep(internal::SsdpSearch::WindowMs); // the cycle is over; no search is running
    leaving.stop(true);
    QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_DELETED) == 1; }, 1000));
    QCOMPARE(m_listener->udns(DEVICE_DELETED), std::vector<std::string>{udnFor(5)});
    QCOMPARE(m_impl->getDevices().size(), size_t(1));
    // Gone is not banned: back on the network, the next cycle reports it again.
    QVERIFY(leaving.start());
    QCOMPARE(m_impl->discoveryRefresh(), 0);
    QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_ADDED) == 3; }, CycleMs));
    QCOMPARE(m_listener->udns(DEVICE_ADDED)[2], udnFor(5));
}

void TestDiscovery::silentMixerExpiresAfterNextCycle()
{
    addMixer(6);
    MixerNetFace &silent = addMixer(7);
    QCOMPARE(m_impl->discoveryStart(3600, 1), 0);
    QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_ADDED) == 2; }, CycleMs));
    QTest::qSleep(internal::SsdpSearch::WindowMs);
    silent.ssdp().setMuted(true);
    QCOMPARE(m_impl->discoveryRefresh(), 0);
    QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_DELETED) == 1; }, CycleMs));
    QCOMPARE(m_listener->udns(DEVICE_DELETED), std::vector<std::string>{udnFor(7)});
    // The mixer that answered both cycles was reported once.
    QCOMPARE(m_listener->count(DEVICE_ADDED), size_t(2));
    QCOMPARE(m_impl->getDevices().size(), size_t(1));
}

static std::string answer(const std::string &usn, const std::string &location)
{
    return "HTTP/1.1 200 OK\r\nLOCATION: " + location + "\r\nST: " + Impl::SearchTarget +
           "\r\nUSN: " + usn + "::" + Impl::SearchTarget + "\r\n\r\n";
}

void TestDiscovery::hostileResponders()
{
    addMixer(8);
    std::vector<std::string> answers;
    for (const char *file : {"no_blank_line.txt", "header_without_colon.txt", "duplicate_usn.txt",
                             "duplicate_location.txt", "empty_usn.txt", "huge_usn.txt"}) {
        answers.push_back(ovtest::fixture(std::string("ssdp/") + file));
    }
    answers.push_back(answer("uuid:third-host", "http://127.0.0.8/description.xml"));
    answers.push_back(answer("uuid:huge", "http://127.0.0.60:8060/description.xml"));
    answers.push_back(answer("uuid:stall", "http://127.0.0.60:8061/description.xml"));
    answers.push_back(answer("uuid:name", "http://mixer.local/description.xml"));
    HostilePeer peer({127, 0, 0, 60}, answers);
    QVERIFY(
        peer.serve(8060, "HTTP/1.1 200 OK\r\n\r\n<root><device>" + std::string(70 * 1024, 'x')));
    // A valid description of its own, so that only the host rule can drop the third-host answer.
    const std::string own = ovtest::fixture("description/two_icons.xml");
    QVERIFY(peer.serve(80, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(own.size()) +
                               "\r\n\r\n" + own));
    QVERIFY(peer.serveStalling(8061));

    ovtest::StderrCapture capture;
    QCOMPARE(m_impl->discoveryStart(3600, 1), 0);
    QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_ADDED) == 1; }, CycleMs));
    // The stalled fetch gives up after its time-out and the cycle still completes.
    QVERIFY(ovtest::waitUntil([&] { return capture.contains("timed out"); }, 4000));
    QVERIFY(capture.contains("names another host"));
    QVERIFY(capture.contains("malformed or oversized response"));
    QVERIFY(capture.contains(" Extracted URL=[mixer.local]. Device ignored.\n"));
    QCOMPARE(m_listener->udns(DEVICE_ADDED), std::vector<std::string>{udnFor(8)});

    // Only the mixer itself may say goodbye.
    peer.sendToGroup("NOTIFY * HTTP/1.1\r\nNT: " + std::string(Impl::SearchTarget) +
                     "\r\nNTS: ssdp:byebye\r\nUSN: " + udnFor(8) + "::" + Impl::SearchTarget +
                     "\r\n\r\n");
    QTest::qSleep(300);
    QCOMPARE(m_listener->count(DEVICE_DELETED), size_t(0));
    QCOMPARE(m_impl->getDevices().size(), size_t(1));
}

QTEST_APPLESS_MAIN(TestDiscovery)
#include "tst_discovery.moc"
