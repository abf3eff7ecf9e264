#include "models/qovdeviceselector.h"
#include "models/qovonlinedevicemodel.h"

#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <thread>

using Online = QovOnlineDeviceModelInternal;
using Type = QovDeviceSelector::DeviceType;

class TestOnlineDeviceModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void modelNameToType_data();
    void modelNameToType();
    void typeTable();
    void fromDiscovery_data();
    void fromDiscovery();
    void fromProjectDevice();
    void equalityByModelAndMac_data();
    void equalityByModelAndMac();
    void settersNotifyOnChangeOnly();
    void identityWrittenWhileShown();
};

void TestOnlineDeviceModel::modelNameToType_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Type>("type");
    QTest::newRow("2208") << "ZEPH-2208" << QovDeviceSelector::ZEPH2208;
    QTest::newRow("2208NET") << "ZEPH-2208NET" << QovDeviceSelector::ZEPH2208NET;
    QTest::newRow("trailing blank") << "ZEPH-2208 " << QovDeviceSelector::Unknown;
    QTest::newRow("Unknown is no model") << "Unknown" << QovDeviceSelector::Unknown;
}

void TestOnlineDeviceModel::modelNameToType()
{
    QFETCH(QString, name);
    QFETCH(Type, type);
    QCOMPARE(QovDeviceSelector::typeFromModelName(name), type);
    if (type != QovDeviceSelector::Unknown) {
        QCOMPARE(QovDeviceSelector::modelName(type), name);
    }
}

// Every supported type has both pictures built in.
void TestOnlineDeviceModel::typeTable()
{
    QVERIFY(!QovDeviceSelector::supportedTypes().isEmpty());
    for (Type type : QovDeviceSelector::supportedTypes()) {
        for (const QString &file : QovDeviceSelector::iconFiles(type)) {
            QVERIFY2(QFile::exists(file), qPrintable(file));
        }
        QCOMPARE(QovDeviceSelector::icon(type).availableSizes().size(), 2);
    }
    QVERIFY(QovDeviceSelector::icon(QovDeviceSelector::Unknown).isNull());
}

void TestOnlineDeviceModel::fromDiscovery_data()
{
    QTest::addColumn<QString>("serialText");
    QTest::addColumn<int>("serial");
    QTest::newRow("decimal") << "40012" << 40012;
    QTest::newRow("not a number") << "A40012" << 0;
    QTest::newRow("hexadecimal is not decimal") << "0x10" << 0;
}

void TestOnlineDeviceModel::fromDiscovery()
{
    QFETCH(QString, serialText);
    Online device(QovDiscoveredDevice{serialText, "uuid:abc", "Foyer", "ZEPH-2208", "127.0.0.3"});
    QTEST(device.serial(), "serial");
    QCOMPARE(device.uuid(), QString("uuid:abc"));
    QCOMPARE(device.deviceName(), QString("Foyer"));
    QCOMPARE(device.ipAddress(), QString("127.0.0.3"));
}

void TestOnlineDeviceModel::fromProjectDevice()
{
    auto project = std::make_shared<QovAppDeviceModelInternal>(
        "Bar", QovDeviceSelector::ZEPH2208NET, "00:AA:00:AA:00:AA", 6, 200);
    project->setIpAddress("127.0.0.4");
    Online device(project);
    QCOMPARE((QStringList{device.deviceName(), device.modelName(), device.ipAddress(),
                          device.macAddress()}),
             (QStringList{"Bar", "ZEPH-2208NET", "127.0.0.4", "00:AA:00:AA:00:AA"}));
    QCOMPARE(device.headerColor(), 6);
    QCOMPARE(device.deviceId(), 200);
}

void TestOnlineDeviceModel::equalityByModelAndMac_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("mac");
    QTest::addColumn<bool>("equal");
    const auto row = [](const char *name, const QString &model, const QString &mac, bool equal) {
        QTest::newRow(name) << model << mac << equal;
    };
    row("same", "ZEPH-2208", "00:11:22:33:44:5A", true);
    row("other model", "ZEPH-2208NET", "00:11:22:33:44:5A", false);
    row("other MAC", "ZEPH-2208", "00:11:22:33:44:5B", false);
    row("MAC case matters", "ZEPH-2208", "00:11:22:33:44:5a", false);
}

void TestOnlineDeviceModel::equalityByModelAndMac()
{
    QFETCH(QString, model);
    QFETCH(QString, mac);
    QFETCH(bool, equal);
    Online a(QovDiscoveredDevice{"1", "uuid:a", "A", "ZEPH-2208", "127.0.0.2"});
    a.setMacAddress("00:11:22:33:44:5A");
    // Name, address and the rest do not take part.
    Online b(QovDiscoveredDevice{"2", "uuid:b", "B", model, "127.0.0.9"});
    b.setMacAddress(mac);
    b.setDeviceId(9);
    QCOMPARE(a == b, equal);
    QCOMPARE(a != b, !equal);
}

void TestOnlineDeviceModel::settersNotifyOnChangeOnly()
{
    Online device(QovDiscoveredDevice{});
    QSignalSpy link(&device, &Online::ovLinkChanged);
    QSignalSpy extensions(&device, &Online::linkedExtensionsChanged);
    QSignalSpy selected(&device, &Online::selectedChanged);

    device.setOvLink(Online::PRIMARY);
    device.setOvLink(Online::PRIMARY);
    QCOMPARE(link.count(), 1);
    QCOMPARE(link.at(0).at(0).value<Online::OvLink>(), Online::PRIMARY);
    QCOMPARE(Online::ovLinkText(device.ovLink()), QString("Primary"));
    QCOMPARE(Online::ovLinkText(static_cast<Online::OvLink>(7)), QString("-"));

    device.setLinkedExtensions({{1, 2}, {3, 4}});
    device.setLinkedExtensions({{1, 2}, {3, 4}});
    QCOMPARE(extensions.count(), 1);
    device.setLinkedExtensions({{1, 2}, {3, 5}});
    QCOMPARE(extensions.count(), 2);
    QCOMPARE(device.linkedExtensions(), QovLinkedExtensions({{1, 2}, {3, 5}}));

    device.setSelected(true);
    device.setSelected(true);
    QCOMPARE(selected.count(), 1);

    // Through the property system, as the views and the web channel use it.
    QVERIFY(device.setProperty("deviceId", 17));
    QCOMPARE(device.deviceId(), 17);
}

// An application object, so that the program folder is known and icons can load pictures.
void TestOnlineDeviceModel::identityWrittenWhileShown()
{
    // A connection's worker gives a listed mixer the project's id and name while the GUI thread
    // paints it. ThreadSanitizer names a field read without the lock; any run checks that each
    // read is a value that was written, never a torn one.
    Online device(QovDiscoveredDevice{"1", "uuid:a", "Name 0", "ZEPH-2208", "127.0.0.2"});
    std::atomic<bool> stop{false};
    std::atomic<int> started{0};
    int written = 0;
    std::thread worker([&] {
        started = 1;
        while (!stop) {
            ++written;
            device.setDeviceId(written % 256);
            device.setDeviceName(QString("Name %1").arg(written));
        }
    });
    while (!started) {
        std::this_thread::yield();
    }
    bool whole = true;
    for (int reads = 0; reads < 5000; ++reads) {
        const int id = device.deviceId();
        const QString name = device.deviceName();
        whole = whole && id >= 0 && id < 256 && name.startsWith("Name ") &&
                !device.debugText().isEmpty();
    }
    stop = true;
    worker.join();
    QVERIFY(whole);
    QCOMPARE(device.deviceId(), written % 256);
    QCOMPARE(device.deviceName(), QString("Name %1").arg(written));
}

QTEST_MAIN(TestOnlineDeviceModel)
#include "tst_onlinedevicemodel.moc"
