#include "device/qovcgiapizeph2208.h"
#include "device/qovcurlrequest.h"
#include "logcollector.h"
#include "mixerchecks.h"
#include "mixersimprocess.h"
#include "simdevices.h"
#include "simulatedmixers.h"
#include "tempprofile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace {

const QString kMixer = "127.0.4.2";
const int kTimeoutMs = 2000;

// Peak resident memory of this process in KiB; -1 when unknown.
qint64 peakMemoryKiB()
{
    QFile status("/proc/self/status");
    const auto match =
        QRegularExpression("VmHWM:\\s*(\\d+)")
            .match(status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray());
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

} // namespace

// What real networks and mixers get wrong on the wire, played by the simulator on one chosen
// request of a transfer: each must end the operation within its deadline with the failure of
// the step it hit, leave the project device as it was and never store a cut or error body.
// The forms that are valid HTTP (no length, bare LF, an interim 100) must still work.
class TestWireFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        const QString problem = startSimulatedMixers(
            "[Debug]\nhttp_timeout_ms=" + QByteArray::number(kTimeoutMs) + "\n",
            R"({"mixers":[{"address":"127.0.4.2"}]})", &m_profile, &m_sim);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        LogCollector::install();
    }

    void init()
    {
        QVERIFY(m_sim->reset(kMixer));
        LogCollector::clear();
    }

    void downloadUnderFault_data()
    {
        QTest::addColumn<QByteArray>("faults");
        QTest::addColumn<QString>("error");

        // File fetches in transfer order: 1-8 presets, 9 and 10 the EQs, 11-50 partial presets,
        // 51 the current state.
        QTest::newRow("short body")
            << requestFault("file", 3, "shortBody") << "failed to get preset";
        QTest::newRow("reset mid-body")
            << requestFault("file", 9, "reset") << "failed to get 12band eq";
        QTest::newRow("reset without length")
            << requestFault("file", 10, "noLengthReset") << "failed to get 4band eq";
        QTest::newRow("chunked body cut")
            << requestFault("file", 11, "chunkedCut") << "failed to get partial preset";
        QTest::newRow("404 for a file")
            << requestFault("file", 51, "status", R"("status":404)") << "failed to get current";
        QTest::newRow("one file fetch failing")
            << requestFault("file", 30, "fail") << "failed to get partial preset";
        // The reply is {"rcode":1,"fileurl":...} but under an error status: not to be trusted.
        QTest::newRow("500 with a good body")
            << requestFault("filedownload.cgi", 2, "status", R"("status":500)")
            << "failed to get preset";
        QTest::newRow("stall mid-body")
            << requestFault("file", 2, "stall") << "failed to get preset";
        QTest::newRow("trickle") << requestFault("file", 9, "trickle", R"("bytesPerSecond":20)")
                                 << "failed to get 12band eq";
        // Without a length the close looks like the end: only the content shows the cut.
        QTest::newRow("file cut, no length, closed")
            << requestFault("file", 12, "noLengthCut") << "failed to get partial preset";
        QTest::newRow("CGI reply cut, no length, closed")
            << requestFault("filedownload.cgi", 9, "noLengthCut") << "failed to get 12band eq";
        QTest::newRow("trickling CGI reply")
            << requestFault("filedownload.cgi", 51, "trickle", R"("bytesPerSecond":5)")
            << "failed to get current";
    }

    void downloadUnderFault()
    {
        QFETCH(QByteArray, faults);
        QFETCH(QString, error);
        const QovAppDeviceModel project = projectDeviceWithData("kept");
        connectFails(false, faults, project);
        QVERIFY2(
            LogCollector::take().filter("failed,").join('\n').endsWith("failed, \"" + error + "\""),
            qPrintable(error));
        QCOMPARE(project->deviceName(), QString("Project kept"));

        // The same fault under a plain download: the record holds what came before the failure.
        QVERIFY(m_sim->setFaults(kMixer, faults));
        QCOMPARE(m_api.downloadZephData(onlineDevice(kMixer)).get().error, error);
    }

    void uploadUnderFault_data()
    {
        QTest::addColumn<QByteArray>("faults");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("storedSets");

        // Every data set of the project device is one chunk: the nth request of an upload page is
        // the nth data set in transfer order.
        QTest::newRow("beginupload failing")
            << requestFault("beginupload.cgi", 3, "fail") << "preset 2" << 2;
        QTest::newRow("endupload failing")
            << requestFault("endupload.cgi", 9, "fail") << "12-band EQ library" << 8;
        QTest::newRow("chunk reply reset")
            << requestFault("fileupload.cgi", 10, "reset") << "4-band EQ library" << 9;
        QTest::newRow("500 for a chunk")
            << requestFault("fileupload.cgi", 12, "status", R"("status":500)") << "partial preset 1"
            << 11;
        // The mixer took the last data set; only its answer never came.
        QTest::newRow("endupload stalling")
            << requestFault("endupload.cgi", 51, "stall") << "current state" << 51;
    }

    void uploadUnderFault()
    {
        QFETCH(QByteArray, faults);
        QFETCH(int, storedSets);
        QFETCH(QString, message);
        const QovAppDeviceModel project = projectDeviceWithData("up");
        connectFails(true, faults, project);
        const QStringList failures = LogCollector::take().filter("upload failed:");
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures.first().endsWith("the mixer did not take " + message + "\""),
                 qPrintable(failures.first()));
        // The data sets before the failing one are on the mixer; the failing one is not.
        const QStringList onMixer = mixerData(*m_sim, kMixer);
        const QStringList sent = deviceData(project);
        for (int set : {storedSets - 1, storedSets}) {
            if (set >= 0 && set < sent.size()) {
                QCOMPARE(onMixer.at(set) == sent.at(set), set < storedSets);
            }
        }
    }

    void endlessBodyKeepsMemoryBounded_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::newRow("data-set file") << "file";
        QTest::newRow("CGI reply") << "filedownload.cgi";
    }

    void endlessBodyKeepsMemoryBounded()
    {
        QFETCH(QString, endpoint);
        QVERIFY(m_sim->setFaults(kMixer, requestFault(endpoint, 1, "endless")));
        const qint64 peakBefore = peakMemoryKiB();
        QVERIFY(peakBefore > 0);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(m_api.downloadZephData(onlineDevice(kMixer)).get().error,
                 QString("failed to get preset"));
        QVERIFY2(timer.elapsed() < 2 * kTimeoutMs, qPrintable(QString::number(timer.elapsed())));
        // The reply stops at its cap (8 MiB for a file), not at the deadline: loopback would move
        // hundreds of megabytes in that time.
        const qint64 grown = peakMemoryKiB() - peakBefore;
        QVERIFY2(grown < 40 * 1024, qPrintable(QString::number(grown) + " KiB"));
        QVERIFY(!LogCollector::take().filter("reply larger than").isEmpty());
    }

    void tolerableRepliesWork_data()
    {
        QTest::addColumn<QString>("fault");

        QTest::newRow("no length, closed") << "noLength";
        QTest::newRow("bare LF headers") << "bareLf";
        QTest::newRow("100 Continue first") << "continue";
    }

    void tolerableRepliesWork()
    {
        QFETCH(QString, fault);
        const QByteArray faults = QString(R"({"requests":[{"endpoint":"file","fault":"%1"},)"
                                          R"({"endpoint":"filedownload.cgi","fault":"%1"},)"
                                          R"({"endpoint":"fileupload.cgi","fault":"%1"}]})")
                                      .arg(fault)
                                      .toUtf8();
        QVERIFY(m_sim->setFaults(kMixer, faults));
        const QovAppDeviceModel source = projectDeviceWithData("tolerable");
        QVERIFY(m_api.uploadZephData(onlineDevice(kMixer), source).get());
        const QovZephData back = m_api.downloadZephData(onlineDevice(kMixer)).get();
        QCOMPARE(back.error, QString());
        QCOMPARE(back, source->zephData());
    }

    void missingFileUrlFetchesNothing_data()
    {
        QTest::addColumn<QString>("reply");

        QTest::newRow("no fileurl") << R"({"rcode":1})";
        QTest::newRow("null") << R"({"rcode":1,"fileurl":null})";
        QTest::newRow("empty") << R"({"rcode":1,"fileurl":""})";
        QTest::newRow("a number") << R"({"rcode":1,"fileurl":7})";
    }

    void missingFileUrlFetchesNothing()
    {
        QFETCH(QString, reply);
        QJsonObject faults{{"body", reply}};
        QVERIFY(m_sim->setFaults(kMixer, QJsonDocument(faults).toJson(QJsonDocument::Compact)));
        QCOMPARE(m_api.downloadZephData(onlineDevice(kMixer)).get().error,
                 QString("failed to get preset"));
        // The transfer ends at the reply; nothing is asked of /file/ itself.
        QCOMPARE(m_sim->requests(kMixer),
                 QStringList{"GET /cgi-bin/appcmd/filedownload.cgi?target=2&bank=0"});
    }

private:
    // Connects the project device with or without upload under `faults`. The attempt must fail
    // within twice the deadline, which is per request: room for a loaded machine, yet less than
    // two requests timing out. The device stays disconnected and keeps its data.
    void connectFails(bool upload, const QByteArray &faults, const QovAppDeviceModel &project)
    {
        const QovZephData before = project->zephData();
        QVERIFY(m_sim->setFaults(kMixer, faults));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!m_api.connectDevice(upload, project, onlineDevice(kMixer)).get());
        QVERIFY2(timer.elapsed() < 2 * kTimeoutMs, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(project->status(), QovAppDeviceModelInternal::DISCONNECTED);
        QCOMPARE(project->ipAddress(), QString());
        QCOMPARE(project->zephData(), before);
    }

    std::unique_ptr<TempProfile> m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
    QovCgiApiZeph2208 m_api;
};

QTEST_GUILESS_MAIN(TestWireFaults)
#include "tst_wirefaults.moc"
