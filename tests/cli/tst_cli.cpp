#include "mixerchecks.h"
#include "models/qovlockpaths.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovtextfile.h"
#include "projectfilepeek.h"
#include "projectfixture.h"
#include "readonlyfolder.h"
#include "simulatedmixers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#include <memory>

namespace {

const QString kPrimary = "127.0.3.2";
const QString kExtension = "127.0.3.3";
const QString kNet = "127.0.3.4";
const QString kForeign = "127.0.3.5";
// Two mixers with one MAC address, a cloned configuration; off unless a test starts them.
const QStringList kTwins{"127.0.3.6", "127.0.3.7"};

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
    // The first mixer's entry in the --json report.
    QJsonObject result() const { return json().value("results").toArray().first().toObject(); }
};

// Data sets as JSON values: the project file keeps members in its own order.
QJsonObject object(const QByteArray &text)
{
    return QJsonDocument::fromJson(text).object();
}

QJsonObject object(const QString &text)
{
    return object(text.toUtf8());
}

QByteArray presetText(const QString &name)
{
    return QString(R"({"name":"%1","stored":true,"inputs":[],"outputs":[]})").arg(name).toUtf8();
}

} // namespace

// A run that must succeed: when it does not, its own error output says why.
#define QVERIFY_SUCCEEDS(run)                                                                      \
    do {                                                                                           \
        const Run done = (run);                                                                    \
        QVERIFY2(                                                                                  \
            done.code == 0,                                                                        \
            qPrintable(QString("exit %1: %2").arg(done.code).arg(QString::fromUtf8(done.err))));   \
    } while (false)

// velmora-cli as a cron job runs it: a separate process against simulated mixers, judged by its
// exit code, its output and the files and mixers it leaves behind.
class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void versionFindsThePages();
    void listShowsAdmittedAndRefusedMixers();
    void nothingFound();
    void backupAllInLinkGroupOrder();
    void backupNamesTheMixerItMissed();
    void mixersThatAnswerButAreNotAdmittedAreFailures();
    void restoreWithoutSafetyCopyUploadsNothing();
    void restoreRefusesWhatCannotPair();
    void mixerInUseByAnotherProgram();
    void mixerWithUnreadableSets();
    void mixersSharingAMacAreNeverChosenBetween();
    void diffShowsWhatDiffers();
    void progressLineOnATerminalOnly();
    void interruptedRestoreSaysWhatTheMixerHolds();
    void autosaveCopiesAreNeverRead();

private:
    // With `terminal`, the program's standard streams are a terminal (through script(1)), and
    // everything it writes comes back in `out`.
    Run cli(const QStringList &arguments, bool terminal = false) const;
    // Starts the program in this test's profile.
    void start(QProcess &process, const QStringList &arguments, bool terminal = false) const;
    QString backupFile(const QString &name);

    std::unique_ptr<TempProfile> m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
    QTemporaryDir m_dir;
};

void TestCli::initTestCase()
{
    const QString problem = startSimulatedMixers({}, R"({"mixers":[
        {"address":"127.0.3.2","name":"Main","mac":"00:1D:C1:30:00:02","serial":3002,
         "link":"primary","linkedUnits":[{"serial":3003,"unitno":1}]},
        {"address":"127.0.3.3","name":"Side","mac":"00:1D:C1:30:00:03","serial":3003,
         "link":"extension"},
        {"address":"127.0.3.4","name":"Net","model":"ZEPH-2208NET","mac":"00:1D:C1:30:00:04"},
        {"address":"127.0.3.5","name":"Stranger","model":"ZEPH-9000","mac":"00:1D:C1:30:00:05"},
        {"address":"127.0.3.6","name":"Twin A","mac":"00:1D:C1:30:00:06","running":false},
        {"address":"127.0.3.7","name":"Twin B","mac":"00:1D:C1:30:00:06","running":false}
    ]})",
                                                 &m_profile, &m_sim);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestCli::init()
{
    for (const QString &address : {kPrimary, kExtension, kNet, kForeign}) {
        QVERIFY(m_sim->reset(address));
        QVERIFY(m_sim->startMixer(address));
    }
    for (const QString &address : kTwins) {
        QVERIFY(m_sim->stopMixer(address));
    }
}

void TestCli::start(QProcess &process, const QStringList &arguments, bool terminal) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", m_profile->path() + "/data");
    process.setProcessEnvironment(environment);
    const QString program = QString(VELMORA_BIN_DIR) + "/velmora-cli";
    if (terminal) {
        process.start("script",
                      {"-qec", (QStringList{program} + arguments).join(' '), "/dev/null"});
    } else {
        process.start(program, arguments);
    }
}

Run TestCli::cli(const QStringList &arguments, bool terminal) const
{
    QProcess process;
    start(process, arguments, terminal);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        run.err = "did not end within 60 s";
        return run;
    }
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString TestCli::backupFile(const QString &name)
{
    return m_dir.filePath(name + ".vlmproj");
}

void TestCli::versionFindsThePages()
{
    // The build puts the pages beside the programs, as an installation does.
    const Run run = cli({"--version"});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out.count("(found)"), 2);
    QVERIFY(run.out.contains(QString(VELMORA_BIN_DIR).toUtf8() +
                             "/webcontents/zeph2208net/index.html"));
}

void TestCli::listShowsAdmittedAndRefusedMixers()
{
    const Run run = cli({"list", "--wait", "3", "--json"});
    QVERIFY2(run.code == 0, run.err.constData());
    QVERIFY(run.json().value("ok").toBool());
    // A quiet search is all a user wants on the terminal.
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    QMap<QString, QJsonObject> byIp;
    for (const QJsonValue &value : run.json().value("results").toArray()) {
        byIp.insert(value.toObject().value("ip").toString(), value.toObject());
    }
    QCOMPARE(byIp.size(), 4);
    QCOMPARE(byIp[kPrimary].value("link").toString(), QString("primary"));
    QCOMPARE(byIp[kPrimary].value("mac").toString(), QString("00:1D:C1:30:00:02"));
    QCOMPARE(byIp[kExtension].value("link").toString(), QString("extension"));
    QCOMPARE(byIp[kNet].value("model").toString(), QString("ZEPH-2208NET"));
    QVERIFY(byIp[kNet].value("admitted").toBool());
    QVERIFY(!byIp[kForeign].value("admitted").toBool());
    QVERIFY(byIp[kForeign].value("reason").toString().contains("not supported"));
}

// A run that finds nothing or cannot start says why, on standard error and in the one --json
// document, whose "ok" a script may trust: it is true for exit code 0 alone.
void TestCli::nothingFound()
{
    for (const QString &address : {kPrimary, kExtension, kNet, kForeign}) {
        QVERIFY(m_sim->stopMixer(address));
    }
    const QString notProject = m_dir.filePath("not-a-project.vlmproj");
    QVERIFY(projectfixture::writeAll(notProject, "{}"));
    const struct
    {
        QStringList arguments;
        int code;
        QString error;
    } cases[] = {
        {{"list", "--wait", "2"}, 3, "no mixer was found"},
        {{"backup", "--all", "--wait", "2", "-o", backupFile("none")},
         3,
         "no mixer to back up was found"},
        // Refused before --json is read, which counts all the same.
        {{"list", "--wait", "abc"}, 2, "--wait needs a number of seconds, 1 to 600"},
        {{"backup", "300.1.2.3", "-o", backupFile("none")},
         2,
         R"("300.1.2.3" is not an IPv4 address)"},
        {{"restore", m_dir.filePath("missing.vlmproj"), "--yes"}, 2, "cannot open "},
        {{"diff", notProject}, 2, notProject + " has an invalid field"},
    };
    for (const auto &expected : cases) {
        const Run run = cli(expected.arguments + QStringList{"--json"});
        const QString error = run.json().value("error").toString();
        QVERIFY2(run.code == expected.code && run.json().value("ok") == QJsonValue(false) &&
                     error.startsWith(expected.error) &&
                     run.err.startsWith("velmora-cli: " + error.toUtf8() + "\n"),
                 qPrintable(QString("exit %1: %2%3").arg(run.code).arg(run.out, run.err)));
    }
    QVERIFY(!QFile::exists(backupFile("none")));
}

void TestCli::backupAllInLinkGroupOrder()
{
    QVERIFY(m_sim->setDataSet(kExtension, 2, 4, presetText("Side five")));
    const QString file = backupFile("all");
    const Run run = cli({"backup", "--all", "--wait", "3", "-o", file});
    QVERIFY2(run.code == 0, run.err.constData());

    auto [project, error] = parseProject(loadTextFile(file));
    std::unique_ptr<QovProjectDataModel> owner(project);
    QVERIFY2(project, qPrintable(error));
    const QVector<QovAppDeviceModel> devices = project->appDevices();
    QCOMPARE(devices.size(), 3);
    QCOMPARE(devices.at(0)->deviceName(), QString("Main"));
    QCOMPARE(devices.at(1)->deviceName(), QString("Side"));
    QCOMPARE(devices.at(2)->deviceName(), QString("Net"));
    QCOMPARE(devices.at(2)->deviceType(), QovDeviceSelector::ZEPH2208NET);
    QCOMPARE(devices.at(1)->macAddress(), QString("00:1D:C1:30:00:03"));
    // The file holds each mixer's own data, bank by bank.
    QCOMPARE(object(devices.at(1)->zephDataPreset().at(4)),
             object(m_sim->dataSet(kExtension, 2, 4)));
    QCOMPARE(object(devices.at(1)->zephDataPreset().at(4)).value("name").toString(),
             QString("Side five"));
    QCOMPARE(object(devices.at(0)->zephDataCurrent()), object(m_sim->dataSet(kPrimary, 7, 0)));
    QCOMPARE(object(devices.at(2)->zephDataPartialPreset().at(39)),
             object(m_sim->dataSet(kNet, 6, 39)));

    // More mixers than a project holds, or a folder to write to: refused before any mixer is
    // read, rather than after every one was reported backed up.
    m_profile->writeProgramSettings("[Debug]\nmax_of_project_devices=2\n");
    const Run over = cli({"backup", "--all", "--wait", "3", "-o", backupFile("over")});
    m_profile->writeProgramSettings("");
    QCOMPARE(over.code, 1);
    QVERIFY2(over.err.contains("3 mixers to back up, but a project holds at most 2"),
             over.err.constData());
    QVERIFY2(!over.out.contains("backed up"), over.out.constData());
    QVERIFY(!QFile::exists(backupFile("over")));
    const Run folder = cli({"backup", "--all", "--wait", "3", "-o", m_dir.path()});
    QCOMPARE(folder.code, 2);
    QVERIFY2(folder.err.contains("is a folder"), folder.err.constData());
}

// Nothing at one address, and a mixer whose web server cannot give its description: it answers
// the search all the same, so the backup and the list name it with the reason.
void TestCli::backupNamesTheMixerItMissed()
{
    QVERIFY(m_sim->setFaults(kPrimary,
                             requestFault("description.xml", 0, "status", R"("status":500)")));
    const QString refused = "no description at 127.0.3.2: HTTP status 500";
    const QString file = backupFile("partial");
    const Run run =
        cli({"backup", kNet, kPrimary, "127.0.3.9", "--wait", "3", "-o", file, "--json"});
    QCOMPARE(run.code, 1);
    QVERIFY(!run.json().value("ok").toBool());
    const QJsonArray failures{
        QJsonObject{{"mixer", kPrimary}, {"reason", "not admitted: " + refused}},
        QJsonObject{{"mixer", "127.0.3.9"},
                    {"reason", "no admitted mixer at this address (to reach a mixer that "
                               "discovery cannot see, add --address 127.0.3.9)"}}};
    QCOMPARE(run.json().value("failures").toArray(), failures);
    const QJsonObject row{{"ip", kPrimary}, {"admitted", false}, {"reason", refused}};
    const QJsonArray listed = cli({"list", "--wait", "3", "--json"}).json()["results"].toArray();
    QVERIFY2(listed.contains(row), QJsonDocument(listed).toJson().constData());
    auto [project, error] = parseProject(loadTextFile(file));
    std::unique_ptr<QovProjectDataModel> owner(project);
    QVERIFY2(project, qPrintable(error));
    QCOMPARE(project->appDevices().size(), 1);
}

// A mixer updating its firmware, or one whose web server fails, answers the search and is then
// not admitted: every command names it with its reason, and a backup of all mixers that misses
// it is a failure, never a complete-looking file.
void TestCli::mixersThatAnswerButAreNotAdmittedAreFailures()
{
    const QString file = backupFile("net");
    QVERIFY_SUCCEEDS(cli({"backup", kNet, "--wait", "3", "-o", file}));
    QVERIFY(m_sim->setFaults(kNet, R"({"rcode": 7})"));
    QVERIFY(m_sim->setFaults(kPrimary, R"({"refuse": true})"));

    const Run all = cli({"backup", "--all", "--wait", "3", "-o", backupFile("all")});
    QCOMPARE(all.code, 1);
    const QString err = QString::fromUtf8(all.err);
    QVERIFY2(err.contains("Net (ZEPH-2208NET, 127.0.3.4): not admitted: firmware update in "
                          "progress") &&
                 err.contains("127.0.3.2: not admitted: no description at 127.0.3.2:"),
             qPrintable(err));
    // The device library's own diagnostics stay out of a user's terminal.
    QVERIFY2(!err.contains("Error getting device description"), qPrintable(err));
    QVERIFY(!err.contains("Stranger"));

    const Run one = cli({"backup", kNet, "--wait", "3", "-o", backupFile("none"), "--json"});
    QCOMPARE(one.code, 1);
    const QJsonArray failures{
        QJsonObject{{"mixer", kNet}, {"reason", "not admitted: firmware update in progress"}}};
    QCOMPARE(one.json().value("failures").toArray(), failures);

    const Run restore = cli({"restore", file, "--yes", "--wait", "3", "--json"});
    const QString reason =
        restore.json().value("failures").toArray().first().toObject().value("reason").toString();
    QVERIFY2(reason.startsWith("no admitted mixer with MAC address 00:1D:C1:30:00:04;") &&
                 reason.contains(
                     "not admitted: Net (ZEPH-2208NET, 127.0.3.4): firmware update in progress"),
             qPrintable(reason));
    QCOMPARE(m_sim->requests(kNet).filter("beginupload.cgi").size(), 0);
}

void TestCli::restoreWithoutSafetyCopyUploadsNothing()
{
    const QString file = backupFile("nocopy");
    QVERIFY_SUCCEEDS(cli({"backup", kNet, "--wait", "3", "-o", file}));
    const QString data = m_profile->path() + "/data";
    VELMORA_READ_ONLY_OR_SKIP(data);
    QVERIFY(m_sim->clearRequests(kNet));
    const Run run = cli({"restore", file, "--yes", "--wait", "3"});
    velmora::test::makeFolderWritable(data);
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains("no safety copy"), run.err.constData());
    const QStringList requests = m_sim->requests(kNet);
    QVERIFY(!requests.isEmpty());
    QVERIFY2(!anyUpload(requests), qPrintable(requests.join('\n')));
}

// The file's first device changed by `edit`, written next to `file` as `name`.
QString editedCopy(const QString &file, const QString &name,
                   const std::function<void(QJsonObject &)> &edit)
{
    QJsonObject root = QJsonDocument::fromJson(loadTextFile(file).toUtf8()).object();
    QJsonArray devices = root.value("devices").toArray();
    QJsonObject device = devices.first().toObject();
    edit(device);
    devices.replace(0, device);
    root.insert("devices", devices);
    const QString copy = QFileInfo(file).absolutePath() + "/" + name + ".vlmproj";
    QFile out(copy);
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(root).toJson()) <= 0) {
        return QString();
    }
    return copy;
}

// Pairings that would leave a mixer holding what nobody meant are refused before any upload,
// each with its own reason.
void TestCli::restoreRefusesWhatCannotPair()
{
    const QString file = backupFile("mismatch");
    QVERIFY_SUCCEEDS(cli({"backup", kPrimary, "--wait", "3", "-o", file}));
    QVERIFY(m_sim->clearRequests(kNet));
    QVERIFY(m_sim->clearRequests(kPrimary));
    const auto refused = [this](const QStringList &arguments, int code, const char *reason) {
        const Run run =
            cli(QStringList{"restore"} + arguments + QStringList{"--yes", "--wait", "3"});
        return run.code == code && run.err.contains(reason)
                   ? QString()
                   : QString("exit %1: %2").arg(run.code).arg(QString(run.err));
    };
    QString problem = refused({file, "--device", "1", "--to", kNet}, 1, "model mismatch");
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY2(!anyUpload(m_sim->requests(kNet)), qPrintable(m_sim->requests(kNet).join('\n')));

    // Found by its MAC address, the mixer is there, only of another model.
    const QString otherModel = editedCopy(
        file, "other-model", [](QJsonObject &device) { device["model"] = "ZEPH-2208NET"; });
    problem = refused({otherModel}, 1, "model mismatch");
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    // Two pairings into one mixer: the second is refused, so the mixer holds one device's data.
    problem = refused({file, "--device", "1", "--to", kPrimary, "--device", "1", "--to", kPrimary},
                      1, "is paired with device \"Main\" already");
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    // Sets the mixer cannot take whole: nothing is read or written, so no copy is needed.
    QVERIFY(m_sim->clearRequests(kPrimary));
    const QString threePresets = editedCopy(file, "three-presets", [](QJsonObject &device) {
        QJsonObject data = device["data"].toObject();
        data["preset_list"] = QJsonArray{QJsonObject(), QJsonObject(), QJsonObject()};
        device["data"] = data;
    });
    problem = refused({threePresets}, 1,
                      "holds 3 preset set(s), the mixer has 8; the mixer was "
                      "not written");
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QStringList requests = m_sim->requests(kPrimary);
    QVERIFY2(requests.filter("download").isEmpty() && requests.filter("upload").isEmpty(),
             qPrintable(requests.join('\n')));

    problem = refused({m_dir.filePath("missing.vlmproj")}, 2, "cannot open");
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

// While another program transfers to the mixer (this test holds its lock), a backup neither
// reads it nor a restore writes it, and both say who holds it. A backup into a file that another
// program is writing asks no mixer anything: one of the two would silently lose its mixers.
void TestCli::mixerInUseByAnotherProgram()
{
    const QString file = backupFile("in-use");
    QVERIFY_SUCCEEDS(cli({"backup", kNet, "--wait", "3", "-o", file}));
    QLockFile held(qovUserLockPath("mixer-001dc1300004"));
    QVERIFY(held.tryLock(0));
    QVERIFY(m_sim->clearRequests(kNet));
    const QString holder = QString("in use by another Velmora program (%1, process %2)")
                               .arg(QCoreApplication::applicationName())
                               .arg(QCoreApplication::applicationPid());

    Run run = cli({"backup", kNet, "--wait", "3", "-o", backupFile("not-taken")});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(holder.toUtf8()), run.err.constData());
    run = cli({"restore", file, "--yes", "--wait", "3"});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(holder.toUtf8() + "; nothing was written"), run.err.constData());
    const QStringList requests = m_sim->requests(kNet);
    QVERIFY2(requests.filter("download").isEmpty() && requests.filter("upload").isEmpty(),
             qPrintable(requests.join('\n')));

    held.unlock();
    QLockFile writing(qovUserFileLockPath(file));
    QVERIFY(writing.tryLock(0));
    const QByteArray before = loadTextFile(file).toUtf8();
    QVERIFY(m_sim->clearRequests(kNet));
    run = cli({"backup", kNet, "--wait", "3", "-o", file});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(QFileInfo(file).absoluteFilePath().toUtf8() +
                              ": the file is being written by another Velmora program (" +
                              holder.section('(', 1).toUtf8() + "; nothing was written"),
             run.err.constData());
    QCOMPARE(m_sim->requests(kNet), QStringList());
    QCOMPARE(loadTextFile(file).toUtf8(), before);
}

// An emptied partial preset, a preset bank the mixer refuses and an EQ library in Latin-1 (its
// replacement characters would be written back in place of the mixer's own bytes): backup and
// diff name them and handle the rest; restore leaves the mixer alone unless a partial safety
// copy is allowed.
void TestCli::mixerWithUnreadableSets()
{
    const QString full = backupFile("before-gaps");
    QVERIFY_SUCCEEDS(cli({"backup", kNet, "--wait", "3", "-o", full}));
    const QByteArray partial17 = m_sim->dataSet(kNet, 6, 17);
    QVERIFY(m_sim->setDataSet(kNet, 6, 17, QByteArray()));
    const QByteArray eq4 = m_sim->dataSet(kNet, 4, 0);
    QVERIFY(m_sim->setDataSet(kNet, 4, 0, "{\"name\":\"B\xFChne\"}"));
    QVERIFY(m_sim->setFaults(kNet, R"({"failDownload":{"target":2,"bank":3}})"));
    const QJsonArray gaps{QJsonObject{{"target", 2}, {"bank", 3}},
                          QJsonObject{{"target", 4}, {"bank", 0}},
                          QJsonObject{{"target", 6}, {"bank", 17}}};
    const QByteArray gapsText = "preset 3, 4-band EQ library, partial preset 17";
    const auto fileGaps = [](const QString &path) {
        return velmora::test::firstDeviceIn(path).value("unreadable").toArray();
    };
    const auto opens = [this](const QString &path) {
        auto [project, error] = parseProject(loadTextFile(path));
        std::unique_ptr<QovProjectDataModel> owner(project);
        // The command line reads it too: a refusal to read would be a usage error.
        const Run diffed = cli({"diff", path, "--device", "1", "--to", kNet, "--wait", "3"});
        return project && diffed.code != 2 && !diffed.err.contains("invalid field");
    };

    // Backup: the rest of the mixer is kept, the gaps are named and recorded.
    const QString backup = backupFile("gaps");
    const Run backedUp = cli({"backup", kNet, "--wait", "3", "-o", backup, "--json"});
    QCOMPARE(backedUp.code, 1);
    QVERIFY2(backedUp.err.contains(gapsText), backedUp.err.constData());
    QCOMPARE(backedUp.result().value("unreadable").toArray(), gaps);
    QCOMPARE(fileGaps(backup), gaps);
    QVERIFY(opens(backup));

    // Diff: the two sets are reported as unreadable, everything else compared.
    const Run diffed = cli({"diff", full, "--wait", "3", "--json"});
    QCOMPARE(diffed.code, 1);
    int same = 0;
    QJsonArray unreadable;
    for (const QJsonValue &value : diffed.result().value("entries").toArray()) {
        const QJsonObject entry = value.toObject();
        if (entry.value("state").toString() == "same") {
            ++same;
        } else {
            QCOMPARE(entry.value("state").toString(), QString("unreadable on mixer"));
            unreadable.append(QJsonObject{{"target", entry["type"]}, {"bank", entry["bank"]}});
        }
    }
    QCOMPARE(unreadable, gaps);
    QCOMPARE(same, 48);

    // Restore without consent: a clear refusal, nothing written to the mixer or to disk.
    const QString copies = m_profile->path() + "/data/korvath/velmora/backups/001DC1300004";
    const QStringList copiesBefore = QDir(copies).entryList(QDir::Files);
    QVERIFY(m_sim->clearRequests(kNet));
    const Run refused = cli({"restore", full, "--yes", "--wait", "3"});
    QCOMPARE(refused.code, 1);
    QVERIFY2(refused.err.contains("could not be read: " + gapsText) &&
                 refused.err.contains("--allow-partial-copy"),
             refused.err.constData());
    QVERIFY2(!anyUpload(m_sim->requests(kNet)), qPrintable(m_sim->requests(kNet).join('\n')));
    QCOMPARE(QDir(copies).entryList(QDir::Files), copiesBefore);
    QVERIFY(m_sim->dataSet(kNet, 6, 17).isEmpty());

    // With consent: a copy of the rest that lists the gaps, then the mixer is written.
    const Run restored =
        cli({"restore", full, "--yes", "--allow-partial-copy", "--wait", "3", "--json"});
    QVERIFY2(restored.code == 0, restored.err.constData());
    QCOMPARE(restored.result().value("unreadable").toArray(), gaps);
    const QString copy = restored.result().value("safetyCopy").toString();
    QVERIFY2(copy.startsWith(copies), qPrintable(copy));
    QCOMPARE(fileGaps(copy), gaps);
    QVERIFY(opens(copy));
    QCOMPARE(object(m_sim->dataSet(kNet, 6, 17)), object(partial17));
    QCOMPARE(object(m_sim->dataSet(kNet, 4, 0)), object(eq4));
    QVERIFY2(!restored.err.contains("warning"), restored.err.constData());

    // Restoring the backup with gaps writes "{}" into them: a warning names them, no failure.
    const Run emptied = cli({"restore", backup, "--yes", "--allow-partial-copy", "--wait", "3"});
    QVERIFY2(emptied.code == 0, emptied.err.constData());
    QVERIFY2(emptied.err.contains("warning: Net (ZEPH-2208NET, " + kNet.toUtf8() +
                                  "): the file lacks 3 data set(s), so they were written empty "
                                  "(\"{}\"): " +
                                  gapsText + "\n"),
             emptied.err.constData());
}

// Either of two mixers that answer with one MAC address could be the wrong one: restore and
// diff choose neither, and a backup of both keeps neither, each named with both addresses.
void TestCli::mixersSharingAMacAreNeverChosenBetween()
{
    for (const QString &address : kTwins) {
        QVERIFY(m_sim->startMixer(address));
        QVERIFY(m_sim->clearRequests(address));
    }
    const QByteArray twins = "mixers at 127.0.3.6, 127.0.3.7 all answer with MAC address "
                             "00:1D:C1:30:00:06";
    const QString both = backupFile("twins");
    const Run backedUp = cli({"backup", kTwins[0], kTwins[1], "--wait", "3", "-o", both});
    QCOMPARE(backedUp.code, 1);
    QCOMPARE(backedUp.err.count(twins + "; back each up on its own, by its address"), 2);
    QVERIFY(!QFile::exists(both));

    // One named alone is the user's choice.
    const QString file = backupFile("twin");
    QVERIFY_SUCCEEDS(cli({"backup", kTwins[0], "--wait", "3", "-o", file}));
    for (const QStringList &command : {QStringList{"diff", file}, {"restore", file, "--yes"}}) {
        const Run run = cli(command + QStringList{"--wait", "3"});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(twins + "; name one with --device N --to ADDRESS"),
                 run.err.constData());
    }
    for (const QString &address : kTwins) {
        QVERIFY2(!anyUpload(m_sim->requests(address)),
                 qPrintable(m_sim->requests(address).join('\n')));
    }
    // Named by address, the twin is written.
    QVERIFY_SUCCEEDS(cli({"restore", file, "--device", "1", "--to", kTwins[1], "--yes"}));
}

void TestCli::diffShowsWhatDiffers()
{
    const QString file = backupFile("diff");
    QVERIFY_SUCCEEDS(cli({"backup", kPrimary, "--wait", "3", "-o", file}));
    const QString oldName = object(m_sim->dataSet(kPrimary, 2, 0)).value("name").toString();
    // A name may hold anything, a terminal's escape codes too: the JSON keeps it, the text
    // shows it harmless.
    QVERIFY(m_sim->setDataSet(kPrimary, 2, 0, presetText(R"(Changed \u001b[2Jon site)")));

    // Pairing by MAC address waits for one search, not for the whole of a generous --wait:
    // the wait once ended only at the deadline whenever its settle timer fired early.
    QElapsedTimer took;
    took.start();
    const Run run = cli({"diff", file, "--wait", "30", "--json"});
    QVERIFY2(run.code == 0, run.err.constData());
    QVERIFY2(took.restart() < 15000, "diff waited for the whole --wait");
    const QJsonArray entries = run.result().value("entries").toArray();
    QCOMPARE(entries.size(), 51);
    QJsonArray differing;
    for (const QJsonValue &entry : entries) {
        if (entry.toObject().value("state").toString() != "same") {
            differing.append(entry);
        }
    }
    const QJsonArray expected{QJsonObject{{"type", 2},
                                          {"bank", 0},
                                          {"state", "differs"},
                                          {"fileName", oldName},
                                          {"mixerName", "Changed \x1b[2Jon site"}}};
    QVERIFY2(differing == expected, QJsonDocument(differing).toJson().constData());

    const Run text = cli({"diff", file, "--wait", "30"});
    QVERIFY2(took.elapsed() < 15000, "diff waited for the whole --wait");
    QVERIFY2(text.out.contains("preset 0: differs (file: \"" + oldName.toUtf8() +
                               "\", mixer: \"Changed \xEF\xBF\xBD[2Jon site\")"),
             text.out.constData());
    QVERIFY(!text.out.contains('\x1b'));
    QVERIFY(text.out.contains("preset 1: same"));
}

void TestCli::progressLineOnATerminalOnly()
{
    const QString file = backupFile("progress");
    QVERIFY_SUCCEEDS(cli({"backup", kPrimary, "--wait", "3", "-o", file}));
    // Slow enough for the line to be redrawn a few times.
    QVERIFY(m_sim->setFaults(kPrimary, R"({"delayMs":10})"));

    const Run shown = cli({"restore", file, "--yes", "--wait", "3"}, true);
    QVERIFY2(shown.code == 0, shown.out.constData());
    // What the transfers report, in order: the mixer read for its copy, then written.
    const int copying = shown.out.indexOf("keeping a safety copy of Main (127.0.3.2)");
    const int writing = shown.out.indexOf("writing Main (127.0.3.2)");
    QVERIFY2(copying >= 0 && writing > copying, shown.out.constData());
    QVERIFY2(QRegularExpression("file [1-9][0-9]? of 51").match(shown.out).hasMatch(),
             shown.out.constData());
    QVERIFY(shown.out.contains("restored \"Main\""));

    const Run plain = cli({"restore", file, "--yes", "--wait", "3"});
    QCOMPARE(plain.code, 0);
    QVERIFY2(!plain.err.contains("safety copy of") && !plain.err.contains('\r'),
             plain.err.constData());
}

// Ctrl+C during a restore stops the upload at its next request and says what the mixer holds
// and where its safety copy is, rather than ending mid-write without a word.
void TestCli::interruptedRestoreSaysWhatTheMixerHolds()
{
    const QString file = backupFile("interrupted");
    QVERIFY_SUCCEEDS(cli({"backup", kPrimary, "--wait", "3", "-o", file}));
    QVERIFY(m_sim->setFaults(kPrimary, R"({"delayMs":20})"));
    QVERIFY(m_sim->clearRequests(kPrimary));
    QProcess process;
    start(process, {"restore", file, "--yes", "--wait", "3"});
    QTRY_VERIFY_WITH_TIMEOUT(anyUpload(m_sim->requests(kPrimary)), 30000);
    QVERIFY(::kill(pid_t(process.processId()), SIGINT) == 0);
    QVERIFY(process.waitForFinished(30000));
    QVERIFY(m_sim->setFaults(kPrimary, "{}"));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 130, qPrintable(err));
    const QRegularExpressionMatch copy =
        QRegularExpression("the mixer now holds part of the new data \\(safety copy: (.+)\\)\n")
            .match(err);
    QVERIFY2(copy.hasMatch(), qPrintable(err));
    QVERIFY2(err.endsWith("velmora-cli: interrupted; each mixer above says what it holds\n"),
             qPrintable(err));
    // The copy named brings the mixer back.
    QVERIFY_SUCCEEDS(cli({"restore", copy.captured(1), "--yes", "--wait", "3"}));
}

// Unsaved edits reach a mixer only through the program, which offers them and asks: the CLI
// reads the file it is given, never the autosave copy beside it, and refuses to read a copy.
void TestCli::autosaveCopiesAreNeverRead()
{
    const QString file = backupFile("unsaved");
    QVERIFY_SUCCEEDS(cli({"backup", kPrimary, "--wait", "3", "-o", file}));
    QJsonObject root = object(loadTextFile(file));
    projectfixture::patch(root, "devices/0/data/preset_list/1", object(presetText("Unsaved edit")));
    // Written after the file, as the program writes it after every edit.
    const QString autosave = QovProjectDataModel::autosavePathFor(file);
    QVERIFY(projectfixture::writeAll(autosave, projectfixture::compact(root)));
    QVERIFY(projectfixture::writeAll(file + ".unsaved", projectfixture::compact(root)));

    const Run diff = cli({"diff", file, "--wait", "3"});
    QVERIFY2(diff.code == 0, diff.err.constData());
    QVERIFY2(diff.out.contains("preset 1: same"), diff.out.constData());
    QVERIFY(!diff.out.contains("Unsaved edit"));

    for (const QString &copy : {autosave, file + ".unsaved"}) {
        QVERIFY(m_sim->clearRequests(kPrimary));
        const Run restore = cli({"restore", copy, "--yes", "--wait", "3"});
        QCOMPARE(restore.code, 2);
        QVERIFY2(restore.err.contains("is an autosave copy, not a project file"),
                 restore.err.constData());
        QVERIFY2(m_sim->requests(kPrimary).isEmpty(),
                 qPrintable(m_sim->requests(kPrimary).join('\n')));
    }
    QVERIFY(!QJsonDocument::fromJson(m_sim->dataSet(kPrimary, 2, 1)).toJson().contains("Unsaved"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
