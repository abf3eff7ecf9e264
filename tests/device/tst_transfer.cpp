#include "device/qovcgiapizeph2208.h"
#include "device/qovmixerlock.h"
#include "foreignlock.h"
#include "mixerchecks.h"
#include "mixersimprocess.h"
#include "simdevices.h"
#include "simulatedmixers.h"
#include "tempprofile.h"

#include <QtTest>

#include <memory>

namespace {
const QString kMixer = "127.0.2.2";
const QString kNetMixer = "127.0.2.3";
const QString kCgi = "/cgi-bin/appcmd/";

// The requests that write one data set: open, the chunks, close.
QStringList uploadRequests(int target, int bank, const QStringList &chunks)
{
    QStringList requests{
        QString("GET %1beginupload.cgi?target=%2&bank=%3").arg(kCgi).arg(target).arg(bank)};
    for (const QString &chunk : chunks) {
        requests << "POST " + kCgi + "fileupload.cgi?" + chunk;
    }
    return requests << "GET " + kCgi + "endupload.cgi";
}
} // namespace

// Copying the mixer data both ways against the simulator: the order and chunking of the
// requests, where a failure stops, and what connecting changes on either side. Round trips are
// checked in tst_wirefaults.
class TestTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        const QByteArray config = R"({"mixers":[
            {"address":"127.0.2.2","name":"FOH","deviceId":7},
            {"address":"127.0.2.3","model":"ZEPH-2208NET","name":"Stage"}]})";
        const QString problem =
            startSimulatedMixers("[Debug]\nhttp_timeout_ms=5000\n", config, &m_profile, &m_sim);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void init()
    {
        QVERIFY(m_sim->reset(kMixer));
        QVERIFY(m_sim->reset(kNetMixer));
    }

    void uploadOrder()
    {
        // Presets, EQs, partial presets, current: each data set opened, sent and closed before the
        // next one opens. A mixer applies them in this order.
        const QovAppDeviceModel source = projectDeviceWithData("order");
        source->setZephDataCurrent(jsonTextOfSize(61441));
        QVERIFY(m_api.uploadZephData(onlineDevice(kMixer), source).get());
        const auto single = [](int target, int bank, const QString &text) {
            return uploadRequests(target, bank,
                                  {"offset=0&size=" + QString::number(text.toUtf8().size())});
        };
        QStringList expected;
        for (int bank = 0; bank < 8; ++bank) {
            expected += single(2, bank, source->zephDataPreset().at(bank));
        }
        expected += single(3, 0, source->zephData12BandEq());
        expected += single(4, 0, source->zephData4BandEq());
        for (int bank = 0; bank < 40; ++bank) {
            expected += single(6, bank, source->zephDataPartialPreset().at(bank));
        }
        // One byte more than a chunk: the last chunk holds it alone.
        expected += uploadRequests(7, 0, {"offset=0&size=61440", "offset=61440&size=1"});
        QCOMPARE(m_sim->requests(kMixer), expected);
    }

    void chunking_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("chunks");

        QTest::newRow("exactly one chunk")
            << jsonTextOfSize(61440) << QStringList{"offset=0&size=61440"};
        // The euro sign's three bytes straddle the chunk border: chunks are cut by bytes.
        QTest::newRow("character split between chunks")
            << jsonTextOfSize(70000, 61439)
            << QStringList{"offset=0&size=61440", "offset=61440&size=8560"};
    }

    void chunking()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, chunks);
        const QovAppDeviceModel source = projectDeviceWithData("chunks");
        source->setZephDataPreset(1, text);
        const bool uploaded = m_api.uploadZephData(onlineDevice(kMixer), source).get();

        QStringList expected = uploadRequests(2, 1, chunks);
        // Bank 0 took three requests; the transfer goes on to bank 2.
        expected << "GET " + kCgi + "beginupload.cgi?target=2&bank=2";
        QCOMPARE(m_sim->requests(kMixer).mid(3, expected.size()), expected);
        QVERIFY(uploaded);
        QCOMPARE(QString::fromUtf8(m_sim->dataSet(kMixer, 2, 1)), text);
    }

    void uploadSendsOnlyWholeData_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("presets");
        QTest::addColumn<int>("partials");

        QTest::newRow("empty") << QString() << 8 << 40;
        QTest::newRow("cut short") << R"({"name":"Vocal 1","gain":)" << 8 << 40;
        QTest::newRow("an array") << "[1,2]" << 8 << 40;
        QTest::newRow("two objects") << "{}{}" << 8 << 40;
        QTest::newRow("three presets") << "{}" << 3 << 40;
        QTest::newRow("eleven presets") << "{}" << 11 << 40;
        QTest::newRow("39 partial presets") << "{}" << 8 << 39;
    }

    // The mixer stores set by set: any set that cannot go would leave it holding a mix, so
    // not one request is sent.
    void uploadSendsOnlyWholeData()
    {
        QFETCH(QString, text);
        QFETCH(int, presets);
        QFETCH(int, partials);
        const QovAppDeviceModel source = projectDeviceWithData("invalid");
        source->setZephDataPreset(1, text);
        QStringList list = source->zephDataPreset();
        while (list.size() < presets) {
            list.append("{}");
        }
        source->setZephDataPreset(list.mid(0, presets));
        source->setZephDataPartialPreset(source->zephDataPartialPreset().mid(0, partials));
        QVERIFY(m_sim->clearRequests(kMixer));
        QVERIFY(!m_api.uploadZephData(onlineDevice(kMixer), source).get());
        QCOMPARE(m_sim->requests(kMixer), QStringList());
    }

    void downloadStopsAtFirstFailure_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("bank");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("presets");
        QTest::addColumn<bool>("eqs");

        QTest::newRow("preset bank 3") << 2 << 3 << "failed to get preset" << 0 << false;
        QTest::newRow("12-band EQ") << 3 << 0 << "failed to get 12band eq" << 8 << false;
        QTest::newRow("partial preset bank 17")
            << 6 << 17 << "failed to get partial preset" << 8 << true;
        QTest::newRow("current") << 7 << 0 << "failed to get current" << 8 << true;
    }

    void downloadStopsAtFirstFailure()
    {
        QFETCH(int, target);
        QFETCH(int, bank);
        QFETCH(int, presets);
        QFETCH(bool, eqs);
        const QString where = QString("target=%1&bank=%2").arg(target).arg(bank);
        QVERIFY(m_sim->setFaults(
            kMixer,
            QString(R"({"failDownload":{"target":%1,"bank":%2}})").arg(target).arg(bank).toUtf8()));
        const QovZephData data = m_api.downloadZephData(onlineDevice(kMixer)).get();
        QTEST(data.error, "error");
        QCOMPARE(data.preset.size(), presets);
        QCOMPARE(!data.eq12Band.isEmpty(), eqs);
        QCOMPARE(!data.eq4Band.isEmpty(), eqs);
        // Only a failure at the last step leaves the partial presets fetched.
        QCOMPARE(data.partialPreset.size(), target == 7 ? 40 : 0);
        QCOMPARE(data.current, QString());
        if (presets > 0) {
            QCOMPARE(data.preset.at(7).toUtf8(), m_sim->dataSet(kMixer, 2, 7));
        }
        QCOMPARE(m_sim->requests(kMixer).last(), "GET " + kCgi + "filedownload.cgi?" + where);
    }

    void uploadFailingMidwaySendsNoEnd()
    {
        QVERIFY(m_sim->setFaults(kMixer, R"({"failUpload":{"target":6,"bank":5}})"));
        const QovAppDeviceModel source = projectDeviceWithData("midway");
        QVERIFY(!m_api.uploadZephData(onlineDevice(kMixer), source).get());
        const QStringList requests = m_sim->requests(kMixer);
        QCOMPARE(requests.mid(requests.size() - 2),
                 QStringList(
                     {"GET " + kCgi + "beginupload.cgi?target=6&bank=5",
                      "POST " + kCgi + "fileupload.cgi?offset=0&size=" +
                          QString::number(source->zephDataPartialPreset().at(5).toUtf8().size())}));
        // What came before the failure stays written; nothing after it was sent.
        QCOMPARE(QString::fromUtf8(m_sim->dataSet(kMixer, 6, 4)),
                 source->zephDataPartialPreset().at(4));
        QVERIFY(QString::fromUtf8(m_sim->dataSet(kMixer, 6, 5)) !=
                source->zephDataPartialPreset().at(5));
    }

    void connectDownloadCopiesIntoProject()
    {
        auto project = std::make_shared<QovAppDeviceModelInternal>();
        const QovOnlineDeviceModel mixer = onlineDevice(kNetMixer, "ZEPH-2208NET");
        project->markEdited();
        QVERIFY(m_api.connectDevice(false, project, mixer).get());
        // Project and mixer hold the same now: nothing is left to keep from a later reconnect.
        QVERIFY(!project->editedSinceConnect());
        QCOMPARE(project->deviceName(), mixer->deviceName());
        QCOMPARE(project->deviceId(), mixer->deviceId());
        QCOMPARE(project->ipAddress(), kNetMixer);
        QCOMPARE(project->macAddress(), mixer->macAddress());
        QCOMPARE(project->status(), QovAppDeviceModelInternal::CONNECTED);
        QCOMPARE(mixerData(*m_sim, kNetMixer), deviceData(project));
    }

    void connectUploadLeavesProjectUnchanged()
    {
        const QovAppDeviceModel project = projectDeviceWithData("upload");
        const QovZephData before = project->zephData();
        const QovOnlineDeviceModel mixer = onlineDevice(kMixer);
        QVERIFY(m_api.connectDevice(true, project, mixer).get());
        QCOMPARE(project->deviceName(), QString("Project upload"));
        QCOMPARE(project->deviceId(), 42);
        QCOMPARE(project->zephData(), before);
        QCOMPARE(project->ipAddress(), kMixer);
        QCOMPARE(project->macAddress(), mixer->macAddress());
        QCOMPARE(project->status(), QovAppDeviceModelInternal::CONNECTED);
        // The online device takes the project's name and id; the mixer holds the project's data.
        QCOMPARE(mixer->deviceName(), QString("Project upload"));
        QCOMPARE(mixer->deviceId(), 42);
        QCOMPARE(mixerData(*m_sim, kMixer), deviceData(project));
    }

    // Another program's transfer holds the mixer: this one asks the mixer nothing, says who
    // holds it, and goes once the holder lets go. Other mixers are not held up.
    void aMixerInUseIsNotAsked()
    {
        const QovOnlineDeviceModel mixer = onlineDevice(kMixer);
        const QovAppDeviceModel source = projectDeviceWithData("held");
        auto holder = std::make_unique<velmora::test::ForeignLock>(QovMixerLock::lockPath(mixer));
        QVERIFY(holder->isHeld());
        QVERIFY(m_sim->clearRequests(kMixer));

        const QString busy = QString("in use by another Velmora program (%1, process %2)")
                                 .arg(holder->program())
                                 .arg(holder->pid());
        QVERIFY2(m_api.downloadZephData(mixer).get().error.contains(busy), qPrintable(busy));
        QVERIFY(m_api.downloadReadableZephData(mixer).get().error.contains(busy));
        QVERIFY(!m_api.uploadZephData(mixer, source).get());
        const QovCgiApi::ConnectOutcome outcome =
            m_api.connectDeviceWithOutcome(true, source, mixer, false).get();
        QVERIFY(!outcome.connected);
        QVERIFY(outcome.inUse.contains(busy));
        QVERIFY(outcome.safetyCopy.isEmpty());
        QCOMPARE(m_sim->requests(kMixer), QStringList());
        QVERIFY(m_api.uploadZephData(onlineDevice(kNetMixer, "ZEPH-2208NET"), source).get());

        holder.reset();
        {
            // Held by this very program (mixers that answer with one MAC address share it).
            const QovMixerLock own(mixer);
            QVERIFY(own.busy().isEmpty());
            QCOMPARE(m_api.downloadZephData(mixer).get().error,
                     QString("another transfer of this program is using this mixer or one with "
                             "the same MAC address (%1)")
                         .arg(mixer->macAddress()));
        }
        QVERIFY(m_api.uploadZephData(mixer, source).get());
        QCOMPARE(mixerData(*m_sim, kMixer), deviceData(source));
    }

    void aLockLeftByAProgramThatDiedIsTakenOver()
    {
        const QovOnlineDeviceModel mixer = onlineDevice(kMixer);
        QProcess gone;
        gone.start("true", QStringList());
        QVERIFY(gone.waitForStarted());
        const qint64 pid = gone.processId();
        QVERIFY(gone.waitForFinished());
        QFile stale(QovMixerLock::lockPath(mixer));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(QByteArray::number(pid) + "\nvelmora-cli\n\n");
        stale.close();
        QVERIFY(m_api.uploadZephData(mixer, projectDeviceWithData("after")).get());
        QVERIFY(!stale.exists());
    }

private:
    std::unique_ptr<TempProfile> m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
    QovCgiApiZeph2208 m_api;
};

QTEST_GUILESS_MAIN(TestTransfer)
#include "tst_transfer.moc"
