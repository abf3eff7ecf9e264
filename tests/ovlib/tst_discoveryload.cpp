// A hundred simulated mixers on the SSDP group: one cycle finds them all, each once, and the
// next keeps them without reporting any again.
#include "ovtesthelpers.h"
#include "privatenetwork.h"

#include "mixerfleet.h"
#include "ovlib/devicemanagerimpl.h"
#include "ovlib/ssdpsearch.h"

#include <QtTest>
#include <algorithm>

using namespace ovlib;
using Impl = DeviceManager::DeviceManagerImpl;

class TestDiscoveryLoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { velmora::test::requirePrivateNetwork(); }

    void hundredMixers()
    {
        constexpr int Count = 100;
        constexpr int FirstOctet = 10;
        velmora::sim::MixerFleet fleet;
        QVERIFY(fleet.start(FirstOctet, Count));
        auto listener = std::make_shared<ovtest::RecordingDiscoveryListener>();
        Impl manager;
        QCOMPARE(manager.setDiscoveryListener(listener), 0);
        std::vector<std::string> expected;
        for (int n = 0; n < Count; ++n) {
            expected.push_back(velmora::sim::fleetIdentity(FirstOctet, n).udn);
        }
        std::sort(expected.begin(), expected.end());

        QCOMPARE(manager.discoveryStart(3600, 1), 0);
        // Within the first search window: every mixer answered and was fetched in that cycle, once.
        QVERIFY2(ovtest::waitUntil([&] { return listener->count(DEVICE_ADDED) >= Count; },
                                   internal::SsdpSearch::WindowMs + 500),
                 std::to_string(listener->count(DEVICE_ADDED)).c_str());
        std::vector<std::string> added = listener->udns(DEVICE_ADDED);
        std::sort(added.begin(), added.end());
        QCOMPARE(added, expected);

        // Two more cycles, the second ended by the silent mixer's expiry, report nobody twice.
        QTest::qSleep(internal::SsdpSearch::WindowMs);
        fleet.mixer(42).ssdp().setMuted(true);
        QCOMPARE(manager.discoveryRefresh(), 0);
        QTest::qSleep(internal::SsdpSearch::WindowMs + 500);
        QCOMPARE(listener->count(DEVICE_DELETED), size_t(0));
        QCOMPARE(manager.discoveryRefresh(), 0);
        QVERIFY(ovtest::waitUntil([&] { return listener->count(DEVICE_DELETED) == 1; },
                                  internal::SsdpSearch::WindowMs + 1500));
        QCOMPARE(listener->udns(DEVICE_DELETED)[0],
                 velmora::sim::fleetIdentity(FirstOctet, 42).udn);
        QCOMPARE(listener->count(DEVICE_ADDED), size_t(Count));
        QCOMPARE(manager.getDevices().size(), size_t(Count - 1));
        QCOMPARE(manager.discoveryStop(), 0);
    }
};

QTEST_APPLESS_MAIN(TestDiscoveryLoad)
#include "tst_discoveryload.moc"
