// SSDP datagrams, description documents, description URLs and HTTP replies, from fixtures.
#include "ovtesthelpers.h"

#include "ovlib/descriptionparser.h"
#include "ovlib/httpresponse.h"
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
    void datagrams_data();
    void datagrams();
    void iconLists_data();
    void iconLists();
    void brokenDocuments();
    void descriptionUrl_data();
    void descriptionUrl();
    void deviceFromDescription();
    void httpReplies_data();
    void httpReplies();
};

void TestSsdpParsing::datagrams_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("kind"); // -1: malformed
    QTest::newRow("search response") << "response_ok.txt" << int(SsdpMessage::SearchResponse);
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

void TestSsdpParsing::datagrams()
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
    }
}

void TestSsdpParsing::iconLists_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("urls"); // of the four slots
    QTest::newRow("two") << "two_icons.xml" << QStringList{"/icon48.png", "/icon120.png", "", ""};
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

void TestSsdpParsing::iconLists()
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

void TestSsdpParsing::brokenDocuments()
{
    for (const char *file : {"description/not_xml.xml", "description/no_device.xml"}) {
        const std::string doc = ovtest::fixture(file);
        QVERIFY2(!parseDescription(doc.data(), doc.size()), file);
    }
    QVERIFY(!parseDescription("", 0));
}

void TestSsdpParsing::descriptionUrl_data()
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

void TestSsdpParsing::descriptionUrl()
{
    QFETCH(QString, url);
    QFETCH(QString, address);
    QFETCH(int, port);
    QFETCH(QString, path);
    ovtest::StderrCapture capture;
    const auto endpoint = commandEndpointFromUrl(url.toStdString(), "Stage Left");
    if (address.isEmpty()) {
        QVERIFY(!endpoint);
        QVERIFY(
            capture.contains("Error creating IPEndPoint for device Stage Left. Exception: 3, "));
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

void TestSsdpParsing::deviceFromDescription()
{
    const std::string doc = ovtest::fixture("description/two_icons.xml");
    const auto d = parseDescription(doc.data(), doc.size());
    QVERIFY(d);
    ovtest::StderrCapture capture;
    const auto device = makeUpnpDevice(*d, "http://127.0.0.2/d.xml", {127, 0, 0, 2});
    QVERIFY(device);
    QCOMPARE(device->friendlyName(), std::string("Stage Left"));
    QCOMPARE(device->manufacturer(), std::string("Korvath"));
    QCOMPARE(device->modelName(), std::string("ZEPH-2208NET"));
    QCOMPARE(device->serialNumber(), std::string("S123456"));
    QCOMPARE(device->getKey(), std::string("uuid:11111111-2222-4333-8444-555555555555::"
                                           "urn:schemas-upnp-org:device:OVCUDevice:1"));
    QCOMPARE(device->endpoint(), IPEndPoint({127, 0, 0, 2}, 17300));
    // A packet from one host naming another is not believed.
    QVERIFY(!makeUpnpDevice(*d, "http://127.0.0.9/d.xml", {127, 0, 0, 2}));
    QVERIFY(capture.contains("names another host"));
}

void TestSsdpParsing::httpReplies_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    const auto row = [](const char *name, const QByteArray &bytes, bool closed,
                        HttpResponseParse::Status status, const QByteArray &body = {}) {
        QTest::newRow(name) << bytes << closed << int(status) << body;
    };
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";
    const QByteArray noLength = "HTTP/1.0 200 OK\r\n\r\nab";
    row("complete", head + "hello", false, HttpResponseParse::Complete, "hello");
    row("short body", head + "hel", false, HttpResponseParse::Incomplete);
    row("short then closed", head + "hel", true, HttpResponseParse::Malformed);
    row("no length, open", noLength, false, HttpResponseParse::Incomplete);
    row("no length, closed", noLength, true, HttpResponseParse::Complete, "ab");
    row("length over cap", "HTTP/1.1 200 OK\r\nContent-Length: 65537\r\n\r\n", false,
        HttpResponseParse::Malformed);
    row("body over cap", "HTTP/1.1 200 OK\r\n\r\n" + QByteArray(65537, 'x'), false,
        HttpResponseParse::Malformed);
    row("bad length", "HTTP/1.1 200 OK\r\nContent-Length: -3\r\n\r\n", false,
        HttpResponseParse::Malformed);
    row("blank length", "HTTP/1.1 200 OK\r\nContent-Length:  \r\n\r\nab", false,
        HttpResponseParse::Malformed);
    row("not http", "SSH-2.0\r\n\r\n", false, HttpResponseParse::Malformed);
    row("endless head", QByteArray(9000, 'h'), false, HttpResponseParse::Malformed);
}

void TestSsdpParsing::httpReplies()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, closed);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    const HttpResponseParse parsed = parseHttpResponse(bytes.toStdString(), closed, 64 * 1024);
    QCOMPARE(int(parsed.status), status);
    if (status == HttpResponseParse::Complete) {
        QCOMPARE(parsed.statusCode, 200);
        QCOMPARE(QByteArray::fromStdString(parsed.body), body);
    }
}

QTEST_APPLESS_MAIN(TestSsdpParsing)
#include "tst_ssdpparsing.moc"
