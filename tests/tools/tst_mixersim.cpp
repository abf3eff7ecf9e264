#include "mixersimprocess.h"
#include "privatenetwork.h"

#include <httplib.h>

#include <QProcess>
#include <QtTest>

#include <future>
#include <memory>

namespace {
const char *const kMixer = "127.0.3.2";
const char *const kOther = "127.0.3.3";

httplib::Result cgiGet(const char *address, const std::string &path)
{
    httplib::Client client(address, 80);
    client.set_connection_timeout(2, 0);
    client.set_read_timeout(2, 0);
    return client.Get(path);
}

// The body of the reply to a GET, or "no reply".
std::string bodyOf(const char *address, const std::string &path)
{
    const httplib::Result result = cgiGet(address, path);
    return result ? result->body : std::string("no reply");
}

// One multipart part to fileupload.cgi, shaped as given.
std::string postChunk(const std::string &query, const std::string &name,
                      const std::string &filename, const std::string &content)
{
    httplib::Client client(kMixer, 80);
    const httplib::MultipartFormDataItems items{
        {name, content, filename, "application/octet-stream"}};
    const httplib::Result result = client.Post("/cgi-bin/appcmd/fileupload.cgi?" + query, items);
    return result ? result->body : std::string("no reply");
}
} // namespace

// The simulator as a process: its command line, its control interface and the mixer side of
// the HTTP exchanges that the program's tests cannot provoke on their own.
class TestMixerSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        velmora::test::requirePrivateNetwork();
        m_sim = std::make_unique<MixerSimProcess>(
            R"({"mixers":[{"address":"127.0.3.2"},{"address":"127.0.3.3","running":false}]})");
        QVERIFY2(m_sim->problem().isEmpty(), qPrintable(m_sim->problem()));
    }

    void init()
    {
        QVERIFY(m_sim->reset(kMixer));
        QVERIFY(m_sim->startMixer(kMixer));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");

        QTest::newRow("help") << QStringList{"--help"} << 0 << "--config FILE";
        QTest::newRow("unknown option")
            << QStringList{"--verbose"} << 2 << "unknown option --verbose";
        QTest::newRow("port not a number")
            << QStringList{"--control-port", "x"} << 2 << "--control-port needs a number";
        QTest::newRow("missing file") << QStringList{"--config", "/nonexistent/sim.json"} << 1
                                      << "cannot read /nonexistent/sim.json";
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(MixerSimProcess::simulatorPath(), arguments);
        QVERIFY(process.waitForFinished(10000));
        QTEST(process.exitCode(), "exitCode");
        const QString text = QString::fromUtf8(process.readAll());
        QVERIFY2(text.contains(output), qPrintable(text));
    }

    void mixersStopAndStartOneByOne()
    {
        // The second mixer was configured switched off.
        QVERIFY(!cgiGet(kOther, "/cgi-bin/appcmd/keepalive.cgi"));
        QVERIFY(m_sim->startMixer(kOther));
        QCOMPARE(bodyOf(kOther, "/cgi-bin/appcmd/keepalive.cgi"), std::string(R"({"rcode":1})"));

        QVERIFY(m_sim->stopMixer(kMixer));
        QVERIFY(!cgiGet(kMixer, "/cgi-bin/appcmd/keepalive.cgi"));
        QVERIFY(cgiGet(kOther, "/cgi-bin/appcmd/keepalive.cgi"));
        QVERIFY(m_sim->startMixer(kMixer));
        QVERIFY(cgiGet(kMixer, "/cgi-bin/appcmd/keepalive.cgi"));
        QVERIFY(m_sim->stopMixer(kOther));
    }

    void uploadFormIsChecked_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filename");
        QTest::addColumn<int>("rcode");

        const QString name("files[]"), file("blob");
        QTest::newRow("as the program sends it") << "offset=0&size=7" << name << file << 1;
        QTest::newRow("wrong part name") << "offset=0&size=7" << QString("file") << file << 5;
        QTest::newRow("wrong file name") << "offset=0&size=7" << name << QString("x.json") << 5;
        QTest::newRow("offset ahead") << "offset=7&size=7" << name << file << 4;
        QTest::newRow("size wrong") << "offset=0&size=8" << name << file << 5;
        // The query frame is checked before the form: rcode 8. Its rules: tst_mixersimparts.
        QTest::newRow("size missing") << "offset=0" << name << file << 8;
        // Decoded, %37 would pass as 7.
        QTest::newRow("size percent-encoded") << "offset=0&size=%37" << name << file << 8;
    }

    void uploadFormIsChecked()
    {
        QFETCH(QString, query);
        QFETCH(QString, name);
        QFETCH(QString, filename);
        QFETCH(int, rcode);
        QVERIFY(cgiGet(kMixer, "/cgi-bin/appcmd/beginupload.cgi?target=4&bank=0"));
        QCOMPARE(postChunk(query.toStdString(), name.toStdString(), filename.toStdString(),
                           R"({"a":1})"),
                 "{\"rcode\":" + std::to_string(rcode) + "}");
        // Only a transfer whose every chunk was taken replaces the data set.
        QCOMPARE(bodyOf(kMixer, "/cgi-bin/appcmd/endupload.cgi"),
                 std::string(rcode == 1 ? R"({"rcode":1})" : R"({"rcode":6})"));
        QCOMPARE(m_sim->dataSet(kMixer, 4, 0) == R"({"a":1})", rcode == 1);
    }

    void controlRefusesNonsense()
    {
        QVERIFY(!m_sim->setFaults("127.0.9.9", "{}"));
        QVERIFY(!m_sim->setFaults(kMixer, R"({"rcode":7,"typo":1})"));
        QVERIFY(!m_sim->setDataSet(kMixer, 2, 8, "{}"));
        QVERIFY(m_sim->dataSet(kMixer, 5, 0).isEmpty());
        // The refused faults did not replace the ones in force.
        const std::string info = bodyOf(kMixer, "/cgi-bin/appcmd/gdeviceinfo.cgi");
        QVERIFY2(info.find(R"("rcode":1)") != std::string::npos, info.c_str());
    }

    void refusingMixerComesBack()
    {
        QVERIFY(m_sim->setFaults(kMixer, R"({"refuse":true})"));
        QVERIFY(!cgiGet(kMixer, "/cgi-bin/appcmd/keepalive.cgi"));
        QVERIFY(m_sim->setFaults(kMixer, R"({"rcode":7})"));
        QCOMPARE(bodyOf(kMixer, "/cgi-bin/appcmd/keepalive.cgi"), std::string(R"({"rcode":7})"));
        // File fetches are not CGI replies: the firmware fault leaves them alone.
        QCOMPARE(QByteArray::fromStdString(bodyOf(kMixer, "/file/zephdata/7-0.json")),
                 m_sim->dataSet(kMixer, 7, 0));
        QCOMPARE(m_sim->requests(kMixer),
                 QStringList({"GET /cgi-bin/appcmd/keepalive.cgi", "GET /file/zephdata/7-0.json"}));
    }

    void heldRepliesEndWhenFaultsAreReplaced()
    {
        // Requests held by a silent mixer end, unanswered, once the faults change, even when the
        // new faults are silent again: a test that resets the mixer between two silent cases
        // must not find old requests answered under new faults.
        QVERIFY(m_sim->setFaults(kMixer, R"({"silent":true})"));
        const auto held = [] {
            httplib::Client client(kMixer, 80);
            client.set_read_timeout(10, 0);
            const httplib::Result reply = client.Get("/cgi-bin/appcmd/keepalive.cgi");
            return reply ? reply->body : std::string("no reply");
        };
        auto first = std::async(std::launch::async, held);
        auto second = std::async(std::launch::async, held);
        QTRY_COMPARE(m_sim->requests(kMixer).size(), 2);
        QVERIFY(m_sim->setFaults(kMixer, R"({"silent":true})"));
        QCOMPARE(first.get(), std::string("no reply"));
        QCOMPARE(second.get(), std::string("no reply"));
        auto third = std::async(std::launch::async, held);
        QTRY_COMPARE(m_sim->requests(kMixer).size(), 3);
        QVERIFY(m_sim->setFaults(kMixer, "{}"));
        QCOMPARE(third.get(), std::string("no reply"));
    }

    void mixerMovesToAnotherAddress()
    {
        const char *const moved = "127.0.3.9";
        const std::string before = bodyOf(kMixer, "/cgi-bin/appcmd/gdeviceinfo.cgi");
        QVERIFY(before != "no reply");
        // Taken, outside the loopback network, or not an address: the mixer stays where it is.
        QVERIFY(!m_sim->moveMixer(kMixer, kOther));
        QVERIFY(!m_sim->moveMixer(kMixer, "10.0.0.9"));
        QVERIFY(!m_sim->moveMixer(kMixer, "127.0.3"));
        QVERIFY(cgiGet(kMixer, "/cgi-bin/appcmd/keepalive.cgi"));

        QVERIFY(m_sim->moveMixer(kMixer, moved));
        QVERIFY(!cgiGet(kMixer, "/cgi-bin/appcmd/keepalive.cgi"));
        // The same mixer: identity and description follow it, the latter naming its new home.
        QCOMPARE(bodyOf(moved, "/cgi-bin/appcmd/gdeviceinfo.cgi"), before);
        QVERIFY(bodyOf(moved, "/description.xml").find("<UDN>") != std::string::npos);
        // The control interface knows it by its new address only.
        QVERIFY(!m_sim->startMixer(kMixer));
        QVERIFY(m_sim->moveMixer(moved, kMixer));
        QVERIFY(cgiGet(kMixer, "/cgi-bin/appcmd/keepalive.cgi"));
    }

private:
    std::unique_ptr<MixerSimProcess> m_sim;
};

QTEST_GUILESS_MAIN(TestMixerSim)
#include "tst_mixersim.moc"
