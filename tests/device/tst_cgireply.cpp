#include "device/qovcgireply.h"
#include "device/qovhttpresponseparser.h"
#include "device/qovmultipartbody.h"

#include <QtTest>

using Link = QovOnlineDeviceModelInternal::OvLink;
using Parser = QovHttpResponseParser;

// How replies from a mixer are read, without a mixer: the rcode rule, the device information
// record and the HTTP framing underneath.
class TestCgiReply : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rcodeRule_data();
    void rcodeRule();
    void deviceInfo_data();
    void deviceInfo();
    void responseFraming_data();
    void responseFraming();
    void responseArrivingInPieces();
    void multipartBody();
};

void TestCgiReply::rcodeRule_data()
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

void TestCgiReply::rcodeRule()
{
    QFETCH(QByteArray, body);
    QFETCH(int, rcode);
    QCOMPARE(QovCgiReply::rcode(body), rcode);
    QCOMPARE(QovCgiReply::succeeded(body), rcode == 1);
}

void TestCgiReply::deviceInfo_data()
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
        << QByteArray(R"({"rcode":1,"ovlink":{"mode":0},"linked_unit_list":[{"serial":1}]})") << ""
        << "" << -1 << -1 << false << "" << int(Link::EXTENSION) << QovLinkedExtensions{{1, 0}};
    QTest::newRow("firmware updating")
        << QByteArray(R"({"rcode":7})") << "FW updating"
        << "" << -1 << -1 << false << "" << int(Link::EXTENSION) << QovLinkedExtensions();
    QTest::newRow("rcode missing")
        << QByteArray(R"({"devicename":"A"})") << "unknown Error"
        << "A" << -1 << -1 << false << "" << int(Link::EXTENSION) << QovLinkedExtensions();
}

void TestCgiReply::deviceInfo()
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

void TestCgiReply::responseFraming_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("body");

    const QByteArray head = "HTTP/1.1 200 OK\r\n";
    // Header names are matched regardless of case.
    QTest::newRow("length") << head + "content-length: 5\r\n\r\nhello" << false
                            << int(Parser::Complete) << QByteArray("hello");
    QTest::newRow("length not reached") << head + "Content-Length: 9\r\n\r\nhello" << false
                                        << int(Parser::Incomplete) << QByteArray();
    QTest::newRow("length not reached, closed") << head + "Content-Length: 9\r\n\r\nhello" << true
                                                << int(Parser::Malformed) << QByteArray();
    QTest::newRow("chunked") << head + "Transfer-Encoding: chunked\r\n\r\n3;x=y\r\nabc\r\n"
                                       "2\r\nde\r\n0\r\n\r\n"
                             << false << int(Parser::Complete) << QByteArray("abcde");
    QTest::newRow("chunk size not hex") << head + "Transfer-Encoding: chunked\r\n\r\nzz\r\n"
                                        << false << int(Parser::Malformed) << QByteArray();
    QTest::newRow("until close, closed")
        << head + "\r\nwhole" << true << int(Parser::Complete) << QByteArray("whole");
    QTest::newRow("error status keeps its body")
        << QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope") << false
        << int(Parser::Complete) << QByteArray("nope");
    QTest::newRow("closed before header end")
        << QByteArray("HTTP/1.1 200 OK\r\n") << true << int(Parser::Malformed) << QByteArray();
    QTest::newRow("negative length") << head + "Content-Length: -1\r\n\r\n"
                                     << false << int(Parser::Malformed) << QByteArray();
}

void TestCgiReply::responseFraming()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, closed);
    QovHttpResponse response;
    QTEST(int(Parser::parse(bytes, closed, response)), "result");
    QTEST(response.body, "body");
}

void TestCgiReply::responseArrivingInPieces()
{
    // Every prefix of a reply is incomplete until the last byte; no prefix is malformed.
    const QByteArray whole = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                             "4\r\n{\"rc\r\na\r\node\":1}xyz\r\n0\r\n\r\n";
    QovHttpResponse response;
    for (int size = 0; size < whole.size(); ++size) {
        QCOMPARE(int(Parser::parse(whole.left(size), false, response)), int(Parser::Incomplete));
    }
    QCOMPARE(int(Parser::parse(whole, false, response)), int(Parser::Complete));
    QCOMPARE(response.body, QByteArray("{\"rcode\":1}xyz"));
}

void TestCgiReply::multipartBody()
{
    QovMultipartBody body;
    const QByteArray content("chunk\r\n--with a dash line\xe2\x82", 26);
    body.addPart({{"Content-Type", "application/octet-stream"}}, content);
    const QByteArray boundary = body.boundary();
    QVERIFY(boundary.size() > 20);
    QCOMPARE(body.contentType(), "multipart/form-data; boundary=" + boundary);
    QCOMPARE(body.serialized(), "--" + boundary +
                                    "\r\nContent-Type: application/octet-stream\r\n\r\n" + content +
                                    "\r\n--" + boundary + "--\r\n");
}

QTEST_APPLESS_MAIN(TestCgiReply)
#include "tst_cgireply.moc"
