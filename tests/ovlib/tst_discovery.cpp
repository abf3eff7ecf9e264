// Discovery against simulated mixers on the SSDP group of the private network.
#include "ovtesthelpers.h"
#include "privatenetwork.h"

#include "mixernetface.h"
#include "ovlib/descriptionparser.h"
#include "ovlib/devicemanagerimpl.h"
#include "ovlib/httpfetch.h"
#include "ovlib/ovupnpdevice.h"
#include "ovlib/ssdpmessage.h"
#include "ovlib/ssdpsearch.h"
#include "ovlib/udpsocket.h"
#include "ovlib/upnpdevicebuilder.h"
#include "tcpservice.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace ovlib;
using Impl = DeviceManager::DeviceManagerImpl;
using velmora::sim::MixerIdentity;
using velmora::sim::MixerNetFace;
using namespace ovlib::internal;
using ovtest::msBetween;

namespace {

using Clock = std::chrono::steady_clock;

// A host at one address on the SSDP group: notes when each M-SEARCH for our target arrived,
// answers every M-SEARCH with the given datagrams, and serves on given ports a fixed reply or
// nothing at all.
class GroupPeer
{
public:
    explicit GroupPeer(std::array<uint8_t, 4> address, std::vector<std::string> answers = {})
        : m_address(address)
        , m_answers(std::move(answers))
        , m_groupSocket(openUdpSocket({0, 0, 0, 0}, SsdpPort, true))
        , m_sendSocket(openUdpSocket(m_address, 0, false))
    {
        joinSsdpGroup(m_groupSocket);
        m_thread = std::thread([this] {
            char buffer[2048];
            while (!m_stop) {
                std::array<uint8_t, 4> from{};
                uint16_t port = 0;
                const long n =
                    receiveDatagram(m_groupSocket, buffer, sizeof buffer, from, port, 50);
                const SsdpParseResult parsed = parseSsdpMessage(buffer, n > 0 ? size_t(n) : 0);
                if (n <= 0 || parsed.status != SsdpParseResult::Complete ||
                    parsed.message.kind != SsdpMessage::Search) {
                    continue;
                }
                if (parsed.message.header("st") == Impl::SearchTarget) {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_searches.push_back(Clock::now());
                }
                for (const auto &answer : m_answers) {
                    sendDatagram(m_sendSocket, answer, from, port);
                }
            }
        });
    }
    ~GroupPeer()
    {
        m_stop = true;
        m_thread.join();
        for (auto &service : m_services) {
            service->stop();
        }
        ::close(m_groupSocket);
        ::close(m_sendSocket);
    }
    std::vector<Clock::time_point> searches() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_searches;
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
    mutable std::mutex m_mutex;
    std::vector<Clock::time_point> m_searches;
    std::thread m_thread;
    std::vector<std::unique_ptr<velmora::sim::TcpService>> m_services;
};

// Changes the private network for one test and puts it back afterwards, last change first.
class NetworkChange
{
public:
    ~NetworkChange()
    {
        for (auto it = m_undo.rbegin(); it != m_undo.rend(); ++it) {
            if (std::system(it->c_str()) != 0) {
                qWarning("could not undo a network change: %s", it->c_str());
            }
        }
    }
    bool apply(const std::string &command, const std::string &undo = {})
    {
        if (std::system(command.c_str()) != 0) {
            return false;
        }
        if (!undo.empty()) {
            m_undo.push_back(undo);
        }
        return true;
    }

private:
    std::vector<std::string> m_undo;
};

} // namespace

static constexpr int CycleMs = internal::SsdpSearch::WindowMs + 1500;

static std::string udnFor(int lastOctet)
{
    return "uuid:00000000-0000-4000-8000-0000000000" + std::to_string(10 + lastOctet);
}

static std::string answer(const std::string &usn, const std::string &location)
{
    return "HTTP/1.1 200 OK\r\nLOCATION: " + location + "\r\nST: " + Impl::SearchTarget +
           "\r\nUSN: " + usn + "::" + Impl::SearchTarget + "\r\n\r\n";
}

class TestDiscovery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { velmora::test::requirePrivateNetwork(); }

    void init()
    {
        m_listener = std::make_shared<ovtest::RecordingDiscoveryListener>();
        m_impl = std::make_unique<Impl>();
        QCOMPARE(m_impl->setDiscoveryListener(m_listener), 0);
    }

    void cleanup()
    {
        if (m_impl->isActive()) {
            m_impl->discoveryStop();
        }
        m_impl.reset();
        m_mixers.clear();
    }

    void processWideStartAndRefresh()
    {
        GroupPeer watcher({127, 0, 0, 1});
        ovtest::StderrCapture capture;
        DeviceManager &manager = DeviceManager::getInstance();
        QCOMPARE(&manager, &DeviceManager::getInstance());
        QCOMPARE(manager.discoveryRefresh(), 5);
        QCOMPARE(manager.setDiscoveryListener(m_listener), 0);
        QCOMPARE(manager.discoveryStart(60, 1), 0);
        QCOMPARE(manager.discoveryStart(60, 1), 5);
        QVERIFY(capture.contains("Error: DeviceManager::DeviceManagerImpl::discoveryStart(): "
                                 "Discovery already active.\n"));
        // A cycle sends its search twice, the repeat well within MX.
        QVERIFY(ovtest::waitUntil([&] { return watcher.searches().size() == 2; }, 1000));
        const auto gap = watcher.searches()[1] - watcher.searches()[0];
        QVERIFY(gap > std::chrono::milliseconds(100) && gap < std::chrono::seconds(SsdpSearch::Mx));

        // While the first search is still collecting, a refresh skips its cycle with a warning.
        const std::string skipped = "Warning: New SSDP search not automatically started because "
                                    "previous search has not yet completed. Try using longer "
                                    "polling time.\n";
        QCOMPARE(manager.discoveryRefresh(), 0);
        QVERIFY(ovtest::waitUntil([&] { return capture.contains(skipped); }, 1000));
        QCOMPARE(watcher.searches().size(), size_t(2));

        // Once it has completed, a refresh searches at once.
        QTest::qSleep(internal::SsdpSearch::WindowMs + 300);
        const auto refreshed = Clock::now();
        QCOMPARE(manager.discoveryRefresh(), 0);
        QVERIFY(ovtest::waitUntil([&] { return watcher.searches().size() == 3; }, 500));
        QVERIFY(watcher.searches()[2] >= refreshed);

        QCOMPARE(manager.discoveryStop(), 0);
        QVERIFY(ovtest::waitUntil([&] { return manager.discoveryRefresh() == 5; }, 2000));
    }

    void refreshKeepsThePeriod()
    {
        GroupPeer watcher({127, 0, 0, 1});
        const auto started = Clock::now();
        QCOMPARE(m_impl->discoveryStart(10, 1), 0);
        QTest::qSleep(internal::SsdpSearch::WindowMs + 500);
        QCOMPARE(m_impl->discoveryRefresh(), 0);
        // The periodic cycle still comes 10 s after the start, not 10 s after the refresh.
        QVERIFY(ovtest::waitUntil([&] { return watcher.searches().size() == 5; }, 9000));
        const long third = msBetween(started, watcher.searches()[4]);
        QVERIFY2(third >= 9900 && third < 10800, std::to_string(third).c_str());
    }

    void lossyMixerStaysListed()
    {
        MixerNetFace &lossy = addMixer(9);
        lossy.ssdp().setDropEveryOther(true);
        startAndList(1);
        runCycle(3);
        // Every cycle reached it twice; it answered only one of the two, and that is enough.
        QVERIFY2(lossy.ssdp().searchesHeard() >= 8,
                 std::to_string(lossy.ssdp().searchesHeard()).c_str());
        QCOMPARE(m_listener->count(DEVICE_DELETED), size_t(0));
        QCOMPARE(m_impl->getDevices().size(), size_t(1));
    }

    void searchesEveryInterface()
    {
        addMixer(30);
        startAndList(1);
        // A second network appears while we run (a cable plugged in): a mixer on it, which hears
        // only what is sent out of that interface, is found by the next cycle.
        NetworkChange network;
        // A bridge without ports stands in for a second network card (this kernel has no dummy
        // interfaces); Linux sends from a 127.x address out of it only with route_localnet.
        QVERIFY(network.apply("ip link add vlmseg2 type bridge", "ip link del vlmseg2"));
        QVERIFY(network.apply("sysctl -qw net.ipv4.conf.vlmseg2.route_localnet=1"));
        // Our own address there, and the mixer's.
        QVERIFY(network.apply("ip addr add 127.1.0.1/16 dev vlmseg2"));
        QVERIFY(network.apply("ip addr add 127.1.0.2/16 dev vlmseg2"));
        QVERIFY(network.apply("ip link set vlmseg2 multicast on up"));
        const std::string remoteUdn = "uuid:00000000-0000-4000-8000-00000000f002";
        MixerNetFace &remote = addMixerAt({127, 1, 0, 2}, remoteUdn);
        QCOMPARE(internal::interfaceFor({127, 1, 0, 2}).name, std::string("vlmseg2"));
        QCOMPARE(m_impl->discoveryRefresh(), 0);
        QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_ADDED) == 2; }, CycleMs));
        QCOMPARE(m_listener->udns(DEVICE_ADDED)[1], remoteUdn);
        // It hears only its own segment: the search went out of that interface, twice from each of
        // the two addresses this host holds there (its own and the mixer's: they share the host).
        QVERIFY(ovtest::waitUntil([&] { return remote.ssdp().searchesHeard() == 4; }, CycleMs));
        // Its goodbye comes in on that interface too, which the listener joined meanwhile.
        remote.stop(true);
        QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_DELETED) == 1; }, 1000));
        m_impl->discoveryStop();
        m_mixers.clear();
    }

    void noGroupRouteNeeded()
    {
        // A mixer LAN without a gateway: no route for the multicast range.
        NetworkChange network;
        QVERIFY(
            network.apply("ip route del 224.0.0.0/4 dev lo", "ip route add 224.0.0.0/4 dev lo"));
        addMixer(31);
        MixerNetFace &leaving = addMixer(32);
        startAndList(2);
        leaving.stop(true);
        QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_DELETED) == 1; }, 1000));
        QCOMPARE(m_listener->udns(DEVICE_DELETED), std::vector<std::string>{udnFor(32)});
        QCOMPARE(m_impl->getDevices().size(), size_t(1));
        m_impl->discoveryStop();
        m_mixers.clear();
    }

    void searchesFromEveryAddressOfAnInterface()
    {
        // A mixer without a DHCP server falls back to a link-local address beside the network the
        // interface got from DHCP. The private network allows 127.0.0.0/8 only, so a second
        // 127.x network on one interface stands in for 169.254.0.0/16.
        NetworkChange network;
        QVERIFY(network.apply("ip link add vlmseg3 type bridge", "ip link del vlmseg3"));
        QVERIFY(network.apply("sysctl -qw net.ipv4.conf.vlmseg3.route_localnet=1"));
        QVERIFY(network.apply("ip addr add 127.2.0.1/16 dev vlmseg3"));
        QVERIFY(network.apply("ip addr add 127.3.0.1/16 dev vlmseg3"));
        QVERIFY(network.apply("ip link set vlmseg3 multicast on up"));
        int onBridge = 0;
        for (const auto &entry : internal::multicastInterfaces()) {
            if (entry.name == "vlmseg3") {
                ++onBridge;
                QCOMPARE(entry.prefixLength, 16);
                QVERIFY(entry.address == (std::array<uint8_t, 4>{127, 2, 0, 1}) ||
                        entry.address == (std::array<uint8_t, 4>{127, 3, 0, 1}));
            }
        }
        QCOMPARE(onBridge, 2);
        // The second network's mixer belongs to that interface, not to lo's 127.0.0.0/8.
        QCOMPARE(internal::interfaceFor({127, 3, 0, 2}).name, std::string("vlmseg3"));

        QVERIFY(network.apply("ip addr add 127.3.0.2/16 dev vlmseg3"));
        const std::string fallbackUdn = "uuid:00000000-0000-4000-8000-00000000f003";
        MixerNetFace &fallback = addMixerAt({127, 3, 0, 2}, fallbackUdn);
        QCOMPARE(m_impl->discoveryStart(3600, 1), 0);
        QVERIFY(ovtest::waitUntil(
            [&] {
                const auto added = m_listener->udns(DEVICE_ADDED);
                return std::find(added.begin(), added.end(), fallbackUdn) != added.end();
            },
            CycleMs));
        // Twice from each of the three addresses the host holds on that interface.
        QVERIFY(ovtest::waitUntil([&] { return fallback.ssdp().searchesHeard() == 6; }, CycleMs));
        m_impl->discoveryStop();
        m_mixers.clear();
    }

    void everySearcherAnsweredWithinItsMx()
    {
        // Several searchers at once (programs side by side, or short runs of the command line
        // gone before their answers came): each is answered within the MX it asked for, never
        // after the answers to the others.
        addMixer(37);
        constexpr int Searchers = 8;
        std::vector<pollfd> searchers;
        for (int i = 0; i < Searchers; ++i) {
            searchers.push_back({openUdpSocket({127, 0, 0, 1}, 0, false), POLLIN, 0});
            QVERIFY(searchers.back().fd >= 0);
        }
        const std::string search = buildSearchRequest(Impl::SearchTarget, 1);
        const auto sent = Clock::now();
        for (const pollfd &searcher : searchers) {
            QVERIFY(sendDatagram(searcher.fd, search, ssdpGroupAddress(), SsdpPort));
        }
        std::vector<long> latencies(Searchers, -1);
        while (std::count(latencies.begin(), latencies.end(), -1) > 0 && msBetween(sent) < 5000) {
            ::poll(searchers.data(), searchers.size(), 50);
            for (int i = 0; i < Searchers; ++i) {
                char buffer[2048];
                std::array<uint8_t, 4> from{};
                uint16_t port = 0;
                if ((searchers[i].revents & POLLIN) &&
                    receiveDatagram(searchers[i].fd, buffer, sizeof buffer, from, port, 0) > 0) {
                    QCOMPARE(from, (std::array<uint8_t, 4>{127, 0, 0, 37}));
                    latencies[i] = msBetween(sent);
                }
            }
        }
        for (const pollfd &searcher : searchers) {
            ::close(searcher.fd);
        }
        // MX is 1 s; the rest is room for a busy machine, far below a queue of 8 answers.
        for (long latency : latencies) {
            QVERIFY2(latency >= 0 && latency < 1500, std::to_string(latency).c_str());
        }
    }

    void announcedMixerListedWithinTwoSeconds()
    {
        QCOMPARE(m_impl->discoveryStart(3600, 1), 0);
        QTest::qSleep(internal::SsdpSearch::WindowMs + 300); // the first cycle found nothing
        const auto switchedOn = Clock::now();
        addMixer(34); // announces itself with ssdp:alive
        QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_ADDED) == 1; }, 2000));
        QVERIFY2(msBetween(switchedOn) < 2000, std::to_string(msBetween(switchedOn)).c_str());
        // Its next announcements only renew it.
        QVERIFY(m_mixers.back()->ssdp().announce());
        QTest::qSleep(300);
        QCOMPARE(m_listener->count(DEVICE_ADDED), size_t(1));
        QCOMPARE(m_listener->count(DEVICE_MODIFIED), size_t(0));
    }

    void movedMixerListedOnceAtNewAddress()
    {
        MixerNetFace &mixer = addMixer(35);
        startAndList(1);
        // A new lease: silent at the old address, announced at the new one.
        QVERIFY(mixer.moveTo({127, 0, 0, 36}));
        QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_MODIFIED) == 1; }, 2000));
        const auto onlyEntry = [&] {
            const auto devices = m_impl->getDevices();
            return devices.size() == 1
                       ? static_cast<const OvUPnPDevice &>(*devices[0]).endpoint().toString()
                       : std::string("entries: ") + std::to_string(devices.size());
        };
        QCOMPARE(onlyEntry(), std::string("127.0.0.36:17300"));
        // The following cycles find it there and keep it, reported once.
        runCycle(2);
        QCOMPARE(onlyEntry(), std::string("127.0.0.36:17300"));
        QCOMPARE(m_listener->eventsOf(udnFor(35)),
                 (std::vector<DiscoveryEvent>{DEVICE_ADDED, DEVICE_MODIFIED}));
    }

    void floodFromOneHostHidesNobody()
    {
        // The flooding host answers each search with 1024 made-up devices before its own answer;
        // it only spends its own share, the genuine mixer beside it is listed in the first cycle.
        addMixer(37).ssdp().setForgedAnswers(1024);
        addMixer(38);
        ovtest::StderrCapture quiet;
        const auto started = Clock::now();
        QCOMPARE(m_impl->discoveryStart(3600, 1), 0);
        QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_ADDED) >= 1; },
                                  internal::SsdpSearch::WindowMs));
        QVERIFY2(msBetween(started) < internal::SsdpSearch::WindowMs,
                 std::to_string(msBetween(started)).c_str());
        QTest::qSleep(internal::SsdpSearch::WindowMs);
        QCOMPARE(m_listener->udns(DEVICE_ADDED), std::vector<std::string>{udnFor(38)});
    }

    void hostileResponders()
    {
        addMixer(8);
        std::vector<std::string> answers;
        for (const char *file :
             {"no_blank_line.txt", "header_without_colon.txt", "duplicate_usn.txt",
              "duplicate_location.txt", "empty_usn.txt", "huge_usn.txt"}) {
            answers.push_back(ovtest::fixture(std::string("ssdp/") + file));
        }
        // The host-name answer comes before the stalling one: one responder's fetches run in turn,
        // and on a loaded machine a fetch queued behind the stall may be dropped unseen.
        answers.push_back(answer("uuid:name", "http://mixer.local/description.xml"));
        answers.push_back(answer("uuid:third-host", "http://127.0.0.8/description.xml"));
        answers.push_back(answer("uuid:huge", "http://127.0.0.60:8060/description.xml"));
        answers.push_back(answer("uuid:stall", "http://127.0.0.60:8061/description.xml"));
        GroupPeer peer({127, 0, 0, 60}, answers);
        QVERIFY(peer.serve(8060,
                           "HTTP/1.1 200 OK\r\n\r\n<root><device>" + std::string(70 * 1024, 'x')));
        // A valid description of its own, so that only the host rule can drop the third-host
        // answer.
        const std::string own = ovtest::fixture("description/two_icons.xml");
        QVERIFY(peer.serve(80, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(own.size()) +
                                   "\r\n\r\n" + own));
        QVERIFY(peer.serveStalling(8061));

        ovtest::StderrCapture capture;
        QCOMPARE(m_impl->discoveryStart(3600, 1), 0);
        QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_ADDED) == 1; }, CycleMs));
        // The stalled fetch is abandoned and the cycle still completes.
        QVERIFY(ovtest::waitUntil([&] { return capture.contains("too slow"); }, 4000));
        QVERIFY(capture.contains("names another host"));
        QVERIFY(capture.contains("oversized response"));
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

    // A responder whose description cannot be used is in no list: it is told with the reason
    // until a device is taken from its address.
    void refusedResponderIsToldUntilTaken()
    {
        const std::array<uint8_t, 4> at{127, 0, 0, 61};
        GroupPeer peer(at, {answer("uuid:broken", "http://127.0.0.61:8062/d.xml")});
        QVERIFY(peer.serve(8062, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"));
        const auto refusals = [&] {
            std::string text;
            for (const auto &refusal : m_impl->getRefusals()) {
                text += IPEndPoint(refusal.address, 0).addressText() + ": " + refusal.reason + ';';
            }
            return text;
        };
        ovtest::StderrCapture quiet;
        QCOMPARE(m_impl->discoveryStart(3600, 1), 0);
        QVERIFY(ovtest::waitUntil([&] { return !refusals().empty(); }, CycleMs));
        QCOMPARE(refusals(),
                 std::string("127.0.0.61: no description at 127.0.0.61: HTTP status 404;"));
        QCOMPARE(m_listener->count(DEVICE_ADDED), size_t(0));
        m_impl->discoveryStop();

        const std::string doc = ovtest::fixture("description/two_icons.xml");
        const auto description = parseDescription(doc.data(), doc.size());
        QVERIFY(description);
        m_impl->onUpnpDeviceAdded(
            makeUpnpDevice(*description, "http://127.0.0.61/d.xml", at, description->udn));
        QCOMPARE(refusals(), std::string());
    }

    void stallingHostCannotStretchTheCycle()
    {
        // Twenty forged devices whose descriptions all stall: only four are tried, one at a time,
        // and the cycle ends by MX plus two fetch time-outs all the same.
        std::vector<std::string> answers;
        for (int n = 0; n < 20; ++n) {
            answers.push_back(answer("uuid:stall-" + std::to_string(n),
                                     "http://127.0.0.64:8064/" + std::to_string(n) + ".xml"));
        }
        GroupPeer peer({127, 0, 0, 64}, answers);
        QVERIFY(peer.serveStalling(8064));
        ovtest::StderrCapture capture;
        QCOMPARE(m_impl->discoveryStart(3600, 1), 0);
        QTest::qSleep(SsdpSearch::CompletionMs + 300);
        QCOMPARE(m_impl->discoveryRefresh(), 0);
        QVERIFY(ovtest::waitUntil([&] { return peer.searches().size() == 4; }, 1000));
        QVERIFY(!capture.contains("New SSDP search not automatically started"));
        m_impl->discoveryStop();
    }

    void descriptionFetchRules()
    {
        GroupPeer peer({127, 0, 0, 63});
        const std::string body = "hello";
        QVERIFY(peer.serve(8072, "HTTP/1.1 404 Not Found\r\nContent-Length: 5\r\n\r\n" + body));
        QVERIFY(peer.serve(8073, "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n" + body));
        QVERIFY(peer.serveStalling(8075));
        const std::array<uint8_t, 4> at{127, 0, 0, 63};

        // An error status and a truncated body are failures, never data.
        QCOMPARE(httpGet(at, 8072, "/d.xml").error, std::string("HTTP status 404"));
        QVERIFY(!httpGet(at, 8073, "/d.xml").ok);
        // A stalling peer is given up long before the overall deadline.
        const auto started = Clock::now();
        const FetchResult stalled = httpGet(at, 8075, "/d.xml", MaxDescriptionSize, 10000);
        QVERIFY(!stalled.ok);
        QVERIFY2(msBetween(started) < 2500, std::to_string(msBetween(started)).c_str());
    }

    void cycleThatCannotSendStillExpires()
    {
        addMixer(40);
        startAndList(1);
        {
            // The cable is out: no interface can carry the search.
            ovtest::StderrCapture capture;
            NetworkChange network;
            QVERIFY(network.apply("ip link set lo multicast off", "ip link set lo multicast on"));
            runCycle();
            QCOMPARE(m_listener->count(DEVICE_DELETED), size_t(0));
            QCOMPARE(m_impl->discoveryRefresh(), 0);
            QVERIFY(
                ovtest::waitUntil([&] { return m_listener->count(DEVICE_DELETED) == 1; }, CycleMs));
            QVERIFY(
                capture.contains("Warning: SSDP search could not be sent (no IPv4 interface that "
                                 "can carry multicast is up); this cycle completes without "
                                 "answers.\n"));
        }
        // Back on the network, the next cycle finds the mixer again.
        runCycle();
        QVERIFY(ovtest::waitUntil([&] { return m_listener->count(DEVICE_ADDED) == 2; }, CycleMs));
    }

private:
    MixerNetFace &addMixer(int lastOctet)
    {
        return addMixerAt({127, 0, 0, uint8_t(lastOctet)}, udnFor(lastOctet));
    }

    MixerNetFace &addMixerAt(const std::array<uint8_t, 4> &address, const std::string &udn)
    {
        MixerIdentity identity;
        identity.address = address;
        identity.serial = "S" + std::to_string(address[3]);
        identity.udn = udn;
        m_mixers.push_back(std::make_unique<MixerNetFace>(identity, true));
        if (!m_mixers.back()->start()) {
            qFatal("cannot start mixer %s", identity.addressText().c_str());
        }
        return *m_mixers.back();
    }

    // Starts discovery and waits until its first cycle has listed that many mixers and is over.
    void startAndList(size_t count)
    {
        QCOMPARE(m_impl->discoveryStart(3600, 1), 0);
        QVERIFY(
            ovtest::waitUntil([&] { return m_listener->count(DEVICE_ADDED) == count; }, CycleMs));
        QTest::qSleep(internal::SsdpSearch::WindowMs);
    }

    // Starts more search cycles, one after the other, each waited for until surely completed.
    void runCycle(int cycles = 1)
    {
        for (int cycle = 0; cycle < cycles; ++cycle) {
            QCOMPARE(m_impl->discoveryRefresh(), 0);
            QTest::qSleep(internal::SsdpSearch::WindowMs + 400);
        }
    }

    std::vector<std::unique_ptr<MixerNetFace>> m_mixers;
    std::unique_ptr<Impl> m_impl;
    std::shared_ptr<ovtest::RecordingDiscoveryListener> m_listener;
};

QTEST_APPLESS_MAIN(TestDiscovery)
#include "tst_discovery.moc"
