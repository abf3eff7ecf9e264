// How a command becomes frames and what each frame expects back.
#include "ovtesthelpers.h"

#include "ovlib/frames.h"
#include "ovlib/ovcommand.h"
#include "ovlib/overror.h"
#include "ovlib/ovfileuploadcommand.h"

#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

using namespace ovlib;
using namespace ovlib::internal;

static const std::string Header = "uload H 0001 00"; // 15 bytes

class TestFrames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void singleFrameBytes()
    {
        const OvCommand command("uload", {"0000"}, false, false, 1, 0);
        const auto frames = buildFrames(command);
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(frames[0].bytes, std::string("uload H 0001 00 NC 0000 \r"));
        const OvCommand origin("sset", {"a", "b c"}, true, true, 12345, 7);
        QCOMPARE(buildFrames(origin)[0].bytes, std::string("sset O 12345 07 NC a b c \r"));
    }

    void frameCountAtBoundary_data()
    {
        QTest::addColumn<int>("bodyLength");
        QTest::addColumn<QStringList>("markers");
        const int piece = 249 - int(Header.size());
        QTest::newRow("header+body 252") << 252 - int(Header.size()) << QStringList{"NC"};
        QTest::newRow("header+body 253") << 253 - int(Header.size()) << QStringList{"CS", "CE"};
        QTest::newRow("three pieces") << 3 * piece << QStringList{"CS", "CM", "CE"};
        QTest::newRow("three pieces and a byte")
            << 3 * piece + 1 << QStringList{"CS", "CM", "CM", "CE"};
    }

    void frameCountAtBoundary()
    {
        QFETCH(int, bodyLength);
        QFETCH(QStringList, markers);
        const OvCommand command("uload", {std::string(size_t(bodyLength), 'x')}, false, false, 1,
                                0);
        const auto frames = buildFrames(command);
        QCOMPARE(int(frames.size()), markers.size());
        for (size_t i = 0; i < frames.size(); ++i) {
            const std::string &bytes = frames[i].bytes;
            QCOMPARE(QString::fromStdString(bytes.substr(Header.size() + 1, 2)), markers[int(i)]);
            QCOMPARE(bytes.back(), '\r');
            QVERIFY2(bytes.size() <= (frames.size() == 1 ? 258u : 255u), bytes.c_str());
            QCOMPARE(frames[i].position,
                     frames.size() == 1 ? 0 : (i == 0 ? 1 : (i + 1 == frames.size() ? 3 : 2)));
        }
    }

    void piecesJoinToTheBody()
    {
        // Cuts fall anywhere, also inside a parameter; the device only has to concatenate.
        std::vector<std::string> parameters;
        for (int i = 0; i < 60; ++i) {
            parameters.push_back("p" + std::to_string(i * 37));
        }
        const OvCommand command("sset", parameters, false, true, 2, 3);
        std::string body, joined;
        for (const auto &p : parameters) {
            body += (body.empty() ? "" : " ") + p;
        }
        const std::string header = "sset H 0002 03 ";
        for (const auto &frame : buildFrames(command)) {
            QCOMPARE(frame.bytes.substr(0, header.size()), header);
            joined += frame.bytes.substr(header.size() + 3, frame.bytes.size() - header.size() - 5);
        }
        QCOMPARE(joined, body);
    }

    void expectation_data()
    {
        QTest::addColumn<bool>("origin");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QList<int>>("codes"); // single, first, middle, last
        QTest::newRow("clear clear") << false << false << QList<int>{1, 1, 1, 1};
        QTest::newRow("origin") << true << false << QList<int>{2, 2, 2, 2};
        QTest::newRow("answer") << false << true << QList<int>{4, 3, 3, 4};
        QTest::newRow("origin answer") << true << true << QList<int>{5, 2, 2, 5};
    }

    void expectation()
    {
        QFETCH(bool, origin);
        QFETCH(bool, answer);
        QFETCH(QList<int>, codes);
        for (int position = 0; position < 4; ++position) {
            QCOMPARE(expectationCode(position, origin, answer), codes[position]);
        }
        QCOMPARE(expectationCode(4, origin, answer), 0);
    }

    void fileUpload()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("data.bin").toStdString();
        {
            std::ofstream out(path, std::ios::binary);
            std::string bytes(1500, '\0');
            bytes[0] = '\r';
            bytes[1499] = char(0xAB);
            out << bytes; // more than one 1024-byte block
        }
        const OvFileUploadCommand upload(path, "second");
        QCOMPARE(upload.name(), std::string("uload"));
        QCOMPARE(upload.parameters().size(), size_t(2));
        QCOMPARE(upload.parameters()[0], std::string("0000"));
        const std::string &hex = upload.parameters()[1];
        QCOMPARE(hex.size(), size_t(3000));
        QCOMPARE(hex.substr(0, 4), std::string("0D00"));
        QCOMPARE(hex.substr(2996), std::string("00AB"));
        // The end character inside the file must not end a frame early.
        for (const auto &frame : buildFrames(upload)) {
            QCOMPARE(frame.bytes.find('\r'), frame.bytes.size() - 1);
        }
        QCOMPARE(
            ovtest::ovError([&] { OvFileUploadCommand(dir.filePath("none").toStdString(), ""); }),
            std::to_string(OV_ERR_NOTFOUND) + ": File not found.");
    }
};

QTEST_APPLESS_MAIN(TestFrames)
#include "tst_frames.moc"
