// SSDP datagrams, description documents and description URLs, from fixtures.
#include "ovtesthelpers.h"

#include "ovlib/descriptionparser.h"
#include "ovlib/ovupnpdevice.h"
#include "ovlib/ssdpmessage.h"
#include "ovlib/upnpdevicebuilder.h"

#include <QtTest>

using namespace ovlib;
using namespace ovlib::internal;

class TestSsdpParsing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void datagrams_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("kind"); // -1: malformed
        QTest::newRow("search response") << "response_ok.txt" << int(SsdpMessage::SearchResponse);
        QTest::newRow("LF only") << "response_lf_only.txt" << int(SsdpMessage::SearchResponse);
        QTest::newRow("blanks around values")
            << "response_blanks.txt" << int(SsdpMessage::SearchResponse);
        QTest::newRow("byebye") << "notify_byebye.txt" << int(SsdpMessage::Notify);
        QTest::newRow("m-search") << "msearch.txt" << int(SsdpMessage::Search);
        QTest::newRow("no blank line") << "no_blank_line.txt" << -1;
        QTest::newRow("header without colon") << "header_without_colon.txt" << -1;
        QTest::newRow("duplicate usn") << "duplicate_usn.txt" << -1;
        QTest::newRow("duplicate location") << "duplicate_location.txt" << -1;
        QTest::newRow("empty usn") << "empty_usn.txt" << -1;
        QTest::newRow("empty location") << "empty_location.txt" << -1;
        QTest::newRow("huge usn") << "huge_usn.txt" << -1;
        QTest::newRow("bad start line") << "bad_start_line.txt" << -1;
    }

    void datagrams()
    {
        QFETCH(QString, file);
        QFETCH(int, kind);
        const std::string bytes = ovtest::fixture("ssdp/" + file.toStdString());
        QVERIFY(!bytes.empty());
        const SsdpParseResult result = parseSsdpMessage(bytes.data(), bytes.size());
        if (kind < 0) {
            QCOMPARE(result.status, SsdpParseResult::Malformed);
            return;
        }
        QCOMPARE(result.status, SsdpParseResult::Complete);
        QCOMPARE(int(result.message.kind), kind);
        QCOMPARE(result.consumed, bytes.size());
        const std::string usn = result.message.header("usn");
        if (!usn.empty()) {
            QCOMPARE(udnFromUsn(usn), std::string("uuid:11111111-2222-4333-8444-555555555555"));
        }
        if (kind == SsdpMessage::SearchResponse) {
            // Header names are matched without regard to case; values are trimmed.
            QCOMPARE(result.message.header("location"),
                     std::string("http://127.0.0.2:80/description.xml"));
            QCOMPARE(result.message.header("ext"), std::string());
            QCOMPARE(result.message.header("st"),
                     std::string("urn:schemas-upnp-org:device:OVCUDevice:1"));
        }
    }

    void iconLists_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("urls"); // of the four slots
        QTest::newRow("two") << "two_icons.xml"
                             << QStringList{"/icon48.png", "/icon120.png", "", ""};
        QTest::newRow("five keep four")
            << "five_icons.xml" << QStringList{"/i1.png", "/i2.png", "/i3.png", "/i4.png"};
        QTest::newRow("no url ends list")
            << "icon_without_url.xml" << QStringList{"/a.png", "", "", ""};
        QTest::newRow("negative ends list")
            << "negative_width.xml" << QStringList{"/a.png", "", "", ""};
        QTest::newRow("foreign element ends list")
            << "foreign_element_in_list.xml" << QStringList{"/a.png", "", "", ""};
        QTest::newRow("names in any case")
            << "upper_case_names.xml" << QStringList{"/a.png", "", "", ""};
    }

    void iconLists()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, urls);
        const std::string doc = ovtest::fixture("description/" + file.toStdString());
        const auto d = parseDescription(doc.data(), doc.size());
        QVERIFY(d);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(QString::fromStdString(d->icons[size_t(i)].url), urls[i]);
            if (urls[i].isEmpty()) {
                QCOMPARE(d->icons[size_t(i)], DeviceIcon());
            }
        }
        if (file == "five_icons.xml") {
            QCOMPARE(d->icons[3].width, 64);
            QCOMPARE(d->icons[3].depth, 8);
        }
    }

    void brokenDocuments()
    {
        for (const char *file : {"description/not_xml.xml", "description/no_device.xml"}) {
            const std::string doc = ovtest::fixture(file);
            QVERIFY2(!parseDescription(doc.data(), doc.size()), file);
        }
        QVERIFY(!parseDescription("", 0));
    }

    void descriptionUrl_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("address"); // empty: dropped
        QTest::addColumn<int>("port");        // -1: not a usable location
        QTest::addColumn<QString>("path");
        const auto row = [](const char *name, const char *url, const char *address, int port,
                            const char *path) {
            QTest::newRow(name) << QString(url) << QString(address) << port << QString(path);
        };
        row("address with port", "http://192.168.0.7:80/desc.xml", "192.168.0.7", 80, "/desc.xml");
        row("no port", "http://127.0.0.5/d", "127.0.0.5", 80, "/d");
        row("no path", "http://127.0.0.5:8080", "127.0.0.5", 8080, "/");
        row("host name", "http://mixer.local:80/desc.xml", "", 80, "/desc.xml");
        row("bad port", "http://127.0.0.5:99999/d", "127.0.0.5", -1, "");
        row("space in path", "http://127.0.0.5/a b", "127.0.0.5", -1, "");
    }

    void descriptionUrl()
    {
        QFETCH(QString, url);
        QFETCH(QString, address);
        QFETCH(int, port);
        QFETCH(QString, path);
        ovtest::StderrCapture capture;
        const auto endpoint = commandEndpointFromUrl(url.toStdString(), "Stage Left");
        if (address.isEmpty()) {
            QVERIFY(!endpoint);
            QVERIFY(capture.contains(
                "Error creating IPEndPoint for device Stage Left. Exception: 3, "));
            QVERIFY(capture.contains(" Extracted URL=[mixer.local]. Device ignored.\n"));
        } else {
            QVERIFY(endpoint);
            QCOMPARE(QString::fromStdString(endpoint->addressText()), address);
            QCOMPARE(endpoint->port(), 17300u);
        }
        uint16_t gotPort = 0;
        std::string gotPath;
        QCOMPARE(locationPortAndPath(url.toStdString(), gotPort, gotPath), port > 0);
        if (port > 0) {
            QCOMPARE(int(gotPort), port);
            QCOMPARE(QString::fromStdString(gotPath), path);
        }
    }

    void trimmedFields()
    {
        // Pretty-printed documents put blanks and line ends around every value.
        const std::string doc = ovtest::fixture("description/pretty_printed.xml");
        const auto d = parseDescription(doc.data(), doc.size());
        QVERIFY(d);
        QCOMPARE(d->friendlyName, std::string("Stage Left"));
        QCOMPARE(d->manufacturer, std::string("Korvath"));
        QCOMPARE(d->modelName, std::string("ZEPH-2208"));
        QCOMPARE(d->serialNumber, std::string("S123456"));
        QCOMPARE(d->udn, std::string("uuid:11111111-2222-4333-8444-555555555555"));
        QCOMPARE(d->deviceType, std::string("urn:schemas-upnp-org:device:OVCUDevice:1"));
        QCOMPARE(d->icons[0], (DeviceIcon{48, 48, 24, "/icon48.png"}));
    }

    void deviceFromDescription()
    {
        const std::string udn = "uuid:11111111-2222-4333-8444-555555555555";
        const std::string doc = ovtest::fixture("description/two_icons.xml");
        const auto d = parseDescription(doc.data(), doc.size());
        QVERIFY(d);
        ovtest::StderrCapture capture;
        const auto device = makeUpnpDevice(*d, "http://127.0.0.2/d.xml", {127, 0, 0, 2}, udn);
        QVERIFY(device);
        QCOMPARE(device->friendlyName(), std::string("Stage Left"));
        QCOMPARE(device->manufacturer(), std::string("Korvath"));
        QCOMPARE(device->modelName(), std::string("ZEPH-2208NET"));
        QCOMPARE(device->serialNumber(), std::string("S123456"));
        QCOMPARE(device->getKey(), udn + "::urn:schemas-upnp-org:device:OVCUDevice:1");
        QCOMPARE(device->endpoint(), IPEndPoint({127, 0, 0, 2}, 17300));
        // A packet from one host naming another is not believed.
        QVERIFY(!makeUpnpDevice(*d, "http://127.0.0.9/d.xml", {127, 0, 0, 2}, udn));
        QVERIFY(capture.contains("names another host"));
        // The description must be of the device the answer named.
        QVERIFY(!makeUpnpDevice(*d, "http://127.0.0.2/d.xml", {127, 0, 0, 2}, "uuid:other"));
        QVERIFY(capture.contains("but the announcement named uuid:other. Device ignored.\n"));

        // Without an identity a device would be listed anew on every search: never listed.
        for (const char *file : {"description/no_udn.xml", "description/no_device_type.xml"}) {
            const std::string bytes = ovtest::fixture(file);
            const auto partial = parseDescription(bytes.data(), bytes.size());
            QVERIFY2(partial, file);
            QVERIFY2(
                !makeUpnpDevice(*partial, "http://127.0.0.2/d.xml", {127, 0, 0, 2}, partial->udn),
                file);
        }
        QVERIFY(capture.contains("has no UDN or no device type. Device ignored."));
    }

    void maxAge_data()
    {
        QTest::addColumn<QString>("cacheControl");
        QTest::addColumn<int>("seconds");
        QTest::newRow("plain") << "max-age=1800" << 1800;
        QTest::newRow("blanks and case") << "no-cache, MAX-AGE = 60" << 60;
        QTest::newRow("absent") << "no-cache" << -1;
        QTest::newRow("no number") << "max-age=" << -1;
        QTest::newRow("huge is capped") << "max-age=99999999999999999999" << 86400;
    }

    void maxAge()
    {
        QFETCH(QString, cacheControl);
        QFETCH(int, seconds);
        QCOMPARE(maxAgeSeconds(cacheControl.toStdString()), long(seconds));
    }
};

QTEST_APPLESS_MAIN(TestSsdpParsing)
#include "tst_ssdpparsing.moc"
