// The device manager's rules without the network: arguments, states, and a search cycle's
// add, replace, remove and expiry played through the control point's callbacks.
#include "ovtesthelpers.h"

#include "ovlib/devicemanagerimpl.h"
#include "ovlib/ovupnpdevice.h"

#include <QtTest>
#include <algorithm>
#include <map>

using namespace ovlib;
using Impl = DeviceManager::DeviceManagerImpl;

class TestDeviceManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void startArguments_data();
    void startArguments();
    void stateErrors();
    void removal();
    void expiryAtSearchComplete_data();
    void expiryAtSearchComplete();
    void goneListener();

private:
    std::unique_ptr<Impl> m_impl;
    std::shared_ptr<ovtest::RecordingDiscoveryListener> m_listener;
};

static std::shared_ptr<OvUPnPDevice> mixer(int n)
{
    DeviceDescription d;
    d.udn = "uuid:mixer-" + std::to_string(n);
    d.deviceType = Impl::SearchTarget;
    d.friendlyName = "Mixer " + std::to_string(n);
    return std::make_shared<OvUPnPDevice>(d, IPEndPoint({127, 0, 0, uint8_t(n)}, 17300));
}

void TestDeviceManager::init()
{
    m_impl = std::make_unique<Impl>();
    m_listener = std::make_shared<ovtest::RecordingDiscoveryListener>();
    QCOMPARE(m_impl->setDiscoveryListener(m_listener), 0);
}

void TestDeviceManager::cleanup()
{
    m_impl.reset();
}

void TestDeviceManager::startArguments_data()
{
    QTest::addColumn<unsigned>("seconds");
    QTest::addColumn<unsigned>("flags");
    QTest::newRow("9 s") << 9u << 1u;
    QTest::newRow("3601 s") << 3601u << 1u;
    QTest::newRow("flag 2") << 60u << 2u;
}

void TestDeviceManager::startArguments()
{
    QFETCH(unsigned, seconds);
    QFETCH(unsigned, flags);
    ovtest::StderrCapture capture;
    QCOMPARE(m_impl->discoveryStart(seconds, flags), 3);
    QVERIFY(!m_impl->isActive());
    QCOMPARE(capture.text(), std::string());
}

void TestDeviceManager::stateErrors()
{
    ovtest::StderrCapture capture;
    QCOMPARE(m_impl->setDiscoveryListener(nullptr), 3);
    QVERIFY(capture.contains("Error: DeviceManager::DeviceManagerImpl::setDiscoveryListener: "
                             "Discovery listener is null!\n"));
    QCOMPARE(m_impl->discoveryRefresh(), 5);
    QVERIFY(capture.contains("Error (ovlib::DeviceManager::DeviceManagerImpl::discoveryRefresh) "
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

void TestDeviceManager::removal()
{
    ovtest::StderrCapture capture;
    m_impl->onUpnpDeviceAdded(mixer(2));
    m_impl->onUpnpDeviceAdded(mixer(3));
    m_impl->onUpnpDeviceRemoved("uuid:mixer-2");
    QCOMPARE(m_listener->udns(DEVICE_DELETED), std::vector<std::string>{"uuid:mixer-2"});
    QCOMPARE(m_impl->getDevices().size(), size_t(1));

    m_impl->onUpnpDeviceRemoved("uuid:mixer-2");
    QVERIFY(capture.contains("UPNP device removed callback called, but device not found in list. "
                             "UDN=uuid:mixer-2\n"));
    m_impl->onUpnpDeviceRemoved("");
    QVERIFY(capture.contains("Called ConcurrentRemoveUpnp with empty string!\n"));
    QCOMPARE(m_listener->count(DEVICE_DELETED), size_t(1));
}

void TestDeviceManager::expiryAtSearchComplete_data()
{
    QTest::addColumn<QList<int>>("listed");
    QTest::addColumn<QList<int>>("answered"); // in the next cycle
    QTest::addColumn<QStringList>("deleted");
    QTest::newRow("one missing") << QList<int>{2, 3, 4} << QList<int>{2, 4}
                                 << QStringList{"uuid:mixer-3"};
    QTest::newRow("all missing") << QList<int>{2, 3} << QList<int>{}
                                 << QStringList{"uuid:mixer-2", "uuid:mixer-3"};
    QTest::newRow("all answered") << QList<int>{2, 3} << QList<int>{3, 2} << QStringList{};
    QTest::newRow("empty list") << QList<int>{} << QList<int>{} << QStringList{};
}

void TestDeviceManager::expiryAtSearchComplete()
{
    QFETCH(QList<int>, listed);
    QFETCH(QList<int>, answered);
    QFETCH(QStringList, deleted);
    for (int n : listed) {
        m_impl->onUpnpDeviceAdded(mixer(n));
    }
    m_impl->onSearchComplete();
    m_impl->beginCycle();
    std::map<std::string, std::shared_ptr<Device>> newer;
    for (int n : answered) {
        const auto device = mixer(n);
        newer[device->udn()] = device;
        m_impl->onUpnpDeviceAdded(device);
    }
    m_impl->onSearchComplete();
    QStringList got;
    for (const auto &udn : m_listener->udns(DEVICE_DELETED)) {
        got << QString::fromStdString(udn);
    }
    QCOMPARE(got, deleted);
    // A device that answered again is not reported again; the newer object takes its old place.
    QCOMPARE(m_listener->count(DEVICE_ADDED), size_t(listed.size()));
    QList<int> kept;
    for (const auto &device : m_impl->getDevices()) {
        QCOMPARE(device, newer[internal::udnOf(device)]);
        kept << std::stoi(internal::udnOf(device).substr(11));
    }
    for (int n : listed) {
        QCOMPARE(kept.contains(n), answered.contains(n));
    }
    QVERIFY(std::is_sorted(kept.begin(), kept.end()));
}

void TestDeviceManager::goneListener()
{
    ovtest::StderrCapture capture;
    m_listener.reset();
    m_impl->onUpnpDeviceAdded(mixer(2));
    QVERIFY(capture.contains("Warning: onUpnpDeviceAdded - Discovery listener not found.\n"));
    m_impl->onUpnpDeviceRemoved("uuid:mixer-2");
    QVERIFY(capture.contains("Discovery listener not registered.\n"));
    QCOMPARE(m_impl->getDevices().size(), size_t(0));
}

QTEST_APPLESS_MAIN(TestDeviceManager)
#include "tst_devicemanager.moc"
