// The four response parsers and the receive step that slices a connection's bytes.
#include "ovtesthelpers.h"

#include "ovlib/ovexception.h"
#include "ovlib/responseparser.h"

#include <QtTest>

using namespace ovlib;
using namespace ovlib::internal;

enum Parser { Ack, Nak, Answer, Exprt };

static std::shared_ptr<OvResponseObject> run(int parser, const std::string &bytes)
{
    const std::function<std::shared_ptr<OvResponseObject>(const std::string &)> parsers[] = {
        parseAck, parseNak, parseAnswer,
        [](const std::string &b) { return parseExprtAnswer("exprt", b); }};
    return parsers[parser](bytes);
}

class TestResponseParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parserFaults_data()
    {
        QTest::addColumn<int>("parser");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message"); // empty: any conversion text
        QTest::addColumn<bool>("structural"); // OvResponseParserExeption rather than OvException
        const auto row = [](const char *name, Parser parser, const QByteArray &bytes, int code,
                            const char *message, bool structural = false) {
            QTest::newRow(name) << int(parser) << bytes << code << QString(message) << structural;
        };
        const char *noData = "Data size equals 0 in OvNAKResponse parsing(constructor).";
        row("ack empty", Ack, "", 4, "Data size equals 0 in OvACKResponse parsing(constructor).");
        row("ack no end", Ack, "S ACK ", 4, "End char not included.");
        row("ack no space before end", Ack, "S ACK\r", 4,
            "Invalid elements num at ACKResponse constructor called.");
        row("ack not ack", Ack, "S NAK \r", 3, "Not ACK but ACKResponse constructor called.");
        row("ack bad end", Ack, "S ACK x\r", 3, "ACK but invalid end charactor at ACKResponse.");
        row("nak empty", Nak, "", 4, noData);
        row("nak no end", Nak, "S NAK 103 ", 4, "End char not included.");
        row("nak three items", Nak, "S NAK \r", 3,
            "Invalid field num at NAKResponse constructor called.");
        row("nak not nak", Nak, "S ACK 103 \r", 3, "Not NAK but NAKResponse constructor called.");
        row("nak bad end", Nak, "S NAK 103 x\r", 3,
            "NAK but invalid end charactor at NAKResponse.");
        row("nak not a number", Nak, "S NAK abc \r", 4, "");
        row("nak number overflow", Nak, "S NAK 99999999999999999999 \r", 4, "");
        row("answer empty", Answer, "", 4, noData);
        row("answer no end", Answer, "q MD 0001 NC x ", 4, "End char not included.");
        row("answer no last delimiter", Answer, "q MD 0001 NC x\r", 4,
            "Last delimiter not included.");
        row("answer end at 255", Answer, "q MD 0001 NC " + QByteArray(241, 'x') + " \r", 4,
            "Too long Answer response.", true);
        row("answer three items", Answer, "q MD \r", 3,
            "Splited items num are less than 4 at AnswerResponse.", true);
        row("answer bad marker", Answer, "q MD 0001 XX data \r", 4,
            "Invalid element in Continue Select field.", true);
        row("exprt empty", Exprt, "", 4, noData);
        row("exprt no end", Exprt, "E exprt 5 NC hello ", 4, "End character not found.", true);
        row("exprt no delimiter", Exprt, "E exprt 5 NC hello\r", 4,
            "Last delimiter character not found.", true);
        row("exprt items", Exprt, "E exprt 5 \r", 4,
            "Not match num of elements as exprt command at OvAnswerExprtResponse()", true);
        row("exprt row", Exprt, "E exprt x5 NC hello \r", 4,
            "Invalid Continue Select row value in AnswerExprtResponse()", true);
        row("exprt short", Exprt, "E exprt 9 NC hello \r", 4, "Not enough actual data length.",
            true);
    }

    void parserFaults()
    {
        QFETCH(int, parser);
        QFETCH(QByteArray, bytes);
        QFETCH(int, code);
        QFETCH(QString, message);
        QFETCH(bool, structural);
        const std::string input = bytes.toStdString();
        try {
            run(parser, input);
            QFAIL("no exception");
        } catch (const OvException &e) {
            QVERIFY(!structural);
            QCOMPARE(e.code(), code);
            if (!message.isEmpty()) {
                QCOMPARE(QString::fromStdString(e.what()), message);
            }
        } catch (const OvResponseParserExeption &e) {
            QVERIFY(structural);
            QCOMPARE(e.code(), code);
            QCOMPARE(QString::fromStdString(e.what()), message);
        }
        // The factory swallows every fault and yields nothing.
        ovtest::StderrCapture capture;
        QVERIFY(!makeResponse(uint32_t(parser + 1), "exprt", input));
    }

    void acknowledgements()
    {
        const auto ack = parseAck(ovtest::fixture("frames/ack.bin") + "rest");
        QCOMPARE(ack->firstItem(), std::string("S"));
        QCOMPARE(ack->consumed(), size_t(7));
        QCOMPARE(ack->kind(), uint32_t(RESPONSE_ACK));

        const auto nak = parseNak(ovtest::fixture("frames/nak_103.bin"));
        QCOMPARE(nak->errorNumber(), 103);
        QCOMPARE(nak->consumed(), size_t(11));
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("marker");
        QTest::addColumn<QString>("data");
        QTest::newRow("data with spaces") << QByteArray("q MD 0001 NC v=1 2 3 \r") << "NC"
                                          << "v=1 2 3";
        QTest::newRow("no data") << QByteArray("q MD 0001 CE \r") << "CE"
                                 << "";
        QTest::newRow("end at 254")
            << QByteArray("q MD 0001 CM ") + QByteArray(240, 'x') + QByteArray(" \r") << "CM"
            << QString(240, 'x');
    }

    void answers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, marker);
        QFETCH(QString, data);
        const auto answer = parseAnswer(bytes.toStdString());
        QCOMPARE(answer->firstItem(), std::string("q"));
        QCOMPARE(QString::fromStdString(answer->continueSelect()), marker);
        QCOMPARE(QString::fromStdString(answer->data()), data);
        QCOMPARE(answer->consumed(), size_t(bytes.size()));
    }

    void exportAnswer()
    {
        const auto answer = parseExprtAnswer("exprt", ovtest::fixture("frames/exprt.bin"));
        QCOMPARE(answer->kind(), uint32_t(RESPONSE_EXPRT));
        QCOMPARE(answer->data(), std::string("hello"));
        QCOMPARE(
            ovtest::ovError([] { parseExprtAnswer("uload", ovtest::fixture("frames/exprt.bin")); }),
            std::string("3: Command is not exprt in AnswerExprtResponse()"));
    }

    void scanSlicesTheBuffer()
    {
        // A response split across reads waits for its end character.
        QCOMPARE(scanResponse("S AC", "x").status, ScanResult::Incomplete);
        QCOMPARE(scanResponse("S AC", "x").consumed, size_t(0));

        // A malformed line is dropped as a whole so the next one can be read.
        ovtest::StderrCapture capture;
        const ScanResult bad = scanResponse("S ACK\rS ACK \r", "x");
        QCOMPARE(bad.status, ScanResult::Malformed);
        QCOMPARE(bad.consumed, size_t(6));
    }

    void scanBoundsTheBuffer()
    {
        ovtest::StderrCapture capture;
        QCOMPARE(scanResponse(std::string(254, 'x'), "x").status, ScanResult::Incomplete);
        const ScanResult full = scanResponse(std::string(255, 'x'), "x");
        QCOMPARE(full.status, ScanResult::Malformed);
        QCOMPARE(full.consumed, size_t(255));
        QVERIFY(capture.contains("Can not analyze response,but recived over 255 byte ."));
    }
};

QTEST_APPLESS_MAIN(TestResponseParser)
#include "tst_responseparser.moc"
