#include "projectfiles.h"
#include "tempprofile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
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
        m_process.setWorkingDirectory(workingDirectory);
        m_process.start();
    }

    ~AppRun()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    QString output() { return QString::fromUtf8(m_process.readAllStandardOutput()); }

    QString log()
    {
        m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
        return m_log;
    }

    bool waitForLog(const QString &text, int timeoutMs = 15000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!log().contains(text) && !deadline.hasExpired() &&
               m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(100);
        }
        return log().contains(text);
    }

    // The exit code once the program has ended; kCrashed after a crash, kStillRunning when it
    // did not end in time.
    int finished()
    {
        if (!m_process.waitForFinished(15000)) {
            return kStillRunning;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : kCrashed;
    }

    int stop(int signalNumber = SIGTERM)
    {
        ::kill(static_cast<pid_t>(m_process.processId()), signalNumber);
        return finished();
    }

    bool running() const { return m_process.state() == QProcess::Running; }

    static constexpr int kCrashed = -1;
    static constexpr int kStillRunning = -2;

private:
    QProcess m_process;
    QString m_log;
};

const QString kStarted = QStringLiteral("!!!!!!!VLM START!!!!!!!");

// The recovery question's buttons, back from its bottom right corner: the box grows with its
// message.
const QPoint kRestoreFromCorner(200, 41);
const QPoint kDiscardFromCorner(75, 41);

// What a helper program printed; nothing when it did not end within 5 s.
QString outputOf(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(5000) ? QString::fromLocal8Bit(process.readAllStandardOutput())
                                         : QString();
}

// True when an X window with exactly this title is mapped on the test display.
bool windowShown(const QString &title)
{
    return outputOf("xwininfo", {"-root", "-tree"}).contains('"' + title + '"');
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject jsonObject(const QByteArray &bytes)
{
    return QJsonDocument::fromJson(bytes).object();
}

QString xdotool()
{
    return QStandardPaths::findExecutable("xdotool");
}

// The geometry of the mapped window titled exactly `title`, found with xdotool; invalid while
// there is none.
QRect windowGeometry(const QString &title)
{
    QMap<QString, int> values;
    const QString shell = outputOf(xdotool(), {"search", "--onlyvisible", "--name",
                                               "^" + title + "$", "getwindowgeometry", "--shell"});
    for (const QString &line : shell.split('\n')) {
        values.insert(line.section('=', 0, 0), line.section('=', 1).toInt());
    }
    return QRect(values.value("X"), values.value("Y"), values.value("WIDTH"),
                 values.value("HEIGHT"));
}

bool click(const QPoint &at)
{
    return QProcess::execute(xdotool(), {"mousemove", QString::number(at.x()),
                                         QString::number(at.y()), "click", "1"}) == 0;
}

bool keys(const QStringList &arguments)
{
    return QProcess::execute(xdotool(), arguments) == 0;
}

// Gives the keyboard to the mapped window titled exactly `title` and presses `key` there. Keys,
// not clicks at screen positions: where a control lands depends on the fonts installed.
bool pressIn(const QString &title, const QString &key)
{
    return keys({"search", "--onlyvisible", "--name", "^" + title + "$", "windowfocus", "--sync",
                 "key", "--clearmodifiers", key});
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
    void answersWithoutStarting_data();
    void answersWithoutStarting();
    void secondInstanceShowsCautionAndExitsWithOne();
    void lockOfKilledInstanceIsTakenOver();
    void lockWithoutRuntimeFolderIsPerUser();
    void lockFailureOtherThanHeldStartsAnyway();
    void terminationAfterASettingsPageEndsCleanly();
    void editsOfACrashedRunAreOffered_data();
    void editsOfACrashedRunAreOffered();
    void startWithAFileKeepsTheNewProjectsEditsAside();

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
    QCOMPARE(app.stop(), 0);
    QVERIFY2(app.log().contains("exit 0"), qPrintable(app.log()));
}

void TestStartup::answersWithoutStarting_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errorOutput");
    QTest::newRow("version") << "--version" << 0
                             << QStringLiteral("Velmora 1.0.0\nQt %1, built with Qt %2\n")
                                    .arg(QString::fromLatin1(qVersion()),
                                         QStringLiteral(QT_VERSION_STR))
                             << QString();
    QTest::newRow("help") << "--help" << 0 << "Usage: velmora [PROJECT-FILE]\n" << QString();
    QTest::newRow("unknown option") << "--fullscreen" << 2 << QString()
                                    << "velmora: unknown option --fullscreen\n\nUsage: velmora";
}

// --version, --help and an option the program does not know answer in the terminal and end:
// they need no display and start nothing, so they work without X and beside a running
// instance, and an option is never opened as a project file.
void TestStartup::answersWithoutStarting()
{
    QFETCH(QString, argument);
    QFETCH(QString, errorOutput);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    AppRun running({}, QString());
    QVERIFY2(running.waitForLog(kStarted), qPrintable(running.log()));

    AppRun app({argument}, QString(), environment);
    QTEST(app.finished(), "exitCode");
    QFETCH(QString, output);
    const QString printed = app.output();
    QVERIFY2(output.isEmpty() ? printed.isEmpty() : printed.startsWith(output),
             qPrintable(printed));
    const QString log = app.log();
    QVERIFY2(errorOutput.isEmpty() ? log.isEmpty() : log.startsWith(errorOutput), qPrintable(log));

    QCOMPARE(running.stop(), 0);
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
    QCOMPARE(second.stop(), 1);
    QVERIFY(!second.log().contains("top window created"));

    QVERIFY2(first.running(), "the first instance must be undisturbed");
    QCOMPARE(first.stop(), 0);
}

void TestStartup::lockOfKilledInstanceIsTakenOver()
{
    {
        AppRun crashed({});
        QVERIFY2(crashed.waitForLog(kStarted), qPrintable(crashed.log()));
        QCOMPARE(crashed.stop(SIGKILL), AppRun::kCrashed);
    }
    QVERIFY2(QFile::exists(m_profile->runtimeDir() + "/velmora.lock"),
             "the killed instance should have left its lock behind");

    AppRun next({});
    QVERIFY2(next.waitForLog(kStarted), qPrintable(next.log()));
    QVERIFY(!next.log().contains("already run"));
    QCOMPARE(next.stop(), 0);
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
    QVERIFY(QFile(tmp + "/runtime-" + QString::fromLocal8Bit(user->pw_name))
                .open(QIODevice::WriteOnly));
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
    QCOMPARE(second.stop(), 1);
    QCOMPARE(first.stop(), 0);
}

// A lock that cannot be taken because of the folder, not because another instance holds it,
// must not keep the user from the program; the reason goes to the log.
void TestStartup::lockFailureOtherThanHeldStartsAnyway()
{
    // A runtime folder that cannot exist: its parent is a file.
    const QString blocker = m_profile->path() + "/not-a-folder";
    QVERIFY(QFile(blocker).open(QIODevice::WriteOnly));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", blocker + "/run");
    AppRun app({}, QString(), environment);
    QVERIFY2(app.waitForLog(kStarted), qPrintable(app.log()));
    QVERIFY2(!app.log().contains("already run"), qPrintable(app.log()));
    QVERIFY2(app.log().contains("instance lock failed"), qPrintable(app.log()));
    QVERIFY2(app.log().contains("not-a-folder/run does not exist"), qPrintable(app.log()));
    QCOMPARE(app.stop(), 0);
}

void TestStartup::terminationAfterASettingsPageEndsCleanly()
{
    QVERIFY2(!xdotool().isEmpty(), "needs xdotool (scripts/deps installs it) to drive the window");
    const QString path = writeProjectFile(m_profile->path(), "stage.vlmproj", "Stage", {"Stage"});
    QVERIFY(!path.isEmpty());
    AppRun app({path});
    QVERIFY2(app.waitForLog("opened!"), qPrintable(app.log()));
    // Enter opens the current row's page; a new project's first row is current once listed.
    QTRY_VERIFY_WITH_TIMEOUT(windowShown("Velmora - " + path), 20000);
    QElapsedTimer pressing;
    pressing.start();
    bool shown = false;
    while (!shown && pressing.elapsed() < 20000) {
        QVERIFY(pressIn("Velmora - " + path, "Return"));
        shown = app.waitForLog("device list:", 1000);
    }
    QVERIFY2(shown, qPrintable(app.log()));

    QCOMPARE(app.stop(), 0);
    QVERIFY2(!app.log().contains("WebEnginePage still not deleted"), qPrintable(app.log()));
    QVERIFY2(app.log().contains("destroy QovZephSettingView"), qPrintable(app.log()));
}

void TestStartup::editsOfACrashedRunAreOffered_data()
{
    QTest::addColumn<bool>("savedProject");
    QTest::addColumn<bool>("restore");
    for (const bool saved : {true, false}) {
        for (const bool restore : {true, false}) {
            QTest::addRow("%s project, %s", saved ? "saved" : "never-saved",
                          restore ? "restore" : "discard")
                << saved << restore;
        }
    }
}

// Edit a project in the real program, kill it with SIGKILL and start it again: the edits are
// offered, kept aside before anything else happens, and either restored or left for the file.
void TestStartup::editsOfACrashedRunAreOffered()
{
    QFETCH(bool, savedProject);
    QFETCH(bool, restore);
    QVERIFY2(!xdotool().isEmpty(), "needs xdotool (scripts/deps installs it) to drive the window");
    // A data folder of this test's own: the never-saved project lives there.
    const QString data = m_profile->path() + "/data";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", data);
    m_profile->writeProgramSettings("[Config]\nshow_top_page=false\n");

    QString savePath = data + "/vlm-default.vlmproj";
    QStringList arguments;
    if (savedProject) {
        savePath = writeProjectFile(m_profile->path(), "stage.vlmproj", "Stage", {"Stage"});
        QVERIFY(!savePath.isEmpty());
        arguments << savePath;
    }
    const QString autosave = savePath + ".autosave";
    const QString kept = savePath + ".unsaved";
    const QByteArray file = readAll(savePath);
    const QString title = savedProject ? "Velmora - " + savePath : QString("Velmora");

    // Run 1: three edits through the project information dialog, then a crash.
    {
        AppRun app(arguments, QString(), environment);
        QVERIFY2(app.waitForLog(savedProject ? "opened!" : "main window created"),
                 qPrintable(app.log()));
        QTRY_VERIFY_WITH_TIMEOUT(windowShown(title), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(pressIn(title, "F2") && windowShown("Project Information"), 20000);
        // Without a window manager, a new dialog gets the keyboard only when given it.
        QVERIFY(keys({"search", "--onlyvisible", "--name", "^Project Information$", "windowfocus",
                      "--sync"}));
        QVERIFY(keys({"key", "ctrl+a"}));
        QVERIFY(keys({"type", "Crash Title"}));
        QVERIFY(keys({"key", "Tab"}));
        QVERIFY(keys({"type", "Crash Author"}));
        QVERIFY(keys({"key", "Tab"}));
        QVERIFY(keys({"type", "Crash Dealer"}));
        QVERIFY(keys({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(windowShown(title + " *"), 20000);
        // The autosave copy follows within its coalescing delay (100 ms).
        QTRY_VERIFY_WITH_TIMEOUT(jsonObject(readAll(autosave)).value("dealer") == "Crash Dealer",
                                 10000);
        QCOMPARE(app.stop(SIGKILL), AppRun::kCrashed);
    }
    const QByteArray crashed = readAll(autosave);
    const QJsonObject edits = jsonObject(crashed);
    QCOMPARE(edits.value("title").toString(), QString("Crash Title"));
    QCOMPARE(edits.value("author").toString(), QString("Crash Author"));
    QCOMPARE(edits.value("dealer").toString(), QString("Crash Dealer"));
    QCOMPARE(readAll(savePath), file);
    QVERIFY(!QFile::exists(kept));
    const QDateTime crashedAt = QFileInfo(autosave).lastModified();

    // Run 2: the offer. With the start page on, the never-saved project still comes back.
    m_profile->writeProgramSettings("[Config]\nshow_top_page=true\n");
    {
        AppRun app(arguments, QString(), environment);
        QVERIFY2(app.waitForLog("unsaved changes kept aside"), qPrintable(app.log()));
        QRect popup;
        QTRY_VERIFY_WITH_TIMEOUT((popup = windowGeometry("Unsaved Changes")).isValid(), 20000);
        // Kept aside before the question; nothing opened or overwrote anything meanwhile.
        QCOMPARE(readAll(kept), crashed);
        QCOMPARE(readAll(autosave), crashed);
        QVERIFY2(!app.log().contains("opened!"), qPrintable(app.log()));
        if (!savedProject) {
            QVERIFY2(!app.log().contains("window created"), qPrintable(app.log()));
        }

        const QPoint corner(popup.x() + popup.width(), popup.y() + popup.height());
        QVERIFY(click(corner - (restore ? kRestoreFromCorner : kDiscardFromCorner)));
        if (restore) {
            QVERIFY2(app.waitForLog("opened!"), qPrintable(app.log()));
            QTRY_VERIFY_WITH_TIMEOUT(windowShown(title + " *"), 20000);
            // What the program holds now reaches its new autosave copy: every edit.
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(autosave).lastModified() > crashedAt, 10000);
            QTRY_COMPARE_WITH_TIMEOUT(jsonObject(readAll(autosave)), edits, 10000);
        } else if (savedProject) {
            QVERIFY2(app.waitForLog("opened!"), qPrintable(app.log()));
            QTRY_VERIFY_WITH_TIMEOUT(windowShown(title), 20000);
            QTRY_COMPARE_WITH_TIMEOUT(jsonObject(readAll(autosave)), jsonObject(file), 10000);
        } else {
            QVERIFY2(app.waitForLog("top window created"), qPrintable(app.log()));
            QVERIFY(!QFile::exists(autosave));
        }
        QCOMPARE(readAll(savePath), file);
        QCOMPARE(readAll(kept), crashed);
        QCOMPARE(app.stop(), 0);
    }

    // Run 3: restored edits are still unsaved and offered again; discarded ones are not. A
    // question that the end of the program cuts short leaves everything as it was.
    {
        AppRun app(arguments, QString(), environment);
        if (restore) {
            QVERIFY2(app.waitForLog("unsaved changes kept aside"), qPrintable(app.log()));
            QTRY_VERIFY_WITH_TIMEOUT(windowGeometry("Unsaved Changes").isValid(), 20000);
            QCOMPARE(app.stop(), 0);
            QVERIFY2(app.log().contains("unsaved changes: no answer"), qPrintable(app.log()));
            QCOMPARE(jsonObject(readAll(autosave)), edits);
        } else {
            QVERIFY2(app.waitForLog(savedProject ? "opened!" : "top window created"),
                     qPrintable(app.log()));
            QVERIFY2(!app.log().contains("unsaved changes"), qPrintable(app.log()));
            QCOMPARE(app.stop(), 0);
        }
        QCOMPARE(jsonObject(readAll(kept)), edits);
        QCOMPARE(readAll(savePath), file);
    }
}

// Started with a file, the program opens that file; edits a crash left in the never-saved
// project are not asked about now, but kept aside where a new project cannot overwrite them.
void TestStartup::startWithAFileKeepsTheNewProjectsEditsAside()
{
    const QString data = m_profile->path() + "/data";
    QVERIFY(QDir().mkpath(data));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", data);
    const QString autosave = data + "/vlm-default.vlmproj.autosave";
    const QString lost = writeProjectFile(m_profile->path(), "lost.vlmproj", "Never saved");
    QVERIFY(QFile::copy(lost, autosave));
    const QString file = writeProjectFile(m_profile->path(), "stage.vlmproj", "Stage", {"Stage"});

    AppRun app({file}, QString(), environment);
    QVERIFY2(app.waitForLog("opened!"), qPrintable(app.log()));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(data + "/vlm-default.vlmproj.unsaved"), readAll(lost), 10000);
    QCOMPARE(readAll(autosave), readAll(lost));
    QVERIFY(!windowGeometry("Unsaved Changes").isValid());
    QCOMPARE(app.stop(), 0);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
