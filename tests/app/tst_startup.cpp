#include "projectfiles.h"
#include "tempprofile.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <memory>
#include <pwd.h>
#include <unistd.h>

namespace {

// One run of the real program, with its debug log collected.
class AppRun
{
public:
    explicit AppRun(
        const QStringList &arguments, const QString &workingDirectory = QString(),
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        m_process.setProcessEnvironment(environment);
        m_process.setProgram(QStringLiteral(VELMORA_BIN_DIR "/velmora"));
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        if (!workingDirectory.isEmpty()) {
            m_process.setWorkingDirectory(workingDirectory);
        }
        m_process.start();
    }

    ~AppRun()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    QString output() { return QString::fromUtf8(m_process.readAllStandardOutput()); }

    QString log()
    {
        m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
        return m_log;
    }

    bool waitForLog(const QString &text, int timeoutMs = 15000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!log().contains(text)) {
            if (timer.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning) {
                return log().contains(text);
            }
            m_process.waitForReadyRead(100);
        }
        return true;
    }

    void signal(int number) { ::kill(static_cast<pid_t>(m_process.processId()), number); }

    bool waitForExit(int timeoutMs = 15000) { return m_process.waitForFinished(timeoutMs); }
    bool running() const { return m_process.state() == QProcess::Running; }
    int exitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }

private:
    QProcess m_process;
    QString m_log;
};

const QString kStarted = QStringLiteral("!!!!!!!VLM START!!!!!!!");

// True when an X window with exactly this title is mapped on the test display.
bool windowShown(const QString &title)
{
    QProcess tree;
    tree.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    if (!tree.waitForFinished(5000)) {
        return false;
    }
    return QString::fromLocal8Bit(tree.readAllStandardOutput())
        .contains(QLatin1Char('"') + title + QLatin1Char('"'));
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init() { m_profile = std::make_unique<TempProfile>(); }
    void cleanup() { m_profile.reset(); }

    void firstWindowByArguments_data();
    void firstWindowByArguments();
    void versionNamesQtWithoutStarting();
    void secondInstanceShowsCautionAndExitsWithOne();
    void lockOfKilledInstanceIsTakenOver();
    void lockWithoutRuntimeFolderIsPerUser();
    void lockFailureOtherThanHeldStartsAnyway();
    void terminationAfterASettingsPageEndsCleanly();

private:
    std::unique_ptr<TempProfile> m_profile;
};

void TestStartup::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"),
             "the start-up tests need an X display (scripts/test runs them under Xvfb)");
}

void TestStartup::firstWindowByArguments_data()
{
    QTest::addColumn<bool>("startPage");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expectedLog");

    QTest::newRow("no argument, start page on") << true << QStringList{} << "top window created";
    QTest::newRow("no argument, start page off") << false << QStringList{} << "main window created";
    QTest::newRow("two arguments count as none")
        << true << QStringList{"a.vlmproj", "b.vlmproj"} << "top window created";
    // One argument opens the main window even with the start page on, and a relative name is
    // resolved against the working directory.
    QTest::newRow("relative file")
        << true << QStringList{"sub/show.vlmproj"} << "openProjectFile \"%1/sub/show.vlmproj\"";
    QTest::newRow("absolute file")
        << true << QStringList{"/data/x.vlmproj"} << "openProjectFile \"/data/x.vlmproj\"";
}

void TestStartup::firstWindowByArguments()
{
    QFETCH(bool, startPage);
    QFETCH(QStringList, arguments);
    QFETCH(QString, expectedLog);
    if (!startPage) {
        m_profile->writeProgramSettings("[Config]\nshow_top_page=false\n");
    }
    const QString workDir = m_profile->path();
    if (expectedLog.contains(QLatin1String("%1"))) {
        expectedLog = expectedLog.arg(workDir);
    }

    AppRun app(arguments, workDir);
    QVERIFY2(app.waitForLog(expectedLog), qPrintable(app.log()));
    const QString other =
        expectedLog.startsWith("top") ? "main window created" : "top window created";
    QVERIFY2(!app.log().contains(other), qPrintable(app.log()));

    // An orderly end: the loop's code 0 becomes the exit code.
    app.signal(SIGTERM);
    QVERIFY(app.waitForExit());
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);
    QVERIFY2(app.log().contains("exit 0"), qPrintable(app.log()));
}

// --version answers on standard output and ends: it needs no display and starts nothing, so
// it works in a terminal without X and beside a running instance.
void TestStartup::versionNamesQtWithoutStarting()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    AppRun running({}, QString());
    QVERIFY2(running.waitForLog(kStarted), qPrintable(running.log()));

    AppRun app({QStringLiteral("--version")}, QString(), environment);
    QVERIFY(app.waitForExit());
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);
    const QString expected =
        QStringLiteral("Velmora 1.0.0\nQt %1, built with Qt %2\n")
            .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR));
    QCOMPARE(app.output(), expected);
    QVERIFY2(!app.log().contains(kStarted), qPrintable(app.log()));

    running.signal(SIGTERM);
    QVERIFY(running.waitForExit());
}

void TestStartup::secondInstanceShowsCautionAndExitsWithOne()
{
    AppRun first({});
    QVERIFY2(first.waitForLog(kStarted), qPrintable(first.log()));

    AppRun second({});
    QVERIFY2(second.waitForLog("already run"), qPrintable(second.log()));
    QTRY_VERIFY_WITH_TIMEOUT(windowShown("Caution"), 10000);
    QVERIFY2(second.running(), "the second instance must wait for the popup to be closed");
    QVERIFY(!second.log().contains(kStarted));

    // Ending the popup's loop ends the second instance with code 1.
    second.signal(SIGTERM);
    QVERIFY(second.waitForExit());
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(!second.log().contains("top window created"));

    QVERIFY2(first.running(), "the first instance must be undisturbed");
    first.signal(SIGTERM);
    QVERIFY(first.waitForExit());
    QCOMPARE(first.exitCode(), 0);
}

void TestStartup::lockOfKilledInstanceIsTakenOver()
{
    {
        AppRun crashed({});
        QVERIFY2(crashed.waitForLog(kStarted), qPrintable(crashed.log()));
        crashed.signal(SIGKILL);
        QVERIFY(crashed.waitForExit());
        QCOMPARE(crashed.exitStatus(), QProcess::CrashExit);
    }
    QVERIFY2(QFile::exists(m_profile->runtimeDir() + "/velmora.lock"),
             "the killed instance should have left its lock behind");

    AppRun next({});
    QVERIFY2(next.waitForLog(kStarted), qPrintable(next.log()));
    QVERIFY(!next.log().contains("already run"));
    next.signal(SIGTERM);
    QVERIFY(next.waitForExit());
    QCOMPARE(next.exitCode(), 0);
}

// Without XDG_RUNTIME_DIR, and with the toolkit's stand-in for it unusable (here a file where
// its folder would be, as when another user made it first), users must not meet in one shared
// lock file: another user's running instance holds the shared name.
void TestStartup::lockWithoutRuntimeFolderIsPerUser()
{
    const QString tmp = m_profile->path() + "/tmp";
    QVERIFY(QDir().mkpath(tmp));
    const passwd *user = ::getpwuid(::getuid());
    QVERIFY(user);
    QFile standIn(tmp + "/runtime-" + QString::fromLocal8Bit(user->pw_name));
    QVERIFY(standIn.open(QIODevice::WriteOnly));
    standIn.close();
    QLockFile otherUsersInstance(tmp + "/velmora.lock");
    QVERIFY(otherUsersInstance.tryLock(0));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("XDG_RUNTIME_DIR");
    environment.insert("TMPDIR", tmp);
    AppRun first({}, QString(), environment);
    QVERIFY2(first.waitForLog(kStarted), qPrintable(first.log()));
    QVERIFY(!first.log().contains("already run"));
    QVERIFY2(QFile::exists(tmp + QString("/velmora-%1.lock").arg(::getuid())),
             qPrintable(QDir(tmp).entryList().join(' ')));

    // The user's own lock still keeps a second instance out.
    AppRun second({}, QString(), environment);
    QVERIFY2(second.waitForLog("already run"), qPrintable(second.log()));
    second.signal(SIGTERM);
    QVERIFY(second.waitForExit());
    first.signal(SIGTERM);
    QVERIFY(first.waitForExit());
    QCOMPARE(first.exitCode(), 0);
}

// A lock that cannot be taken because of the folder, not because another instance holds it,
// must not keep the user from the program; the reason goes to the log.
void TestStartup::lockFailureOtherThanHeldStartsAnyway()
{
    // A runtime folder that cannot exist: its parent is a file.
    QFile blocker(m_profile->path() + "/not-a-folder");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", blocker.fileName() + "/run");
    AppRun app({}, QString(), environment);
    QVERIFY2(app.waitForLog(kStarted), qPrintable(app.log()));
    QVERIFY2(!app.log().contains("already run"), qPrintable(app.log()));
    QVERIFY2(app.log().contains("instance lock failed"), qPrintable(app.log()));
    QVERIFY2(app.log().contains("not-a-folder/run does not exist"), qPrintable(app.log()));
    app.signal(SIGTERM);
    QVERIFY(app.waitForExit());
    QCOMPARE(app.exitCode(), 0);
}

void TestStartup::terminationAfterASettingsPageEndsCleanly()
{
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    QVERIFY2(!xdotool.isEmpty(), "needs xdotool (scripts/deps installs it) to click the window");
    const QString path = writeProjectFile(m_profile->path(), "stage.vlmproj", "Stage", {"Stage"});
    QVERIFY(!path.isEmpty());
    AppRun app({path});
    QVERIFY2(app.waitForLog("opened!"), qPrintable(app.log()));
    // The first row's chevron: the window sits at the screen's corner and its rows have a fixed
    // size, so a real click opens the device's settings page.
    // Timed by the clock: each try itself waits up to two seconds for the page.
    QElapsedTimer clicking;
    clicking.start();
    bool opened = false;
    while (!opened && clicking.elapsed() < 20000) {
        opened = QProcess::execute(xdotool, {"mousemove", "982", "272", "click", "1"}) == 0 &&
                 app.waitForLog("device list:", 2000);
    }
    QVERIFY2(opened, "clicking the first row's chevron opened no settings page");

    app.signal(SIGTERM);
    QVERIFY(app.waitForExit());
    QVERIFY2(!app.log().contains("WebEnginePage still not deleted"), qPrintable(app.log()));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);
    QVERIFY2(app.log().contains("destroy QovZephSettingView"), qPrintable(app.log()));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
