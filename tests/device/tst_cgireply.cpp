#include "device/qovcgireply.h"

#include <QtTest>

using Link = QovOnlineDeviceModelInternal::OvLink;

// How replies from a mixer are read, without a mixer: the rcode rule and the device
// information record.
class TestCgiReply : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rcodeRule_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("rcode");

        QTest::newRow("success") << QByteArray(R"({"rcode":1})") << 1;
        QTest::newRow("firmware updating") << QByteArray(R"({"rcode":7})") << 7;
        QTest::newRow("string is not a number") << QByteArray(R"({"rcode":"1"})") << 9999;
        QTest::newRow("missing") << QByteArray(R"({"status":1})") << 9999;
        QTest::newRow("empty body") << QByteArray() << 9999;
        QTest::newRow("truncated") << QByteArray(R"({"rcode":1)") << 9999;
    }

    void rcodeRule()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, rcode);
        QCOMPARE(QovCgiReply::rcode(body), rcode);
        QCOMPARE(QovCgiReply::succeeded(body), rcode == 1);
    }

    void deviceInfo_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("color");
        QTest::addColumn<bool>("auth");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<int>("link");
        QTest::addColumn<QovLinkedExtensions>("extensions");

        QTest::newRow("primary with two units, lower-case MAC")
            << QByteArray(
                   R"({"rcode":1,"devicename":"FOH","deviceid":3,"headercolor":2,)"
                   R"("admin_passwd":true,"macaddress":"00-1d-c1-00-00-0a","ovlink":{"mode":1},)"
                   R"("linked_unit_list":[{"serial":220801,"unitno":2},{"serial":7,"unitno":1}]})")
            << ""
            << "FOH" << 3 << 2 << true << "00:1D:C1:00:00:0A" << int(Link::PRIMARY)
            << QovLinkedExtensions{{220801, 2}, {7, 1}};
        QTest::newRow("mode 1 without units")
            << QByteArray(R"({"rcode":1,"ovlink":{"mode":1},"linked_unit_list":[]})") << ""
            << "" << -1 << -1 << false << "" << int(Link::NONE) << QovLinkedExtensions();
        QTest::newRow("mode 0 with units is still an extension")
            << QByteArray(R"({"rcode":1,"ovlink":{"mode":0},"linked_unit_list":[{"serial":1}]})")
            << ""
            << "" << -1 << -1 << false << "" << int(Link::EXTENSION) << QovLinkedExtensions{{1, 0}};
        QTest::newRow("firmware updating")
            << QByteArray(R"({"rcode":7})") << "FW updating"
            << "" << -1 << -1 << false << "" << int(Link::EXTENSION) << QovLinkedExtensions();
        QTest::newRow("rcode missing")
            << QByteArray(R"({"devicename":"A"})") << "unknown Error"
            << "A" << -1 << -1 << false << "" << int(Link::EXTENSION) << QovLinkedExtensions();
    }

    void deviceInfo()
    {
        QFETCH(QByteArray, body);
        const QovCgiApi::DeviceInfo info = QovCgiReply::deviceInfo(body);
        QTEST(info.error, "error");
        QTEST(info.deviceName, "name");
        QTEST(info.deviceId, "id");
        QTEST(info.headerColor, "color");
        QTEST(info.authRequired, "auth");
        QTEST(info.macAddress, "mac");
        QTEST(int(info.ovLink), "link");
        QTEST(info.linkedExtensions, "extensions");
    }
};

QTEST_APPLESS_MAIN(TestCgiReply)
#include "tst_cgireply.moc"
