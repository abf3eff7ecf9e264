// Connecting with upload against the simulator: the mixer's data is kept as a safety copy before
// anything is written into it, and a failed copy leaves the mixer untouched. And what the
// transfers report while they run: one progress source, per transfer and for a batch of them.
#include "device/qovcgiapizeph2208.h"
#include "device/qovtransferprogress.h"
#include "mixerchecks.h"
#include "mixersimprocess.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovsafetycopies.h"
#include "models/qovtextfile.h"
#include "readonlyfolder.h"
#include "simdevices.h"
#include "simulatedmixers.h"
#include "tempprofile.h"

#include <QMutex>
#include <QtTest>

#include <future>
#include <memory>

namespace {

const QString kMixer = "127.0.4.2";
const QString kOther = "127.0.4.3";
const QString kThird = "127.0.4.4";

using Progress = QovTransferProgress;

// Every snapshot the progress source passes to its listeners while the object lives.
class ProgressRecorder
{
public:
    ProgressRecorder()
        : m_id(Progress::instance()->addListener([this](const Progress::Snapshot &snapshot) {
            QMutexLocker lock(&m_mutex);
            m_snapshots.append(snapshot);
        }))
    {
    }
    ~ProgressRecorder() { Progress::instance()->removeListener(m_id); }

    QList<Progress::Snapshot> snapshots() const
    {
        QMutexLocker lock(&m_mutex);
        return m_snapshots;
    }
    // Every transfer seen, in the order they began, as the states it went through.
    QList<QList<Progress::Transfer>> transfers() const
    {
        QList<quint64> ids;
        QList<QList<Progress::Transfer>> histories;
        for (const auto &snapshot : snapshots()) {
            for (const auto &transfer : snapshot.transfers) {
                if (!ids.contains(transfer.id)) {
                    ids << transfer.id;
                    histories.append(QList<Progress::Transfer>());
                }
                histories[ids.indexOf(transfer.id)].append(transfer);
            }
        }
        return histories;
    }

private:
    mutable QMutex m_mutex;
    QList<Progress::Snapshot> m_snapshots;
    int m_id;
};

// The files a transfer named while it ran, each once, and whether its count only grew from 0
// to 51 and it ended as a success.
void checkFullTransfer(const QList<Progress::Transfer> &states)
{
    QVERIFY(!states.isEmpty());
    QList<QPair<int, int>> files;
    int done = 0;
    for (const auto &state : states) {
        QVERIFY2(state.filesDone >= done, "the file count went back");
        done = state.filesDone;
        if (state.dataSet != 0 &&
            (files.isEmpty() || files.last() != qMakePair(state.dataSet, state.bank))) {
            // A file is named before it is counted.
            QCOMPARE(state.filesDone, files.size());
            files.append({state.dataSet, state.bank});
        }
    }
    QCOMPARE(files, allDataSetFiles());
    QCOMPARE(states.last().filesDone, Progress::filesPerTransfer);
    QVERIFY(!states.last().running);
    QVERIFY(!states.last().failed);
}

} // namespace

class TestSafeConnect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        const QByteArray config = R"({"mixers":[
            {"address":"127.0.4.2","name":"FOH","deviceId":7},
            {"address":"127.0.4.3","name":"Monitor","deviceId":8},
            {"address":"127.0.4.4","model":"ZEPH-2208NET","name":"Stage"}]})";
        const QString problem =
            startSimulatedMixers("[Debug]\nhttp_timeout_ms=5000\n", config, &m_profile, &m_sim);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void init()
    {
        for (const QString &address : {kMixer, kOther, kThird}) {
            QVERIFY(m_sim->reset(address));
        }
        QTRY_VERIFY(Progress::instance()->snapshot().isEmpty());
    }

    void copyIsKeptBeforeTheFirstUploadRequest()
    {
        const QovOnlineDeviceModel mixer = onlineDevice(kMixer);
        mixer->setDeviceName("FOH");
        const QovAppDeviceModel project = projectDeviceWithData("new");
        QVERIFY(m_sim->setDataSet(kMixer, 2, 5, R"({"name":"only on the mixer"})"));
        const QStringList before = mixerData(*m_sim, kMixer);
        const QovSafetyCopies copies;
        const QStringList earlier = copies.copies(mixer->macAddress());
        // The first upload request is answered slowly: while it hangs, the copy must be complete.
        QVERIFY(m_sim->setFaults(
            kMixer, requestFault("beginupload.cgi", 1, "trickle", R"("bytesPerSecond":60)")));
        QVERIFY(m_sim->clearRequests(kMixer));

        ProgressRecorder recorder;
        std::future<QovCgiApi::ConnectOutcome> connecting =
            m_api.connectDeviceWithOutcome(true, project, mixer);
        QTRY_VERIFY_WITH_TIMEOUT(anyUpload(m_sim->requests(kMixer)), 20000);
        const QStringList now = copies.copies(mixer->macAddress());
        QCOMPARE(now.size(), earlier.size() + 1);
        const QString copy = now.last();
        auto [kept, error] = parseProject(loadTextFile(copy));
        std::unique_ptr<QovProjectDataModel> owner(kept);
        QVERIFY2(kept, qPrintable(error));
        QCOMPARE(kept->appDevices().size(), 1);
        QCOMPARE(kept->appDevices().first()->macAddress(), mixer->macAddress());
        QCOMPARE(deviceData(kept->appDevices().first()), before);

        const QovCgiApi::ConnectOutcome outcome = connecting.get();
        QVERIFY(outcome.connected);
        QCOMPARE(outcome.safetyCopy, copy);
        QCOMPARE(outcome.safetyCopyFailure, QovCgiApi::NO_FAILURE);
        QCOMPARE(mixerData(*m_sim, kMixer), deviceData(project));
        QCOMPARE(project->status(), QovAppDeviceModelInternal::CONNECTED);

        // The progress told the same story: the mixer read in full, then written in full.
        const auto transfers = recorder.transfers();
        QCOMPARE(transfers.size(), 2);
        QCOMPARE(transfers.at(0).first().kind, Progress::SafetyCopy);
        QCOMPARE(transfers.at(0).first().deviceName, QString("FOH"));
        QCOMPARE(transfers.at(1).first().kind, Progress::Upload);
        QCOMPARE(transfers.at(1).first().deviceName, QString("Project new"));
        QCOMPARE(transfers.at(1).first().address, kMixer);
        checkFullTransfer(transfers.at(0));
        checkFullTransfer(transfers.at(1));
    }

    void failedCopyWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("faults");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("detail");
        // Sets the mixer would not give: a copy without them needs the caller's consent.
        QTest::addColumn<QVector<QovDataSlot>>("unreadable");

        // Files 1 to 8 are the presets, 9 and 10 the EQ libraries, then the partial presets.
        QTest::newRow("mixer stops answering")
            << requestFault("filedownload.cgi", 12, "reset") << false << int(QovCgiApi::READ_FAILED)
            << "failed to get partial preset" << QVector<QovDataSlot>();
        QTest::newRow("nothing readable")
            << QByteArray(R"({"rcode":7})") << false << int(QovCgiApi::READ_FAILED)
            << "no data set could be read" << QVector<QovDataSlot>();
        QTest::newRow("file cut off")
            << requestFault("file", 20, "reset") << false << int(QovCgiApi::PARTIAL_READ) << ""
            << QVector<QovDataSlot>{{6, 9}};
        QTest::newRow("refused download")
            << QByteArray(R"({"failDownload":{"target":7,"bank":0}})") << false
            << int(QovCgiApi::PARTIAL_READ) << "" << QVector<QovDataSlot>{{7, 0}};
        QTest::newRow("read-only backups")
            << QByteArray("{}") << true << int(QovCgiApi::WRITE_FAILED) << "cannot"
            << QVector<QovDataSlot>();
    }

    void failedCopyWritesNothing()
    {
        QFETCH(QByteArray, faults);
        QFETCH(bool, readOnly);
        QFETCH(QString, detail);
        const QovOnlineDeviceModel mixer = onlineDevice(kOther);
        const QovAppDeviceModel project = projectDeviceWithData("refused");
        const QStringList projectBefore = deviceData(project);
        const QStringList before = mixerData(*m_sim, kOther);
        const QovSafetyCopies copies;
        const QStringList earlier = copies.copies(mixer->macAddress());
        QVERIFY(m_sim->setFaults(kOther, faults));
        QVERIFY(m_sim->clearRequests(kOther));
        if (readOnly) {
            VELMORA_READ_ONLY_OR_SKIP(copies.root());
        }

        ProgressRecorder recorder;
        const QovCgiApi::ConnectOutcome outcome =
            m_api.connectDeviceWithOutcome(true, project, mixer).get();
        if (readOnly) {
            velmora::test::makeFolderWritable(copies.root());
        }
        QVERIFY(!outcome.connected);
        QTEST(int(outcome.safetyCopyFailure), "failure");
        QVERIFY2(outcome.safetyCopyDetail.contains(detail), qPrintable(outcome.safetyCopyDetail));
        QVERIFY(outcome.safetyCopy.isEmpty());
        QTEST(outcome.unreadable, "unreadable");

        const QStringList requests = m_sim->requests(kOther);
        QVERIFY(!requests.isEmpty());
        QVERIFY2(!anyUpload(requests), qPrintable(requests.join('\n')));
        QVERIFY(m_sim->setFaults(kOther, "{}"));
        QCOMPARE(mixerData(*m_sim, kOther), before);
        QCOMPARE(copies.copies(mixer->macAddress()), earlier);
        QCOMPARE(project->status(), QovAppDeviceModelInternal::DISCONNECTED);
        QCOMPARE(deviceData(project), projectBefore);

        // The plain operation refuses the same way.
        if (!readOnly) {
            QVERIFY(m_sim->setFaults(kOther, faults));
            QVERIFY(!m_api.connectDevice(true, project, mixer).get());
            QVERIFY(!anyUpload(m_sim->requests(kOther)));
        }

        // No upload ever began; the reading that failed is reported as failed, not as complete.
        const auto transfers = recorder.transfers();
        QCOMPARE(transfers.first().first().kind, Progress::SafetyCopy);
        for (const auto &transfer : transfers) {
            QVERIFY(transfer.first().kind != Progress::Upload);
        }
        QCOMPARE(transfers.first().last().failed, !readOnly);
    }

    void progressOfOneDownload()
    {
        const QovOnlineDeviceModel mixer = onlineDevice(kThird, "ZEPH-2208NET");
        mixer->setDeviceName("Stage");
        ProgressRecorder recorder;
        QCOMPARE(m_api.downloadZephData(mixer).get().error, QString());
        const auto transfers = recorder.transfers();
        QCOMPARE(transfers.size(), 1);
        QCOMPARE(transfers.first().first().kind, Progress::Download);
        QCOMPARE(transfers.first().first().deviceName, QString("Stage"));
        QCOMPARE(transfers.first().first().address, kThird);
        checkFullTransfer(transfers.first());
        // Once nothing runs, there is nothing to show.
        QVERIFY(Progress::instance()->snapshot().isEmpty());
        QVERIFY(recorder.snapshots().last().isEmpty());
    }

    void progressOfManyAtOnce()
    {
        // Slow enough that all three are under way together.
        for (const QString &address : {kMixer, kOther, kThird}) {
            QVERIFY(m_sim->setFaults(address, R"({"delayMs":5})"));
        }
        const QList<QovOnlineDeviceModel> mixers{onlineDevice(kMixer), onlineDevice(kOther),
                                                 onlineDevice(kThird, "ZEPH-2208NET")};
        QList<QovAppDeviceModel> projects;
        ProgressRecorder recorder;
        std::vector<std::future<bool>> running;
        for (const auto &mixer : mixers) {
            projects.append(std::make_shared<QovAppDeviceModelInternal>());
            running.push_back(m_api.connectDevice(false, projects.last(), mixer));
        }
        for (auto &connection : running) {
            QVERIFY(connection.get());
        }

        // One batch: the count over all of them only grows and ends at three full transfers.
        int done = 0, widest = 0, fullest = 0;
        for (const auto &snapshot : recorder.snapshots()) {
            if (snapshot.isEmpty()) {
                continue;
            }
            QVERIFY2(snapshot.filesDone() >= done, "the batch's count went back");
            QVERIFY(snapshot.filesDone() <= snapshot.filesTotal());
            done = snapshot.filesDone();
            widest = std::max(widest, int(snapshot.transfers.size()));
            fullest = std::max(fullest, snapshot.filesTotal());
        }
        QCOMPARE(widest, 3);
        QCOMPARE(fullest, 3 * Progress::filesPerTransfer);
        QCOMPARE(done, 3 * Progress::filesPerTransfer);
        const auto transfers = recorder.transfers();
        QCOMPARE(transfers.size(), 3);
        QStringList addresses;
        for (const auto &transfer : transfers) {
            addresses << transfer.first().address;
            checkFullTransfer(transfer);
        }
        addresses.sort();
        QCOMPARE(addresses, (QStringList{kMixer, kOther, kThird}));
        QVERIFY(recorder.snapshots().last().isEmpty());
    }

private:
    std::unique_ptr<TempProfile> m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
    QovCgiApiZeph2208 m_api;
};

QTEST_GUILESS_MAIN(TestSafeConnect)
#include "tst_safeconnect.moc"
