#include "models/qovprojectdatamodel.h"
#include "models/qovsafetycopies.h"
#include "models/qovtextfile.h"
#include "models/qovtextrules.h"
#include "models/qovzephdatadiff.h"
#include "projectfixture.h"
#include "tempprofile.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

// What the user is shown before a transfer overwrites one side, and the copies kept before it
// does: a comparison that only reports real differences, and copies that are never lost to a
// second one taken in the same moment nor kept without limit, that the program can open again
// whatever the mixer calls itself, and that pruning never takes the copy just written.
class TestSafetyData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void diffStates();
    void diffOfUnparsableTexts();
    void copiesArePerMixerAndPruned();
    void copiesOpenWhateverTheMixerIsCalled_data();
    void copiesOpenWhateverTheMixerIsCalled();
    void pruningSparesTheCopyJustWritten();
    void copiesNamedOnManyThreadsAtOnce();

private:
    TempProfile m_profile;
};

namespace {

QString preset(const QString &name, bool stored, int gain = 0)
{
    return QString(R"({"name":"%1","stored":%2,"inputs":[{"ch":1,"gain_db":%3}]})")
        .arg(name, stored ? "true" : "false")
        .arg(gain);
}

QovOnlineDeviceModel mixerCalled(const QString &name)
{
    QovDiscoveredDevice found{"22080001", "uuid:1", name, "ZEPH-2208", "127.0.0.2"};
    auto mixer = std::make_shared<QovOnlineDeviceModelInternal>(found);
    mixer->setMacAddress("00:1D:C1:20:08:02");
    return mixer;
}

const char kNameAtOnce[] = "--name-copies-at-once";
QString g_self;

// Six threads name a safety copy of their own mixer at the same moment, as the restores of
// several mixers do, each the first such name of a fresh process. Prints the names.
int nameCopiesAtOnce(const char *root)
{
    std::atomic<bool> go{false};
    QString names[6];
    std::vector<std::thread> threads;
    for (int i = 0; i < 6; ++i) {
        threads.emplace_back([&go, &names, root, i] {
            while (!go) {
            }
            names[i] = QovSafetyCopies(QString::fromUtf8(root))
                           .newCopyPath(QStringLiteral("00:1D:C1:00:00:0%1").arg(i),
                                        QDateTime::currentDateTimeUtc());
        });
    }
    go = true;
    for (std::thread &thread : threads) {
        thread.join();
    }
    for (const QString &name : names) {
        std::printf("%s\n", name.toUtf8().constData());
    }
    return 0;
}

QovZephDataDiffEntry entry(const QVector<QovZephDataDiffEntry> &entries, int type, int bank)
{
    for (const QovZephDataDiffEntry &e : entries) {
        if (e.type == type && e.bank == bank) {
            return e;
        }
    }
    return {};
}

} // namespace

void TestSafetyData::diffStates()
{
    QovZephData file;
    QovZephData mixer;
    // The same content written with other member order and spacing is the same.
    file.current = R"({"model":"ZEPH-2208","inputs":[]})";
    mixer.current = R"({ "inputs": [], "model": "ZEPH-2208" })";
    file.preset[0] = preset("Sunday", true, 30);
    mixer.preset[0] = preset("Sunday", true, 31);
    file.preset[1] = preset("Rehearsal", true);
    mixer.preset[1] = preset("", false);
    file.preset[2] = preset("", false);
    mixer.preset[2] = preset("Conference", true);
    file.partialPreset[39] = R"({"name":"Vocals","stored":true,"inputs":[{"ch":1}]})";
    file.eq4Band = R"({"entries":[{"slot":0,"name":"Kick"}]})";

    const QVector<QovZephDataDiffEntry> entries = qovDiffZephData(file, mixer);
    QCOMPARE(entries.size(), 8 + 1 + 1 + 40 + 1);
    QCOMPARE(entries.first().type, 2);
    QCOMPARE(entries.last().type, 7);
    // Only what differs is named, with its state and both sides' names.
    QStringList differing;
    for (const QovZephDataDiffEntry &e : entries) {
        if (e.state != QovZephDataDiffEntry::Same) {
            differing << QString("%1/%2 %3 %4|%5")
                             .arg(QString::number(e.type), QString::number(e.bank),
                                  QovZephDataDiffEntry::stateText(e.state), e.fileName,
                                  e.mixerName);
        }
    }
    QCOMPARE(differing, (QStringList{"2/0 differs Sunday|Sunday", "2/1 only in file Rehearsal|",
                                     "2/2 only on mixer |Conference", "4/0 differs |",
                                     "6/39 only in file Vocals|"}));
}

void TestSafetyData::diffOfUnparsableTexts()
{
    QovZephData file;
    QovZephData mixer;
    file.current = "not json";
    mixer.current = "not json";
    file.eq12Band = "[1]";
    mixer.eq12Band = "[2]";
    // A bank one side lacks altogether (a file cut short by hand) is on the other side only,
    // used there or not.
    file.preset.removeLast();
    mixer.partialPreset.removeLast();
    const QVector<QovZephDataDiffEntry> entries = qovDiffZephData(file, mixer);
    QCOMPARE(entry(entries, 7, 0).state, QovZephDataDiffEntry::Same);
    QCOMPARE(entry(entries, 3, 0).state, QovZephDataDiffEntry::Differs);
    QCOMPARE(entry(entries, 2, 7).state, QovZephDataDiffEntry::OnlyOnMixer);
    QCOMPARE(entry(entries, 6, 39).state, QovZephDataDiffEntry::OnlyInFile);
}

void TestSafetyData::copiesArePerMixerAndPruned()
{
    QTemporaryDir dir;
    const QovSafetyCopies copies(dir.path());
    // Every spelling of one MAC address is one mixer.
    QCOMPARE(copies.folder("00:1d:c1:20:08:02"), copies.folder("00-1D-C1-20-08-02"));
    QCOMPARE(QovSafetyCopies::folderName("00:1d:c1:20:08:02"), QString("001DC1200802"));
    QVERIFY(copies.folder("").endsWith("/unknown"));

    const QString mac = "00:1D:C1:20:08:02";
    QVERIFY(QDir().mkpath(copies.folder(mac)));
    // A file the user keeps beside the copies, sorting before them all, is not one of them.
    const QString own = copies.folder(mac) + "/0000-kept by hand.vlmproj";
    QVERIFY(projectfixture::writeAll(own, {}));
    const QDateTime start(QDate(2026, 1, 2), QTime(3, 4, 5), QTimeZone::utc());
    QStringList made;
    for (int i = 0; i < QovSafetyCopies::keptPerMixer + 3; ++i) {
        // Two copies in the same millisecond must not overwrite each other.
        const QString path = copies.newCopyPath(mac, start.addSecs(i / 2));
        QVERIFY(!made.contains(path));
        QVERIFY(projectfixture::writeAll(path, {}));
        made.append(path);
    }
    QVERIFY(made.first().endsWith("2026-01-02T03-04-05.000Z.vlmproj"));
    QVERIFY(copies.prune(mac));
    const QStringList kept = copies.copies(mac);
    QCOMPARE(kept.size(), QovSafetyCopies::keptPerMixer);
    // The newest survive: the last one made is kept, the first ones are gone.
    QVERIFY(kept.contains(made.last()));
    QVERIFY(!QFile::exists(made.at(0)));
    QVERIFY(!QFile::exists(made.at(1)));
    QVERIFY(QFile::exists(own));
    QVERIFY(copies.copies("00:00:00:00:00:01").isEmpty());
}

void TestSafetyData::copiesOpenWhateverTheMixerIsCalled_data()
{
    QTest::addColumn<QString>("mixerName");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<QString>("title");
    const auto row = [](const char *name, const QString &mixer, const QString &stored,
                        const QString &title) { QTest::newRow(name) << mixer << stored << title; };
    row("16 characters", "Main Hall Mixer1", "Main Hall Mixer1", "Safety copy of Main Hall Mixe…");
    row("30 characters", "Front of House Main Mixer 2208", "Front of House Main Mixer 2208",
        "Safety copy of Front of House…");
    row("accents, 30", "Bühne Süd – Großer Saal Öffnen", "B_hne S_d _ Gro_er Saal _ffnen",
        "Safety copy of Bühne Süd – Gr…");
    // The title's cut falls inside the emoji: it goes whole.
    row("emoji at the cut", "Stage 1 left 🎛 wing", "Stage 1 left _ wing",
        "Safety copy of Stage 1 left…");
    row("reserved characters", "Rock&Roll <Left>/\\\"%", "Rock_Roll _Left_____",
        "Safety copy of RockRoll Left");
    row("nothing left", "音響卓", "ZEPH-2208", "Safety copy of 音響卓");
}

void TestSafetyData::copiesOpenWhateverTheMixerIsCalled()
{
    QFETCH(QString, mixerName);
    QTemporaryDir dir;
    const QovSafetyCopies copies(dir.path());
    QovZephData data;
    data.preset[0] = preset("Sunday", true, 30);
    QString error;
    const QString path = copies.keep(mixerCalled(mixerName), data, &error);
    QVERIFY2(!path.isEmpty(), qPrintable(error));

    auto [project, problem] = parseProject(loadTextFile(path));
    std::unique_ptr<QovProjectDataModel> owner(project);
    QVERIFY2(project, qPrintable(problem));
    QTEST(project->projectName(), "title");
    QVERIFY(project->projectName().size() <= QovTextRules::titleLength);
    QCOMPARE(project->appDevices().size(), 1);
    QTEST(project->appDevices().first()->deviceName(), "storedName");
    QCOMPARE(
        QJsonDocument::fromJson(project->appDevices().first()->zephDataPreset().first().toUtf8()),
        QJsonDocument::fromJson(data.preset[0].toUtf8()));
}

void TestSafetyData::pruningSparesTheCopyJustWritten()
{
    QTemporaryDir dir;
    const QovSafetyCopies copies(dir.path());
    const QovOnlineDeviceModel mixer = mixerCalled("FOH");
    // Copies taken while the clock ran years ahead, then set right.
    const QDateTime ahead = QDateTime::currentDateTimeUtc().addYears(3);
    QStringList future;
    QVERIFY(QDir().mkpath(copies.folder(mixer->macAddress())));
    for (int i = 0; i < QovSafetyCopies::keptPerMixer; ++i) {
        future.append(copies.newCopyPath(mixer->macAddress(), ahead.addSecs(i)));
        QVERIFY(projectfixture::writeAll(future.last(), {}));
    }

    QString error;
    const QString path = copies.keep(mixer, QovZephData(), &error);
    QVERIFY2(!path.isEmpty(), qPrintable(error));
    QVERIFY(QFile::exists(path));
    const QStringList kept = copies.copies(mixer->macAddress());
    QCOMPARE(kept.size(), QovSafetyCopies::keptPerMixer);
    QVERIFY(kept.contains(path));
    // The oldest of the others made room.
    QVERIFY(!QFile::exists(future.first()));
    QVERIFY(QFile::exists(future.last()));
}

// Under Qt 5 the first formatting of a time in a process could race with another and give
// empty text: a copy named ".vlmproj", hidden, and overwritten by the next one. Only the first
// use in a process raced, and not every time, so many fresh processes are asked.
void TestSafetyData::copiesNamedOnManyThreadsAtOnce()
{
    QTemporaryDir dir;
    for (int run = 0; run < 100; ++run) {
        QProcess child;
        child.start(g_self, {kNameAtOnce, dir.path()});
        QVERIFY(child.waitForFinished(10000));
        const QStringList paths = QString::fromUtf8(child.readAllStandardOutput()).split('\n');
        QCOMPARE(paths.size(), 7);
        for (int i = 0; i < 6; ++i) {
            const QString mac = QStringLiteral("00:1D:C1:00:00:0%1").arg(i);
            QVERIFY(QDir().mkpath(QovSafetyCopies(dir.path()).folder(mac)));
            QVERIFY(projectfixture::writeAll(paths.at(i), {}));
            // The program finds every copy it named among its copies of that mixer.
            QVERIFY2(QovSafetyCopies(dir.path()).copies(mac).contains(paths.at(i)),
                     qPrintable(paths.at(i)));
            QVERIFY(QFile::remove(paths.at(i)));
        }
    }
}

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], kNameAtOnce) == 0) {
        return nameCopiesAtOnce(argv[2]);
    }
    g_self = QString::fromLocal8Bit(argv[0]);
    TestSafetyData test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_safetydata.moc"
