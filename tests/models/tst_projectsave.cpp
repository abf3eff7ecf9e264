#include "models/qovprojectdatamodel.h"
#include "models/qovprojectfiles.h"
#include "projectfixture.h"
#include "projectkillcheck.h"
#include "readonlyfolder.h"
#include "tempprofile.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <memory>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace projectfixture;

namespace {
// Autosaves are written and logged on the writer thread.
std::atomic<int> g_autosaves{0};

void countAutosaves(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg && message.contains("autosave!")) {
        ++g_autosaves;
    }
}

std::unique_ptr<QovProjectDataModel> load(const QString &path, QString *error = nullptr)
{
    auto [model, key] = loadProject(path);
    if (error) {
        *error = key;
    }
    return std::unique_ptr<QovProjectDataModel>(model);
}

QovAppDeviceModel makeDevice(const QString &name, const QString &mac, int color, int id)
{
    auto device = std::make_shared<QovAppDeviceModelInternal>(name, QovDeviceSelector::ZEPH2208NET,
                                                              mac, color, id);
    device->setZephDataPreset(2, QStringLiteral("{\"gain\":%1}").arg(id));
    device->setZephDataCurrent(QStringLiteral("{\"scene\":\"%1\"}").arg(name));
    return device;
}

// Makes writes to `folder` fail with "no space left": a tiny tmpfs in the private mount
// namespace entered by initTestCase. Empty on success, otherwise why it could not be set up.
QString mountFullDisk(const QString &folder)
{
    if (::geteuid() != 0) {
        return "needs root for a private mount namespace";
    }
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0) {
        return QString("mount failed: ") + strerror(errno);
    }
    return QString();
}

// A mount namespace belongs to a thread and is inherited by the threads it starts. Entered
// before the first file write, so that the writer thread shares the test's mounts.
void enterPrivateMounts()
{
    QTemporaryDir scratch;
    if (::geteuid() == 0 && velmora::test::makeFolderReadOnly(scratch.path()).isEmpty()) {
        velmora::test::makeFolderWritable(scratch.path());
    }
}
} // namespace

class TestProjectSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        redirectDataFolder();
        enterPrivateMounts();
    }
    void init()
    {
        m_profile = std::make_unique<TempProfile>();
        g_autosaves = 0;
    }
    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        m_profile.reset();
    }

    void loadOutcomes_data();
    void loadOutcomes();
    void roundTrip();
    void loadOnWorkerThread();
    void autosaveFollowsChanges();
    void autosaveCoalescesOffTheGuiThread();
    void saveSupersedesPendingAutosave();
    void declinedEditsLeaveNoAutosaveCopy();
    void saveAsRemovesStaleAutosave_data();
    void saveAsRemovesStaleAutosave();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void saveLeavesWhatSurroundsTheFile();
    void saveRefusesWhatIsNoFile();
    void failingAutosavesAreToldOncePerRun();
    void killedWhileEditingLeavesCompleteFiles();

private:
    QString path(const QString &name) const { return m_profile->path() + "/" + name; }

    std::unique_ptr<TempProfile> m_profile;
};

void TestProjectSave::loadOutcomes_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("error");

    QJsonObject noAuthor = validProject(1);
    patch(noAuthor, "author", QJsonValue(QJsonValue::Undefined));
    QTest::newRow("missing file") << false << QByteArray() << false << "";
    QTest::newRow("invalid content") << true << compact(noAuthor) << false << "author";
    QTest::newRow("valid") << true << compact(validProject(1)) << true << "";
}

// The caller tells apart a model, an unreadable file (no key) and invalid content (a key).
void TestProjectSave::loadOutcomes()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(bool, loads);
    const QString file = path("outcome.vlmproj");
    if (exists) {
        QVERIFY(writeAll(file, content));
    }
    QString got = "unset";
    const auto model = load(file, &got);
    QCOMPARE(bool(model), loads);
    QTEST(got, "error");
    if (model) {
        model->waitForAutosave();
    }
    QCOMPARE(QFile::exists(file + ".autosave"), loads);
}

void TestProjectSave::roundTrip()
{
    QovProjectDataModel project;
    project.setProjectName("Festival");
    project.setProjectAuthor("Ana");
    project.setProjectDealer("Sound Co");
    project.setProjectDescription("Main stage, two rooms");
    QVERIFY(project.addDevice(makeDevice("FOH", "00:11:22:33:44:55", 2, 10)));
    QVERIFY(project.addDevice(makeDevice("Monitor", "", 6, -1)));
    project.appDevices().at(1)->setDeviceType(QovDeviceSelector::ZEPH2208);
    project.appDevices().at(0)->setStatus(QovAppDeviceModelInternal::CONNECTED);
    project.appDevices().at(0)->setIpAddress("127.0.0.2");
    // The longest host name a mixer can be added by.
    const QString host =
        QString(63, 'a') + '.' + QString(63, 'b') + '.' + QString(63, 'c') + '.' + QString(61, 'd');
    project.appDevices().at(0)->setAddedAddress(host);

    const QString file = path("festival.vlmproj");
    QVERIFY(project.saveTo(file));
    QCOMPARE(project.savePath(), file);
    QVERIFY(!project.isEdited());
    QVERIFY2(!QFile::exists(file + ".autosave"), "the autosave copy became the project file");
    QCOMPARE(readAll(file), project.toJsonText().toUtf8());
    // Saving it unchanged to its own path writes nothing; under a new name it is written.
    QVERIFY(QFile::remove(file));
    QVERIFY(project.saveTo(file));
    QVERIFY2(!QFile::exists(file), "an unchanged project saved to its own path writes nothing");
    QVERIFY(project.saveTo(file + ".copy"));
    QVERIFY(project.saveTo(file));

    QString error;
    const auto loaded = load(file, &error);
    QVERIFY2(loaded, qPrintable(error));
    QCOMPARE((QStringList{loaded->projectName(), loaded->projectAuthor(), loaded->projectDealer(),
                          loaded->projectDescription()}),
             (QStringList{"Festival", "Ana", "Sound Co", "Main stage, two rooms"}));
    QCOMPARE(loaded->savePath(), file);
    QVERIFY(!loaded->isEdited());
    QCOMPARE(loaded->appDevices().size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QovAppDeviceModel a = project.appDevices().at(i);
        const QovAppDeviceModel b = loaded->appDevices().at(i);
        QCOMPARE(b->deviceName(), a->deviceName());
        QCOMPARE(b->deviceType(), a->deviceType());
        QCOMPARE(b->macAddress(), a->macAddress());
        QCOMPARE(b->headerColor(), a->headerColor());
        QCOMPARE(b->deviceId(), a->deviceId());
        QCOMPARE(b->zephData(), a->zephData());
        QCOMPARE(b->addedAddress(), a->addedAddress());
        QVERIFY(b->ipAddress().isEmpty());
    }
    // Only a mixer added by address has one in the file.
    QCOMPARE(readAll(file).count("\"address\":"), 1);
    QCOMPARE(loaded->appDevices().at(0)->status(), QovAppDeviceModelInternal::MISSING);
    QCOMPARE(loaded->appDevices().at(1)->status(), QovAppDeviceModelInternal::DISCONNECTED);
    // A fresh autosave copy beside the opened file, written in the background.
    QTRY_COMPARE_WITH_TIMEOUT(readAll(file + ".autosave"), readAll(file), 5000);
}

// What marks the project edited reaches its autosave copy; what does not, does not.
void TestProjectSave::autosaveFollowsChanges()
{
    QovProjectDataModel source;
    source.setSavePath(path("source.vlmproj"));
    for (int i = 0; i < 3; ++i) {
        QVERIFY(source.addDevice(makeDevice(QString("D%1").arg(i), "", 0, i)));
    }
    QVERIFY(source.saveTo(source.savePath()));
    const QString defaultAutosave =
        QovProjectDataModel::autosavePathFor(QovProjectDataModel::defaultProjectPath());
    QFile::remove(defaultAutosave);

    qInstallMessageHandler(countAutosaves);
    const auto loaded = load(source.savePath());
    QVERIFY(loaded);
    loaded->waitForAutosave();
    QCOMPARE(g_autosaves.load(), 1);
    QVERIFY2(!QFile::exists(defaultAutosave), "reading must not touch the default project");

    QovProjectDataModel project;
    project.setSavePath(path("edited.vlmproj"));
    // How many autosaves of `project` a change brings about.
    const auto autosaves = [&project](auto change) {
        g_autosaves = 0;
        change();
        project.waitForAutosave();
        return g_autosaves.load();
    };
    QCOMPARE(autosaves([&] { project.setAppDevices(loaded->appDevices()); }), 1);
    QVERIFY(project.isEdited());
    // The devices are now shared by both projects; only `project` should react below.
    loaded->clearDevices();

    QCOMPARE(autosaves([&] { project.appDevices().at(0)->setHeaderColor(5); }), 0);
    QCOMPARE(autosaves([&] { project.appDevices().at(0)->setZephDataPreset(0, "{\"x\":1}"); }), 1);
    QVERIFY(readAll(project.autosavePath()).contains("{\"x\":1}"));

    // A new account may not have its data folder yet: the unsaved project's copy makes it.
    const QString dataFolder = QFileInfo(QovProjectDataModel::defaultProjectPath()).path();
    QVERIFY(QDir(dataFolder).removeRecursively());
    QovProjectDataModel unsaved;
    QVERIFY(unsaved.addDevice(makeDevice("F", "", 0, 1)));
    unsaved.waitForAutosave();
    QVERIFY(readAll(unsaved.autosavePath()).contains("\"F\""));

    // Devices taken out of the project no longer mark it edited.
    const QovAppDeviceModel removed = project.appDevices().at(0);
    project.clearDevices();
    project.setIsEdited(false);
    QCOMPARE(autosaves([&] { removed->setDeviceName("Gone"); }), 0);
    QVERIFY(!project.isEdited());

    // A project dropped with a change not yet written still leaves it in the copy.
    auto dropped = std::make_unique<QovProjectDataModel>();
    dropped->setSavePath(path("dropped.vlmproj"));
    dropped->setProjectName("Last words");
    dropped.reset();
    QTRY_VERIFY_WITH_TIMEOUT(readAll(path("dropped.vlmproj.autosave")).contains("Last words"),
                             5000);
}

// Quick changes, on the GUI thread and from a download on a worker, are written as one
// autosave shortly after the last of them; the setters never wait for the disk.
void TestProjectSave::autosaveCoalescesOffTheGuiThread()
{
    QovProjectDataModel project;
    project.setSavePath(path("quick.vlmproj"));
    QVERIFY(project.addDevice(makeDevice("A", "", 0, 1)));
    project.waitForAutosave();
    qInstallMessageHandler(countAutosaves);
    g_autosaves = 0;

    QElapsedTimer sinceLast;
    for (int i = 0; i < 20; ++i) {
        project.setProjectDescription(QString("edit %1").arg(i));
        sinceLast.start();
    }
    // Nothing is written while the thread that owns the project is busy.
    QVERIFY(!readAll(project.autosavePath()).contains("edit 19"));
    QTRY_VERIFY_WITH_TIMEOUT(readAll(project.autosavePath()).contains("edit 19"), 2000);
    QVERIFY2(sinceLast.elapsed() < 2000, qPrintable(QString::number(sinceLast.elapsed())));
    QCOMPARE(g_autosaves.load(), 1);

    // A download writes into the device on a worker thread, setter after setter.
    const QovAppDeviceModel device = project.appDevices().at(0);
    std::thread download([device] {
        device->setDeviceName("Downloaded");
        device->setZephDataPreset(QVector<QString>(8, "{\"bank\":\"new\"}").toList());
        device->setZephDataCurrent("{\"scene\":\"new\"}");
        device->setStatus(QovAppDeviceModelInternal::CONNECTED);
    });
    download.join();
    sinceLast.start();
    g_autosaves = 0;
    QTRY_VERIFY_WITH_TIMEOUT(readAll(project.autosavePath()).contains("\"scene\":\"new\""), 2000);
    QVERIFY2(sinceLast.elapsed() < 2000, qPrintable(QString::number(sinceLast.elapsed())));
    project.waitForAutosave();
    QCOMPARE(g_autosaves.load(), 1);
    const QByteArray copy = readAll(project.autosavePath());
    QVERIFY(copy.contains("Downloaded"));
    QCOMPARE(copy.count("{\"bank\":\"new\"}"), 8);

    // A project filled on a worker thread (a dialog collecting its result) still autosaves,
    // on the thread it belongs to.
    std::thread filler([&project] { project.addDevice(makeDevice("Late", "", 1, 9)); });
    filler.join();
    QTRY_VERIFY_WITH_TIMEOUT(readAll(project.autosavePath()).contains("Late"), 1000);
}

void TestProjectSave::declinedEditsLeaveNoAutosaveCopy()
{
    QovProjectDataModel project;
    const QString file = path("declined.vlmproj");
    QVERIFY(project.addDevice(makeDevice("A", "", 0, 1)));
    QVERIFY(project.saveTo(file));
    project.setProjectName("Declined");
    project.waitForAutosave();
    QVERIFY(readAll(project.autosavePath()).contains("Declined"));

    // Declined at exit: the copy goes, and a change after that (a status, say) brings no
    // copy back that the next start would offer.
    project.setProjectName("Declined, scheduled");
    project.discardUnsavedEdits();
    QVERIFY(!QFile::exists(project.autosavePath()));
    project.appDevices().at(0)->setZephDataCurrent("{\"later\":1}");
    QTest::qWait(3 * QovAutosaver::coalescingDelayMs);
    project.waitForAutosave();
    QVERIFY(!QFile::exists(project.autosavePath()));
    QVERIFY(!readAll(file).contains("Declined"));
}

// A save right after a change holds the change, and no autosave copy is written afterwards
// beside the saved file: the save took the scheduled autosave's place.
void TestProjectSave::saveSupersedesPendingAutosave()
{
    QovProjectDataModel project;
    const QString file = path("now.vlmproj");
    QVERIFY(project.addDevice(makeDevice("A", "", 0, 1)));
    QVERIFY(project.saveTo(file));
    qInstallMessageHandler(countAutosaves);
    g_autosaves = 0;

    project.setProjectName("Just now");
    project.appDevices().at(0)->setZephDataCurrent("{\"fresh\":1}");
    QVERIFY(project.saveTo(file));
    QVERIFY(readAll(file).contains("Just now"));
    QVERIFY(readAll(file).contains("{\"fresh\":1"));
    QTest::qWait(3 * 100);
    project.waitForAutosave();
    QCOMPARE(g_autosaves.load(), 0);
    QVERIFY(!QFile::exists(project.autosavePath()));
    QVERIFY(!project.isEdited());
}

void TestProjectSave::saveAsRemovesStaleAutosave_data()
{
    QTest::addColumn<bool>("fromDefault");
    QTest::newRow("never saved") << true;
    QTest::newRow("saved before") << false;
}

// After Save As the previous path's autosave copy would hold edits the user has saved
// elsewhere; it goes once the new file is written, and stays when the save fails.
void TestProjectSave::saveAsRemovesStaleAutosave()
{
    QFETCH(bool, fromDefault);
    QovProjectDataModel project;
    if (!fromDefault) {
        QVERIFY(project.saveTo(path("first.vlmproj")));
    }
    const QString previousCopy = project.autosavePath();
    project.setProjectName("Edited");
    project.waitForAutosave();
    QVERIFY(readAll(previousCopy).contains("Edited"));

    const QString blocked = path("missing-folder/show.vlmproj");
    QVERIFY(!project.saveTo(blocked));
    QVERIFY2(QFile::exists(previousCopy), "a failed save must keep the only copy of the edits");

    const QString target = path("renamed.vlmproj");
    QVERIFY(project.saveTo(target));
    QVERIFY(readAll(target).contains("Edited"));
    QVERIFY2(!QFile::exists(previousCopy), qPrintable(previousCopy));
    QVERIFY(!QFile::exists(project.autosavePath()));
    if (!fromDefault) {
        QVERIFY2(QFile::exists(path("first.vlmproj")), "the previous project file stays");
    }
}

void TestProjectSave::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<bool>("fullDisk");
    QTest::newRow("read-only folder") << false;
    QTest::newRow("full disk") << true;
}

void TestProjectSave::failedSaveKeepsOldFile()
{
    QFETCH(bool, fullDisk);
    const QString folder = path("disk");
    QVERIFY(QDir().mkpath(folder));
    if (fullDisk) {
        const QString problem = mountFullDisk(folder);
        if (!problem.isEmpty()) {
            QSKIP(qPrintable(problem));
        }
    }
    const QString file = folder + "/show.vlmproj";
    QovProjectDataModel project;
    project.addDevice(makeDevice("A", "", 0, 1));
    QVERIFY(project.saveTo(file));
    const QByteArray saved = readAll(file);

    project.setProjectName("Edited");
    // Larger than the tiny disk, so the full text cannot be written.
    project.appDevices().at(0)->setZephDataCurrent(
        QStringLiteral("{\"blob\":\"%1\"}").arg(QString(100000, 'z')));
    if (!fullDisk) {
        const QString problem = velmora::test::makeFolderReadOnly(folder);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
    QVERIFY(!project.saveTo(file));
    QVERIFY(!project.saveTo(folder + "/other.vlmproj"));
    QCOMPARE(readAll(file), saved);
    QVERIFY(!QFile::exists(folder + "/other.vlmproj"));
    QVERIFY(project.isEdited());
    QCOMPARE(project.savePath(), file);

    if (fullDisk) {
        ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    } else {
        velmora::test::makeFolderWritable(folder);
    }
}

// A save replaces the file's content only: a link stays a link to the same file, the file keeps
// its permissions, and a file of the user's that happens to be named like a temporary one
// survives. Both ways a project is written are held to it: the window's save and the direct
// write of backups and safety copies.
void TestProjectSave::saveLeavesWhatSurroundsTheFile()
{
    const QString real = path("real/show.vlmproj");
    const QString link = path("show.vlmproj");
    QVERIFY(QDir().mkpath(path("real")));
    QVERIFY(QFile::link("real/show.vlmproj", link));
    QovProjectDataModel project;
    project.addDevice(makeDevice("A", "", 0, 1));
    QVERIFY(project.saveTo(link));
    QVERIFY(QFileInfo(real).isFile());
    QVERIFY(::chmod(QFile::encodeName(real).constData(), 0600) == 0);
    const QByteArray precious("the user's own file");
    for (const QString &name : {link + ".tmp", real + ".tmp", real + ".autosave.tmp"}) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(precious) == precious.size());
    }

    project.setProjectName("Saved again");
    QVERIFY(project.saveTo(link));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(readAll(real).contains("Saved again"));
    QVERIFY(!QFile::exists(link + ".autosave"));
    QCOMPARE(QFileInfo(real).permissions() & 0x7777,
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                 QFileDevice::WriteUser);

    const QString error =
        QovProjectFiles::saveProject(link, "Backup", project.appDevices().toList());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(readAll(real).contains("Backup"));
    QCOMPARE(QFileInfo(real).permissions() & 0x7777,
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                 QFileDevice::WriteUser);
    for (const QString &name : {link + ".tmp", real + ".tmp", real + ".autosave.tmp"}) {
        QCOMPARE(readAll(name), precious);
    }
    // Nothing else is left beside the file.
    QCOMPARE(QDir(path("real")).entryList(QDir::Files).size(), 3);
}

void TestProjectSave::saveRefusesWhatIsNoFile()
{
    const QString pipe = path("pipe.vlmproj");
    const QString folder = path("folder.vlmproj");
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::link("loop.vlmproj", path("loop.vlmproj")));
    QovProjectDataModel project;
    project.addDevice(makeDevice("A", "", 0, 1));
    for (const QString &name : {pipe, folder, path("loop.vlmproj")}) {
        QVERIFY(!project.saveTo(name));
        const QString error =
            QovProjectFiles::saveProject(name, "Backup", project.appDevices().toList());
        QVERIFY2(error.contains(QFileInfo(name).fileName()), qPrintable(error));
    }
    QCOMPARE(QFileInfo(pipe).isFile(), false);
    QVERIFY(QFileInfo(pipe).exists());
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(QFileInfo(path("loop.vlmproj")).isSymLink());
    QCOMPARE(QDir(m_profile->path()).entryList({"*.tmp", "*.autosave"}, QDir::Files).size(), 0);
}

// A copy that cannot be written leaves the edits unprotected: the project says so with the
// reason when that begins, not at every write, and again once a write succeeds.
void TestProjectSave::failingAutosavesAreToldOncePerRun()
{
    QovProjectDataModel project;
    project.setSavePath(path("unprotected.vlmproj"));
    QSignalSpy failed(&project, &QovProjectDataModel::autosaveFailed);
    QSignalSpy recovered(&project, &QovProjectDataModel::autosaveRecovered);
    const auto rename = [&project](const QString &name) {
        project.setProjectName(name);
        project.waitForAutosave();
        // The outcome reaches the project's thread queued after the write.
        QCoreApplication::processEvents();
    };
    QVERIFY(QDir().mkpath(project.autosavePath()));
    rename("first");
    QCOMPARE(failed.count(), 1);
    QVERIFY2(failed.at(0).at(0).toString().contains("is not a regular file"),
             qPrintable(failed.at(0).at(0).toString()));
    QCOMPARE(project.autosaveProblem(), failed.at(0).at(0).toString());
    rename("second");
    QCOMPARE(failed.count(), 1);

    QVERIFY(QDir(project.autosavePath()).removeRecursively());
    rename("third");
    QCOMPARE(recovered.count(), 1);
    QVERIFY(project.autosaveProblem().isEmpty());
    QVERIFY(QFile::exists(project.autosavePath()));

    // A write that fails in the system says what the system said.
    QString problem;
    QVERIFY(!QovAutosaver::writeComplete(path("gone/x.vlmproj"), "{}", false, &problem));
    QVERIFY2(problem.contains("No such file or directory"), qPrintable(problem));
}

// The main window loads on a pool thread and then uses the model in the main thread, where
// the model must live for its devices' notices to reach it.
void TestProjectSave::loadOnWorkerThread()
{
    const QString file = path("worker.vlmproj");
    QVERIFY(writeAll(file, compact(validProject(2))));

    std::unique_ptr<QovProjectDataModel> loaded;
    std::unique_ptr<QThread> worker(
        QThread::create([&] { loaded.reset(std::get<0>(loadProject(file))); }));
    worker->start();
    QVERIFY(worker->wait(10000));
    worker.reset();
    QVERIFY(loaded);
    QCOMPARE(loaded->thread(), QThread::currentThread());
    for (const QovAppDeviceModel &device : loaded->appDevices()) {
        QCOMPARE(device->thread(), QThread::currentThread());
    }
    loaded->appDevices().at(1)->setDeviceName("Renamed");
    QVERIFY(loaded->isEdited());
    QTRY_VERIFY_WITH_TIMEOUT(readAll(file + ".autosave").contains("Renamed"), 5000);
}

// A kill at any moment, with edits from two threads, autosaves and saves in flight, leaves
// a complete project file and, when there is one, a complete autosave copy.
void TestProjectSave::killedWhileEditingLeavesCompleteFiles()
{
    const int kills = 200;
    const projectkillcheck::Outcome outcome =
        projectkillcheck::run(VELMORA_PROJECTSAVELOOP, m_profile->path(), kills);
    QVERIFY2(outcome.problem.isEmpty(), qPrintable(outcome.problem));
    QCOMPARE(outcome.kills, kills);
    // Otherwise most kills came before the loop's first save and little was tested.
    QVERIFY2(outcome.afterSaves > kills / 2, qPrintable(QString::number(outcome.afterSaves)));
    qInfo("%d kills, %d after saves, %d autosave copies checked", outcome.kills, outcome.afterSaves,
          outcome.autosaveCopiesChecked);
}

QTEST_GUILESS_MAIN(TestProjectSave)
#include "tst_projectsave.moc"
