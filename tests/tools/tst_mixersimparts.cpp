#include "defaultmixerdata.h"
#include "mixerdata.h"
#include "mixeridentity.h"
#include "ovlib/descriptionparser.h"
#include "requestframe.h"
#include "simconfig.h"
#include "simhttpserver.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace velmora::sim;

// The simulator's parts without a network: the configuration texts and the factory data that
// documentation and tests rely on, and how it reads a request: the strict query frame, the
// upload form and the request bytes as they arrive. The upload rules, the data slots and the fault
// switches are exercised end to end in tst_mixersim and the device tests.
class TestMixerSimParts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A name typed into the configuration stays the mixer's name, whatever characters it has.
    void descriptionKeepsAnyName()
    {
        velmora::sim::MixerIdentity identity;
        identity.friendlyName = R"(Bar & "Stage" <2>)";
        const std::string document = velmora::sim::descriptionDocument(identity);
        const auto parsed = ovlib::internal::parseDescription(document.data(), document.size());
        QVERIFY(parsed);
        QCOMPARE(parsed->friendlyName, identity.friendlyName);
        QCOMPARE(parsed->udn, identity.udn);
    }

    void configuration_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("mixers");

        QTest::newRow("empty") << QByteArray("{}") << "" << 0;
        QTest::newRow("two") << QByteArray(R"({"mixers":[{"address":"127.0.0.2"},)"
                                           R"({"address":"127.0.0.3","model":"ZEPH-2208NET"}]})")
                             << "" << 2;
        QTest::newRow("not loopback")
            << QByteArray(R"({"mixers":[{"address":"192.168.1.2"}]})")
            << "mixers[0]: address must be an IPv4 address in 127.0.0.0/8" << 0;
        QTest::newRow("used twice")
            << QByteArray(R"({"mixers":[{"address":"127.0.0.2"},{"address":"127.0.0.2"}]})")
            << "mixers[1]: address 127.0.0.2 is used twice" << 0;
        QTest::newRow("bad link") << QByteArray(
                                         R"({"mixers":[{"address":"127.0.0.2","link":"x"}]})")
                                  << "mixers[0]: link must be none, primary or extension" << 0;
        QTest::newRow("bad fault")
            << QByteArray(R"({"mixers":[{"address":"127.0.0.2","faults":{"slow":1}}]})")
            << "mixers[0]: unknown fault \"slow\"" << 0;
        QTest::newRow("generated beside configured")
            << QByteArray(R"({"generate":3,"mixers":[{"address":"127.0.0.3"}]})") << "" << 4;
        QTest::newRow("unknown wire fault")
            << QByteArray(R"({"mixers":[{"address":"127.0.0.2","faults":{"requests":)"
                          R"([{"endpoint":"file","fault":"drop"}]}}]})")
            << "mixers[0]: unknown request fault \"drop\"" << 0;
        QTest::newRow("trickle without a rate")
            << QByteArray(R"({"mixers":[{"address":"127.0.0.2","faults":{"requests":)"
                          R"([{"endpoint":"file","fault":"trickle"}]}}]})")
            << "mixers[0]: trickle needs bytesPerSecond" << 0;
        QTest::newRow("not an object")
            << QByteArray("[]") << "the configuration must be a JSON object" << 0;
    }

    void configuration()
    {
        QFETCH(QByteArray, json);
        SimConfig config;
        QTEST(QString::fromStdString(readConfig(json.toStdString(), config)), "error");
        QTEST(int(config.mixers.size()), "mixers");
    }

    void factoryDataIsAConsole_data()
    {
        QTest::addColumn<QString>("model");
        QTest::newRow("ZEPH-2208") << "ZEPH-2208";
        QTest::newRow("ZEPH-2208NET") << "ZEPH-2208NET";
    }

    void factoryDataIsAConsole()
    {
        QFETCH(QString, model);
        const std::string name = model.toStdString();
        // Empty unless the text is a JSON object.
        const auto object = [&](int target, int bank) {
            return QJsonDocument::fromJson(
                       QByteArray::fromStdString(defaultDataSet(name, target, bank)))
                .object();
        };
        for (int target : {PresetSet, Eq12Set, Eq4Set, PartialPresetSet, CurrentSet}) {
            for (int bank = 0; bank < bankCount(target); ++bank) {
                QVERIFY2(!object(target, bank).isEmpty(),
                         qPrintable(QString("%1/%2").arg(target).arg(bank)));
            }
        }
        // The project file spreads the current state's members beside these lists.
        const QJsonObject current = object(CurrentSet, 0);
        for (const char *reserved : {"preset_list", "partial_list", "eq4_lib", "eq12_lib"}) {
            QVERIFY(!current.contains(reserved));
        }
        QCOMPARE(current.contains("network_audio"), model == "ZEPH-2208NET");
    }

    void queryFrame_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("accepted");

        const QStringList slot{"target", "bank"};
        QTest::newRow("as expected") << "target=6&bank=17" << slot << true;
        QTest::newRow("zero") << "target=2&bank=0" << slot << true;
        QTest::newRow("reordered") << "bank=17&target=6" << slot << false;
        QTest::newRow("duplicated") << "target=6&target=6&bank=1" << slot << false;
        QTest::newRow("one more") << "target=6&bank=1&x=1" << slot << false;
        QTest::newRow("missing") << "target=6" << slot << false;
        QTest::newRow("plus sign") << "target=+7&bank=0" << slot << false;
        QTest::newRow("leading zero") << "target=007&bank=0" << slot << false;
        QTest::newRow("percent-encoded") << "target=2&bank=%200" << slot << false;
        QTest::newRow("empty value") << "target=&bank=0" << slot << false;
        QTest::newRow("negative") << "target=2&bank=-1" << slot << false;
        QTest::newRow("no query expected, none") << "" << QStringList() << true;
        QTest::newRow("no query expected, one") << "x=1" << QStringList() << false;
    }

    void queryFrame()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, names);
        QFETCH(bool, accepted);
        std::vector<std::string> expected;
        for (const QString &name : names) {
            expected.push_back(name.toStdString());
        }
        std::vector<long long> numbers;
        const std::string problem =
            velmora::sim::checkQuery(query.toStdString(), expected, numbers);
        QVERIFY2(problem.empty() == accepted, problem.c_str());
        if (accepted) {
            QCOMPARE(numbers.size(), expected.size());
        }
    }

    void uploadForm_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QByteArray>("data");

        const QByteArray type = "multipart/form-data; boundary=------xyz";
        const QByteArray head =
            "--------xyz\r\nContent-Disposition: form-data; name=\"files[]\"; "
            "filename=\"blob\"\r\nContent-Type: application/octet-stream\r\n\r\n";
        // Content that looks like a delimiter, but of another boundary, stays content.
        const QByteArray tricky = "{\"a\":1}\r\n--------xy\r\n";
        QTest::newRow("one part") << type << head + tricky + "\r\n--------xyz--\r\n"
                                  << true << tricky;
        QTest::newRow("quoted boundary")
            << QByteArray("multipart/form-data; boundary=\"------xyz\"")
            << head + "x\r\n--------xyz--\r\n"
            << true << QByteArray("x");
        QTest::newRow("no closing delimiter") << type << head + "x" << false << QByteArray();
        QTest::newRow("other boundary")
            << QByteArray("multipart/form-data; boundary=abc") << head + "x\r\n--------xyz--\r\n"
            << false << QByteArray();
        QTest::newRow("not a form")
            << QByteArray("application/octet-stream") << QByteArray("x") << false << QByteArray();
    }

    void uploadForm()
    {
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, body);
        QFETCH(bool, valid);
        std::vector<velmora::sim::FormPart> parts;
        QCOMPARE(velmora::sim::parseForm(contentType.toStdString(), body.toStdString(), parts),
                 valid);
        if (valid) {
            QCOMPARE(parts.size(), size_t(1));
            QCOMPARE(parts[0].name, std::string("files[]"));
            QCOMPARE(parts[0].fileName, std::string("blob"));
            QCOMPARE(parts[0].contentType, std::string("application/octet-stream"));
            QTEST(QByteArray::fromStdString(parts[0].data), "data");
        }
    }

    void requestArrivingInPieces()
    {
        // Every prefix of a request asks for more; only the whole one is complete.
        const std::string whole = "POST /cgi-bin/appcmd/fileupload.cgi?offset=0&size=5 HTTP/1.1\r\n"
                                  "Host: 127.0.0.2\r\nCONTENT-LENGTH: 5\r\n\r\nab\r\nc";
        velmora::sim::HttpRequest request;
        for (size_t size = 0; size < whole.size(); ++size) {
            QCOMPARE(velmora::sim::parseRequest(whole.substr(0, size), request), 0);
        }
        QCOMPARE(velmora::sim::parseRequest(whole, request), 1);
        QCOMPARE(request.method, std::string("POST"));
        QCOMPARE(request.path, std::string("/cgi-bin/appcmd/fileupload.cgi"));
        QCOMPARE(request.query, std::string("offset=0&size=5"));
        QCOMPARE(request.header("content-length"), std::string("5"));
        QCOMPARE(request.body, std::string("ab\r\nc"));
        QCOMPARE(velmora::sim::parseRequest("GET / FTP/1.0\r\n\r\n", request), -1);
        QCOMPARE(
            velmora::sim::parseRequest("GET / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", request),
            -1);
    }
};

QTEST_APPLESS_MAIN(TestMixerSimParts)
#include "tst_mixersimparts.moc"
