#include "models/qovprojectdatamodel.h"
#include "projectfixture.h"
#include "readonlyfolder.h"
#include "tempprofile.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <memory>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace projectfixture;

namespace {
int g_autosaves = 0;

void countAutosaves(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg && message.contains("autosave!")) {
        ++g_autosaves;
    }
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

// Makes writes to `folder` fail with "no space left": a tiny tmpfs in a private mount
// namespace. Empty on success, otherwise why it could not be set up.
QString mountFullDisk(const QString &folder)
{
    if (::geteuid() != 0) {
        return "needs root for a private mount namespace";
    }
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0) {
        return QString("mount failed: ") + strerror(errno);
    }
    return QString();
}
} // namespace

class TestProjectSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { redirectDataFolder(); }
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
    void autosaveOncePerChange();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void killedSaveLeavesLoadableFile();

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
    QTest::newRow("valid after a byte order mark")
        << true << "\xEF\xBB\xBF" + compact(validProject(1)) << true << "";
}

// The caller tells apart a model, an unreadable file (no key) and invalid content (a key).
void TestProjectSave::loadOutcomes()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(bool, loads);
    QFETCH(QString, error);
    const QString file = path("outcome.vlmproj");
    if (exists) {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(content) == content.size());
    }
    QString got = "unset";
    const auto model = load(file, &got);
    QCOMPARE(bool(model), loads);
    QCOMPARE(got, error);
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
    QVERIFY(QFile::exists(file));

    QString error;
    const auto loaded = load(file, &error);
    QVERIFY2(loaded, qPrintable(error));
    QCOMPARE(loaded->projectName(), QString("Festival"));
    QCOMPARE(loaded->projectAuthor(), QString("Ana"));
    QCOMPARE(loaded->projectDealer(), QString("Sound Co"));
    QCOMPARE(loaded->projectDescription(), QString("Main stage, two rooms"));
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
        QVERIFY(b->ipAddress().isEmpty());
    }
    QCOMPARE(loaded->appDevices().at(0)->status(), QovAppDeviceModelInternal::MISSING);
    QCOMPARE(loaded->appDevices().at(1)->status(), QovAppDeviceModelInternal::DISCONNECTED);
    // A fresh autosave copy beside the opened file.
    QCOMPARE(readAll(file + ".autosave"), readAll(file));
}

void TestProjectSave::autosaveOncePerChange()
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
    QCOMPARE(g_autosaves, 1);
    QVERIFY2(!QFile::exists(defaultAutosave), "reading must not touch the default project");

    QovProjectDataModel project;
    project.setSavePath(path("edited.vlmproj"));
    g_autosaves = 0;
    project.setAppDevices(loaded->appDevices());
    QCOMPARE(g_autosaves, 1);
    QVERIFY(project.isEdited());
    // The devices are now shared by both projects; only `project` should react below.
    loaded->clearDevices();

    g_autosaves = 0;
    project.setProjectName("Renamed");
    project.setProjectName("Renamed");
    QCOMPARE(g_autosaves, 1);
    QVERIFY(readAll(project.autosavePath()).contains("\"title\":\"Renamed\""));

    g_autosaves = 0;
    project.appDevices().at(0)->setHeaderColor(5);
    QCOMPARE(g_autosaves, 0);
    project.appDevices().at(0)->setZephDataPreset(0, "{\"x\":1}");
    QCOMPARE(g_autosaves, 1);
    QVERIFY(readAll(project.autosavePath()).contains("{\"x\":1}"));

    // Devices taken out of the project no longer mark it edited.
    const QovAppDeviceModel removed = project.appDevices().at(0);
    project.clearDevices();
    project.setIsEdited(false);
    g_autosaves = 0;
    removed->setDeviceName("Gone");
    QCOMPARE(g_autosaves, 0);
    QVERIFY(!project.isEdited());
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

// The main window loads on a pool thread and then uses the model in the main thread, where
// the model must live for its devices' notices to reach it.
void TestProjectSave::loadOnWorkerThread()
{
    const QString file = path("worker.vlmproj");
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(compact(validProject(2))) > 0);
    out.close();

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
    QVERIFY(readAll(file + ".autosave").contains("Renamed"));
}

// A save interrupted at any moment leaves the old project file or the new one, never a torn
// one and never none.
void TestProjectSave::killedSaveLeavesLoadableFile()
{
    const QString file = path("loop.vlmproj");
    const QString helper = QCoreApplication::applicationDirPath() + "/projectsaveloop";
    int savedRounds = 0;
    const int rounds = 30;
    for (int round = 0; round < rounds; ++round) {
        QProcess saver;
        saver.start(helper, {file});
        QVERIFY2(saver.waitForReadyRead(10000), qPrintable(saver.errorString()));
        QCOMPARE(saver.readLine().trimmed(), QByteArray("ready"));
        // The point is a random moment inside the save loop.
        QThread::msleep(QRandomGenerator::global()->bounded(1, 150));
        QCOMPARE(saver.state(), QProcess::Running);
        saver.kill();
        QVERIFY(saver.waitForFinished(10000));
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

        auto [model, error] = loadProject(file);
        std::unique_ptr<QovProjectDataModel> loaded(model);
        QVERIFY2(loaded, qPrintable(QString("round %1: %2").arg(round).arg(error)));
        QCOMPARE(loaded->appDevices().size(), 8);
        const QString title = loaded->projectName();
        QVERIFY2(title == "Start" || title == "Odd" || title == "Even", qPrintable(title));
        savedRounds += title != "Start";
    }
    // Otherwise every kill came before the first save of the loop and nothing was tested.
    QVERIFY2(savedRounds > rounds / 2, qPrintable(QString::number(savedRounds)));
}

QTEST_GUILESS_MAIN(TestProjectSave)
#include "tst_projectsave.moc"
