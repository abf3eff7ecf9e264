// Error codes, exceptions, endpoints, device identity and the status texts.
#include "ovtesthelpers.h"

#include "ovlib/hresulttext.h"
#include "ovlib/ipendpoint.h"
#include "ovlib/ovcommand.h"
#include "ovlib/overror.h"
#include "ovlib/ovexception.h"
#include "ovlib/ovupnpdevice.h"

#include <QtTest>

using namespace ovlib;

static std::shared_ptr<OvUPnPDevice> upnp(const std::string &udn, const std::string &type)
{
    DeviceDescription d;
    d.udn = udn;
    d.deviceType = type;
    return std::make_shared<OvUPnPDevice>(d, IPEndPoint({127, 0, 0, 2}, 17300));
}

class TestOvBasics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exceptionMessage_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("success") << 0 << "OV_SUCCESS";
        QTest::newRow("timed out") << 10 << "OV_ERR_TIMEDOUT";
        QTest::newRow("version") << 13 << "OV_ERR_VERSION";
        QTest::newRow("device parameter") << 103 << "OV_CMD_ERR_INVALID_PARAMETER";
        QTest::newRow("device unknown") << 199 << "OV_CMD_ERR_UNKNOWN";
        QTest::newRow("gap after 13") << 14 << "";
        QTest::newRow("unnamed") << 150 << "";
        QTest::newRow("negative") << -1 << "";
    }

    void exceptionMessage()
    {
        QFETCH(int, code);
        QFETCH(QString, message);
        const OvException bare(code);
        QCOMPARE(bare.code(), code);
        QCOMPARE(QString::fromStdString(bare.what()), message);

        const OvException withText(code, "own text");
        QCOMPARE(withText.code(), code);
        QCOMPARE(std::string(withText.what()), std::string("own text"));
    }

    void validAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << QString("192.168.1.20") << QString("192.168.1.20");
        QTest::newRow("bounds") << QString("0.0.0.255") << QString("0.0.0.255");
        QTest::newRow("leading zeros dropped") << QString("010.001.000.002") << QString("10.1.0.2");
    }

    void validAddress()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const IPEndPoint endpoint(IPEndPoint::parseAddress(text.toStdString()), 17300);
        QCOMPARE(QString::fromStdString(endpoint.addressText()), expected);
        QCOMPARE(QString::fromStdString(endpoint.toString()), expected + ":17300");
    }

    void invalidAddress_data()
    {
        QTest::addColumn<QString>("text");
        // A failed number conversion carries the conversion's own words, not only the code name.
        QTest::addColumn<bool>("ownWords");
        QTest::newRow("three parts") << QString("10.0.0") << false;
        QTest::newRow("five parts") << QString("10.0.0.1.2") << false;
        QTest::newRow("256") << QString("10.0.0.256") << false;
        QTest::newRow("negative") << QString("10.-1.0.1") << false;
        QTest::newRow("trailing text") << QString("10.0.0.1x") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("leading blank") << QString(" 1.2.3.4") << false;
        QTest::newRow("plus sign") << QString("1.+2.3.4") << false;
        QTest::newRow("host name") << QString("mixer.local") << true;
        QTest::newRow("empty part") << QString("10..0.1") << true;
        QTest::newRow("huge number") << QString("99999999999999999999.0.0.1") << true;
    }

    void invalidAddress()
    {
        QFETCH(QString, text);
        QFETCH(bool, ownWords);
        const std::string error =
            ovtest::ovError([&] { IPEndPoint::parseAddress(text.toStdString()); });
        const std::string named = "3: OV_ERR_INVALID_PARAMETER";
        QVERIFY2(ownWords ? error.rfind("3: ", 0) == 0 && error.size() > 3 && error != named
                          : error == named,
                 error.c_str());
    }

    void hresultText_data()
    {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("mode")
            << 0x80010106u
            << "RPC_E_CHANGED_MODE - Trying to change COM concurrency model for a thread";
        QTest::newRow("root") << 0x80040200u << "Root Element Expected";
        QTest::newRow("timeout") << 0x80040217u << "Device Timeout";
        QTest::newRow("subscription") << 0x80040501u << "Event Subscription Failed";
        QTest::newRow("action first") << 0x80040300u << "Action Specific Error";
        QTest::newRow("action last") << 0x8004042Bu << "Action Specific Error";
        QTest::newRow("after action range")
            << 0x8004042Cu << "An error has occured.\n\nError Code: 0x8004042c";
        QTest::newRow("gap 0x80040218")
            << 0x80040218u << "An error has occured.\n\nError Code: 0x80040218";
    }

    void hresultText()
    {
        QFETCH(quint32, code);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(internal::hresultText(code)), text);
    }

    void deviceIdentity()
    {
        const auto a = upnp("uuid:1", "urn:x");
        QCOMPARE(a->getKey(), std::string("uuid:1::urn:x"));
        QCOMPARE(a->getType(), 1);
        QVERIFY(a->isSameDevice(upnp("uuid:1", "urn:x")));
        QVERIFY(!a->isSameDevice(upnp("uuid:2", "urn:x")));
        QVERIFY(!a->isSameDevice(upnp("uuid:1", "urn:y")));
        QVERIFY(!a->isSameDevice(nullptr));
        // Without either part there is no identity, so two such devices are never the same.
        const auto blank = upnp("uuid:1", "");
        QCOMPARE(blank->getKey(), std::string());
        QVERIFY(!blank->isSameDevice(upnp("uuid:1", "")));
        // A base device with an equal (empty) key is of another type.
        QVERIFY(!blank->isSameDevice(std::make_shared<Device>()));
    }

    void baseDeviceRefusesCommands()
    {
        Device base;
        QCOMPARE(ovtest::ovError([&] { base.sendCommand(std::make_shared<OvCommand>()); }),
                 std::to_string(OV_ERR_NOTSUPPORTED) +
                     ": sendCommand not supported for this device type.");
    }
};

QTEST_APPLESS_MAIN(TestOvBasics)
#include "tst_ovbasics.moc"
