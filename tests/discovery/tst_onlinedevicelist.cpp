#include "discovery/qovonlinedevicelist.h"
#include "mixerchecks.h"

#include <QtTest>

#include <atomic>
#include <thread>

namespace {
QovOnlineDeviceModel makeDevice(const QString &name, const QString &ip, int id = 0,
                                const QString &model = "ZEPH-2208", const QString &mac = {})
{
    auto device = std::make_shared<QovOnlineDeviceModelInternal>(
        QovDiscoveredDevice{"1", "uuid:" + name, name, model, ip});
    device->setDeviceId(id);
    device->setMacAddress(mac);
    return device;
}
} // namespace

class TestOnlineDeviceList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void move_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("after");

        // A drop reports the row before which the entry lands.
        QTest::newRow("first dropped before row 3") << 0 << 3 << QStringList{"b", "c", "a", "d"};
        QTest::newRow("fourth dropped on top") << 3 << 0 << QStringList{"d", "a", "b", "c"};
        QTest::newRow("dropped just below itself") << 2 << 3 << QStringList{"a", "b", "c", "d"};
        QTest::newRow("dropped past the end") << 1 << 4 << QStringList{"a", "c", "d", "b"};
        QTest::newRow("start out of range") << 7 << 0 << QStringList{"a", "b", "c", "d"};
    }

    void move()
    {
        QFETCH(int, start);
        QFETCH(int, row);
        QovOnlineDeviceList list;
        for (const char *name : {"a", "b", "c", "d"}) {
            list.append(makeDevice(name, "127.0.0.1"));
        }
        list.move(start, row);
        QTEST(namesOf(list.devices()), "after");
    }

    void sortBy_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("expected");

        // Devices: name, address, id.
        //   m1 "beta"  192.168.2.3   3
        //   m2 "Alpha" 10.0.1.0      255
        //   m3 "alpha" 192.168.1.20  -1
        //   m4 "Zed"   10.0.0.255    17
        //   m5 "mid"   10.0.0.9      40
        QTest::newRow("address ascending")
            << 1 << 1 << QStringList{"mid", "Zed", "Alpha", "alpha", "beta"};
        QTest::newRow("id descending")
            << 2 << 2 << QStringList{"Alpha", "mid", "Zed", "beta", "alpha"};
        // Upper case sorts before lower case: UTF-16 code units, not a locale order.
        QTest::newRow("name ascending")
            << 0 << 1 << QStringList{"Alpha", "Zed", "alpha", "beta", "mid"};
        QTest::newRow("unsorted order sorts descending")
            << 0 << 0 << QStringList{"mid", "beta", "alpha", "Zed", "Alpha"};
        QTest::newRow("unknown column keeps the list")
            << 3 << 1 << QStringList{"beta", "Alpha", "alpha", "Zed", "mid"};
    }

    void sortBy()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QovOnlineDeviceList list;
        list.append(makeDevice("beta", "192.168.2.3", 3));
        list.append(makeDevice("Alpha", "10.0.1.0", 255));
        list.append(makeDevice("alpha", "192.168.1.20", -1));
        list.append(makeDevice("Zed", "10.0.0.255", 17));
        list.append(makeDevice("mid", "10.0.0.9", 40));
        list.sortBy(column, order);
        QTEST(namesOf(list.devices()), "expected");
    }

    // Lookups by type are exercised through the finder.
    void findByAppDeviceNeedsMacAndModel()
    {
        QovOnlineDeviceList list;
        list.append(makeDevice("net", "127.0.0.2", 1, "ZEPH-2208NET", "00:11:22:33:44:55"));
        list.append(makeDevice("plain", "127.0.0.3", 2, "ZEPH-2208", "00:11:22:33:44:66"));
        list.append(makeDevice("twin", "127.0.0.4", 3, "ZEPH-2208", "00:11:22:33:44:55"));
        list.append(makeDevice("other", "127.0.0.5", 4, "ZEPH-4416", "00:11:22:33:44:77"));

        // Both the MAC and the model must match: the first MAC hit is a NET unit.
        auto appDevice = std::make_shared<QovAppDeviceModelInternal>(
            "stage left", QovDeviceSelector::ZEPH2208, "00:11:22:33:44:55", 0, 1);
        QovOnlineDeviceModel found = list.findByAppDevice(appDevice);
        QVERIFY(found);
        QCOMPARE(found->deviceName(), QString("twin"));

        appDevice->setMacAddress("00:11:22:33:44:77");
        QVERIFY2(!list.findByAppDevice(appDevice),
                 "a model we do not know matches no project type");
        appDevice->setDeviceType(QovDeviceSelector::ZEPH2208NET);
        appDevice->setMacAddress("00:11:22:33:44:66");
        QVERIFY(!list.findByAppDevice(appDevice));
    }

    // A project that opens looks up its mixers from the loader thread while discovery changes the
    // list on the GUI thread. Without the list's lock ThreadSanitizer reports this
    // (scripts/sanitize runs it), and a plain build can read a list in the middle of a
    // reallocation.
    void lookupsWhileTheListChanges()
    {
        QovOnlineDeviceList list;
        const QString mac = "00:11:22:33:44:55";
        list.append(makeDevice("wanted", "127.0.0.2", 1, "ZEPH-2208", mac));
        auto appDevice = std::make_shared<QovAppDeviceModelInternal>(
            "stage left", QovDeviceSelector::ZEPH2208, mac, 0, 1);

        std::atomic<bool> stop{false};
        std::atomic<int> lookups{0};
        std::atomic<int> misses{0};
        std::thread reader([&] {
            while (!stop.load()) {
                // The wanted mixer is never removed, only moved about, so every lookup finds it.
                if (!list.findByAppDevice(appDevice)) {
                    ++misses;
                }
                list.byDeviceType(QovDeviceSelector::ZEPH2208);
                ++lookups;
            }
        });
        for (int round = 0; round < 300; ++round) {
            for (int i = 0; i < 20; ++i) {
                list.append(makeDevice(QString("extra%1").arg(i), QString("127.0.1.%1").arg(i), i));
            }
            list.sortBy(round % 3, round % 2);
            const int wanted = list.indexOfIdentity("uuid:wanted", {});
            list.move(wanted, 0);
            while (list.size() > 1) {
                list.removeAt(list.size() - 1);
            }
        }
        stop = true;
        reader.join();
        QVERIFY(lookups.load() > 0);
        QCOMPARE(misses.load(), 0);
        QCOMPARE(namesOf(list.devices()), QStringList{"wanted"});
    }
};

QTEST_GUILESS_MAIN(TestOnlineDeviceList)
#include "tst_onlinedevicelist.moc"
