// The device manager's rules without the network: arguments, states, and a search cycle's
// add, replace, remove and expiry played through the control point's callbacks.
#include "ovtesthelpers.h"

#include "ovlib/devicemanagerimpl.h"
#include "ovlib/ovupnpdevice.h"
#include "ovlib/ssdpsearch.h"

#include <QtTest>
#include <algorithm>
#include <map>
#include <thread>

using namespace ovlib;
using Impl = DeviceManager::DeviceManagerImpl;

static std::shared_ptr<OvUPnPDevice> mixer(int n, uint8_t lastOctet = 0)
{
    DeviceDescription d;
    d.udn = "uuid:mixer-" + std::to_string(n);
    d.deviceType = Impl::SearchTarget;
    d.friendlyName = "Mixer " + std::to_string(n);
    return std::make_shared<OvUPnPDevice>(
        d, IPEndPoint({127, 0, 0, lastOctet ? lastOctet : uint8_t(n)}, 17300));
}

// What an answer or announcement of mixer n at its address said.
static internal::SsdpAnnouncement heard(int n, long maxAge = -1, uint8_t lastOctet = 0)
{
    internal::SsdpAnnouncement a;
    a.udn = "uuid:mixer-" + std::to_string(n);
    a.responder = {127, 0, 0, lastOctet ? lastOctet : uint8_t(n)};
    a.location = "http://127.0.0." + std::to_string(a.responder[3]) + "/description.xml";
    a.maxAgeSeconds = maxAge;
    a.at = std::chrono::steady_clock::now();
    return a;
}

class TestDeviceManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_impl = std::make_unique<Impl>();
        m_listener = std::make_shared<ovtest::RecordingDiscoveryListener>();
        QCOMPARE(m_impl->setDiscoveryListener(m_listener), 0);
    }

    void startArguments_data()
    {
        QTest::addColumn<unsigned>("seconds");
        QTest::addColumn<unsigned>("flags");
        QTest::newRow("9 s") << 9u << 1u;
        QTest::newRow("3601 s") << 3601u << 1u;
        QTest::newRow("flag 2") << 60u << 2u;
    }

    void startArguments()
    {
        QFETCH(unsigned, seconds);
        QFETCH(unsigned, flags);
        ovtest::StderrCapture capture;
        QCOMPARE(m_impl->discoveryStart(seconds, flags), 3);
        QVERIFY(!m_impl->isActive());
        QCOMPARE(capture.text(), std::string());
    }

    void stateErrors()
    {
        ovtest::StderrCapture capture;
        QCOMPARE(m_impl->setDiscoveryListener(nullptr), 3);
        QVERIFY(capture.contains("Error: DeviceManager::DeviceManagerImpl::setDiscoveryListener: "
                                 "Discovery listener is null!\n"));
        QCOMPARE(m_impl->discoveryRefresh(), 5);
        QVERIFY(
            capture.contains("Error (ovlib::DeviceManager::DeviceManagerImpl::discoveryRefresh) "
                             "Discovery was not already started.\n"));
        QCOMPARE(m_impl->discoveryStop(), 5);
        QVERIFY(capture.contains("Error: (ovlib::DeviceManager::DeviceManagerImpl::discoveryStop) "
                                 "called but discovery is not started.\n"));

        // Flag 0x4 alone is kept but runs nothing: active without a thread, which a later start
        // treats as ended, so it may start again.
        QCOMPARE(m_impl->discoveryStart(10, 4), 0);
        QVERIFY(m_impl->isActive());
        QVERIFY(!m_impl->isThreadRunning());
        QCOMPARE(m_impl->discoveryStart(3600, 4), 0);
        QVERIFY(!capture.contains("Discovery already active."));
        QCOMPARE(m_impl->discoveryStop(), 0);

        Impl fresh;
        QCOMPARE(fresh.discoveryStart(60, 1), 5);
        QVERIFY(capture.contains("Error: DeviceManager::DeviceManagerImpl::discoveryStart(): "
                                 "Discovery listener not registered.\n"));
        {
            auto shortLived = std::make_shared<ovtest::RecordingDiscoveryListener>();
            QCOMPARE(fresh.setDiscoveryListener(shortLived), 0);
        }
        QCOMPARE(fresh.discoveryStart(60, 1), 5);
        QVERIFY(!fresh.isThreadRunning());
    }

    void removal()
    {
        ovtest::StderrCapture capture;
        m_impl->onUpnpDeviceAdded(mixer(2));
        m_impl->onUpnpDeviceAdded(mixer(3));
        m_impl->onUpnpDeviceRemoved("uuid:mixer-2");
        m_impl->flushEvents();
        QCOMPARE(m_listener->udns(DEVICE_DELETED), std::vector<std::string>{"uuid:mixer-2"});
        QCOMPARE(m_impl->getDevices().size(), size_t(1));

        m_impl->onUpnpDeviceRemoved("uuid:mixer-2");
        QVERIFY(
            capture.contains("UPNP device removed callback called, but device not found in list. "
                             "UDN=uuid:mixer-2\n"));
        m_impl->onUpnpDeviceRemoved("");
        QVERIFY(capture.contains("Called ConcurrentRemoveUpnp with empty string!\n"));
        m_impl->flushEvents();
        QCOMPARE(m_listener->count(DEVICE_DELETED), size_t(1));
    }

    void expiryAfterTwoMissedCycles_data()
    {
        QTest::addColumn<QList<int>>("listed");
        QTest::addColumn<QList<int>>("second"); // answered in the second cycle
        QTest::addColumn<QList<int>>("third");
        QTest::addColumn<QStringList>("deleted"); // after the third
        QTest::newRow("missing twice") << QList<int>{2, 3, 4} << QList<int>{2, 4}
                                       << QList<int>{4, 2} << QStringList{"uuid:mixer-3"};
        QTest::newRow("missing once")
            << QList<int>{2, 3} << QList<int>{2} << QList<int>{2, 3} << QStringList{};
        QTest::newRow("answering in turns")
            << QList<int>{2, 3} << QList<int>{2} << QList<int>{3} << QStringList{};
        QTest::newRow("all silent") << QList<int>{2, 3} << QList<int>{} << QList<int>{}
                                    << QStringList{"uuid:mixer-2", "uuid:mixer-3"};
        // A new device and a vanished one make a cycle of the same size as the list: still expired.
        QTest::newRow("same size") << QList<int>{2, 3} << QList<int>{2, 4} << QList<int>{2, 4}
                                   << QStringList{"uuid:mixer-3"};
    }

    void expiryAfterTwoMissedCycles()
    {
        QFETCH(QList<int>, listed);
        QFETCH(QList<int>, second);
        QFETCH(QList<int>, third);
        QFETCH(QStringList, deleted);
        std::map<std::string, std::shared_ptr<Device>> newest;
        const auto cycle = [&](const QList<int> &answering) {
            m_impl->beginCycle();
            for (int n : answering) {
                const auto device = mixer(n);
                newest[device->udn()] = device;
                m_impl->onUpnpDeviceAdded(device);
            }
            m_impl->onSearchComplete();
        };
        cycle(listed);
        cycle(second);
        m_impl->flushEvents();
        QCOMPARE(m_listener->count(DEVICE_DELETED), size_t(0)); // one miss is forgiven
        cycle(third);
        m_impl->flushEvents();
        QStringList got;
        for (const auto &udn : m_listener->udns(DEVICE_DELETED)) {
            got << QString::fromStdString(udn);
        }
        QCOMPARE(got, deleted);
        // A device that answered again is not reported again; the newer object takes its place.
        for (const auto &device : m_impl->getDevices()) {
            QCOMPARE(device, newest[internal::udnOf(device)]);
            QVERIFY(!deleted.contains(QString::fromStdString(internal::udnOf(device))));
        }
        QCOMPARE(m_impl->getDevices().size() + size_t(deleted.size()), newest.size());
    }

    void maxAgeAndAnswersKeepPresence()
    {
        // An announced max-age that has passed removes the device between searches.
        m_impl->onDescribed(mixer(2), heard(2, 0));
        m_impl->onDescribed(mixer(3), heard(3, 3600));
        m_impl->expireOverdue();
        m_impl->flushEvents();
        QCOMPARE(m_listener->udns(DEVICE_DELETED), std::vector<std::string>{"uuid:mixer-2"});

        // An answer from the device's own address counts even when its description never comes;
        // one from another host does not.
        const auto answeredFrom = [&](uint8_t lastOctet, int cycles) {
            for (int cycle = 0; cycle < cycles; ++cycle) {
                m_impl->beginCycle();
                m_impl->onAnswered(heard(3, -1, lastOctet));
                m_impl->onSearchComplete();
            }
        };
        answeredFrom(3, 3);
        answeredFrom(66, 2);
        m_impl->flushEvents();
        QCOMPARE(m_listener->udns(DEVICE_DELETED),
                 (std::vector<std::string>{"uuid:mixer-2", "uuid:mixer-3"}));
    }

    void byebyeBeatsFetchUnderWay()
    {
        const auto answeredBefore = heard(2);
        // A goodbye from another host is no goodbye.
        m_impl->onByebye("uuid:mixer-2", {127, 0, 0, 66});
        m_impl->onDescribed(mixer(2), answeredBefore);
        m_impl->flushEvents();
        QCOMPARE(m_listener->count(DEVICE_ADDED), size_t(1));

        const auto answeredAgain = heard(2);
        m_impl->onByebye("uuid:mixer-2", {127, 0, 0, 2});
        // The description fetched for the earlier answer arrives after the goodbye: dropped.
        m_impl->onDescribed(mixer(2), answeredAgain);
        m_impl->flushEvents();
        QCOMPARE(m_listener->count(DEVICE_DELETED), size_t(1));
        QCOMPARE(m_listener->count(DEVICE_ADDED), size_t(1));
        QVERIFY(m_impl->getDevices().empty());
        // Answering after the goodbye brings it back.
        m_impl->onDescribed(mixer(2), heard(2));
        m_impl->flushEvents();
        QCOMPARE(m_listener->count(DEVICE_ADDED), size_t(2));
    }

    void movedDeviceIsModifiedOnce()
    {
        m_impl->onDescribed(mixer(2), heard(2));
        m_impl->onDescribed(mixer(2), heard(2)); // the same again: silent
        m_impl->onDescribed(mixer(2, 9), heard(2, -1, 9));
        m_impl->flushEvents();
        QCOMPARE(m_listener->eventsOf("uuid:mixer-2"),
                 (std::vector<DiscoveryEvent>{DEVICE_ADDED, DEVICE_MODIFIED}));
        const auto moved =
            std::static_pointer_cast<OvUPnPDevice>(m_listener->lastDevice(DEVICE_MODIFIED));
        QCOMPARE(moved->endpoint().toString(), std::string("127.0.0.9:17300"));
        QCOMPARE(m_impl->getDevices().size(), size_t(1));
        // Only the device at its current address may say goodbye.
        m_impl->onByebye("uuid:mixer-2", {127, 0, 0, 2});
        QCOMPARE(m_impl->getDevices().size(), size_t(1));
        m_impl->onByebye("uuid:mixer-2", {127, 0, 0, 9});
        QCOMPARE(m_impl->getDevices().size(), size_t(0));
    }

    void eventsOfOneDeviceStayInOrder()
    {
        // One thread keeps adding a device while another keeps removing it: whatever the
        // interleaving, its events must alternate, starting with the addition.
        ovtest::StderrCapture quiet;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        const auto keepDoing = [until](std::function<void()> step) {
            return std::thread([until, step] {
                while (std::chrono::steady_clock::now() < until) {
                    step();
                }
            });
        };
        std::thread adder = keepDoing([&] { m_impl->onUpnpDeviceAdded(mixer(2)); });
        std::thread remover = keepDoing([&] { m_impl->onUpnpDeviceRemoved("uuid:mixer-2"); });
        adder.join();
        remover.join();
        m_impl->flushEvents();
        const auto events = m_listener->eventsOf("uuid:mixer-2");
        QVERIFY(events.size() >= 2);
        for (size_t i = 0; i < events.size(); ++i) {
            QCOMPARE(events[i], i % 2 == 0 ? DEVICE_ADDED : DEVICE_DELETED);
        }
    }

    void goneListener()
    {
        ovtest::StderrCapture capture;
        m_listener.reset();
        m_impl->onUpnpDeviceAdded(mixer(2));
        m_impl->flushEvents();
        QVERIFY(capture.contains("Warning: onUpnpDeviceAdded - Discovery listener not found.\n"));
        m_impl->onUpnpDeviceRemoved("uuid:mixer-2");
        m_impl->flushEvents();
        QVERIFY(capture.contains("Discovery listener not registered.\n"));
        QCOMPARE(m_impl->getDevices().size(), size_t(0));
    }

private:
    std::unique_ptr<Impl> m_impl;
    std::shared_ptr<ovtest::RecordingDiscoveryListener> m_listener;
};

QTEST_APPLESS_MAIN(TestDeviceManager)
#include "tst_devicemanager.moc"
