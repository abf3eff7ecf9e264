// A hundred simulated mixers on the SSDP group: one cycle finds them all, each once; a mixer
// that says goodbye is removed at once, one that falls silent at the end of the next cycle.
#include "ovtesthelpers.h"
#include "privatenetwork.h"

#include "mixerfleet.h"
#include "ovlib/devicemanagerimpl.h"
#include "ovlib/ssdpsearch.h"

#include <QtTest>
#include <set>

using namespace ovlib;
using Impl = DeviceManager::DeviceManagerImpl;

class TestDiscoveryLoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void hundredMixers();
};

void TestDiscoveryLoad::initTestCase()
{
    velmora::test::requirePrivateNetwork();
}

void TestDiscoveryLoad::hundredMixers()
{
    constexpr int Count = 100;
    constexpr int FirstOctet = 10;
    velmora::sim::MixerFleet fleet;
    QVERIFY(fleet.start(FirstOctet, Count));
    auto listener = std::make_shared<ovtest::RecordingDiscoveryListener>();
    Impl manager;
    QCOMPARE(manager.setDiscoveryListener(listener), 0);

    const auto started = std::chrono::steady_clock::now();
    QCOMPARE(manager.discoveryStart(3600, 1), 0);
    // Within the first search window: every mixer answered and was fetched in that cycle.
    QVERIFY2(ovtest::waitUntil([&] { return listener->count(DEVICE_ADDED) >= Count; },
                               internal::SsdpSearch::WindowMs + 500),
             std::to_string(listener->count(DEVICE_ADDED)).c_str());
    const auto elapsed = std::chrono::steady_clock::now() - started;
    QVERIFY(elapsed < std::chrono::milliseconds(internal::SsdpSearch::WindowMs + 500));
    const auto added = listener->udns(DEVICE_ADDED);
    QCOMPARE(std::set<std::string>(added.begin(), added.end()).size(), size_t(Count));
    for (int n = 0; n < Count; ++n) {
        QVERIFY(std::count(added.begin(), added.end(),
                           velmora::sim::fleetIdentity(FirstOctet, n).udn) == 1);
    }

    // Let the first cycle end, then one leaves properly and one just goes quiet.
    QTest::qSleep(internal::SsdpSearch::WindowMs);
    fleet.mixer(17).stop(true);
    QVERIFY(ovtest::waitUntil([&] { return listener->count(DEVICE_DELETED) == 1; }, 500));
    QCOMPARE(listener->udns(DEVICE_DELETED)[0], velmora::sim::fleetIdentity(FirstOctet, 17).udn);

    fleet.mixer(42).ssdp().setMuted(true);
    QCOMPARE(manager.discoveryRefresh(), 0);
    QVERIFY(ovtest::waitUntil([&] { return listener->count(DEVICE_DELETED) == 2; },
                              internal::SsdpSearch::WindowMs + 1500));
    QCOMPARE(listener->udns(DEVICE_DELETED)[1], velmora::sim::fleetIdentity(FirstOctet, 42).udn);
    // The second cycle reports nobody twice and nobody else gone.
    QTest::qSleep(300);
    QCOMPARE(listener->count(DEVICE_ADDED), size_t(Count));
    QCOMPARE(listener->count(DEVICE_DELETED), size_t(2));
    QCOMPARE(manager.getDevices().size(), size_t(Count - 2));
    QCOMPARE(manager.discoveryStop(), 0);
}

QTEST_APPLESS_MAIN(TestDiscoveryLoad)
#include "tst_discoveryload.moc"
