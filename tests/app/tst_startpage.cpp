#include "activewindow.h"
#include "app/qovmainwindow.h"
#include "app/qovmenubarview.h"
#include "app/qovtopwindow.h"
#include "appwindows.h"
#include "modalanswerer.h"
#include "models/qovpersistentdatamodel.h"
#include "models/qovprogramsettingsmodel.h"
#include "models/qovsafetycopies.h"
#include "models/qovtextfile.h"
#include "projectfiles.h"
#include "tempprofile.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {

QovTopWindow *shownTopWindow()
{
    auto *top = new QovTopWindow();
    top->show();
    return QTest::qWaitForWindowExposed(top) ? top : nullptr;
}

QStringList actionTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions()) {
        texts << action->text();
    }
    return texts;
}

} // namespace

// Receives what the Help entry hands to the desktop's browser.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

// The start page hands over to a main window and remembers "do not display" only when the
// action went through; the menu bar's entries, shortcuts, recent files, Help and About.
class TestStartPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void actionHandsOverOnlyWhenItWentThrough_data();
    void actionHandsOverOnlyWhenItWentThrough();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void recentFilesInEveryMenuBar();
    void shortcutsOpenTheirDialogs_data();
    void shortcutsOpenTheirDialogs();
    void helpAndAbout();
    void backupFolderIsCreatedAndOpened();

private:
    TempProfile m_profile;
    QTemporaryDir m_files;
};

void TestStartPage::initTestCase()
{
    qApp->setStyleSheet(loadTextFile(QStringLiteral(":/styles.qss")));
}

void TestStartPage::init()
{
    m_profile.writeProgramSettings("[Config]\nshow_top_page=true\n");
}

void TestStartPage::cleanup()
{
    deleteAppWindows();
}

void TestStartPage::actionHandsOverOnlyWhenItWentThrough_data()
{
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("cancelled, do not display again") << false << true;
    QTest::newRow("do not display again") << true << true;
    QTest::newRow("display again") << true << false;
}

void TestStartPage::actionHandsOverOnlyWhenItWentThrough()
{
    QFETCH(bool, opens);
    QFETCH(bool, ticked);
    const QString path =
        opens ? writeProjectFile(m_files.path(), "start.vlmproj", "Started", {"m"}) : QString();
    QPointer<QovTopWindow> top = shownTopWindow();
    QVERIFY(top);
    if (ticked) {
        QTest::mouseClick(top->hideCheckBox(), Qt::LeftButton);
    }

    ModalAnswerer answerer;
    answerer.chooseFile(path);
    QTest::mouseClick(top->openProjectButton(), Qt::LeftButton);
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seen().first().title, QStringLiteral("Open Project"));
    if (opens) {
        QTRY_VERIFY(top.isNull());
        const QList<QovMainWindow *> windows = visibleWindows<QovMainWindow>();
        QCOMPARE(windows.size(), 1);
        QTRY_COMPARE(windows.first()->projectData()->projectName(), QStringLiteral("Started"));
    } else {
        QTest::qWait(50);
        QVERIFY(top && top->isVisible());
        QVERIFY(visibleWindows<QovMainWindow>().isEmpty());
    }
    QCOMPARE(QovProgramSettingsModel().topPageVisible(), !(opens && ticked));
}

void TestStartPage::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("opened"); // the title of what the button opens
    QTest::newRow("Return on Open Project")
        << int(Qt::Key_Return) << int(Qt::NoModifier) << "Open Project"
        << "Open Project";
    QTest::newRow("keypad Enter on New Project")
        << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "New Project"
        << "New Project";
    // The main window's keys, wherever the focus is on the page.
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << int(Qt::ControlModifier) << ""
                            << "Open Project";
    QTest::newRow("Ctrl+N") << int(Qt::Key_N) << int(Qt::ControlModifier) << ""
                            << "New Project";
}

// As Space does; the action is cancelled, so the page stays.
void TestStartPage::enterPressesTheFocusedButton()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, button);
    QFETCH(QString, opened);
    QPointer<QovTopWindow> top = shownTopWindow();
    QVERIFY(top);
    velmora::test::makeActiveWindow(top);
    QWidget *pressed = top->hideCheckBox();
    if (!button.isEmpty()) {
        pressed = button == "New Project" ? top->newProjectButton() : top->openProjectButton();
    }
    pressed->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), pressed);

    ModalAnswerer answerer;
    answerer.handle([](QWidget *modal) { modal->close(); });
    QTest::keyClick(pressed, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seen().first().title, opened);
    QTest::qWait(50);
    QVERIFY(top && top->isVisible());
}

void TestStartPage::recentFilesInEveryMenuBar()
{
    QovMainWindow first;
    QovMainWindow second;
    QovPersistentDataModel *recent = QovPersistentDataModel::instance();
    recent->addRecent(QStringLiteral("/somewhere/older.vlmproj"));
    recent->addRecent(QStringLiteral("/elsewhere/newer.vlmproj"));
    for (QovMainWindow *window : {&first, &second}) {
        auto *bar = window->findChild<QovMenuBarView *>();
        QVERIFY(bar);
        QCOMPARE(actionTexts(bar->recentMenu()).mid(0, 2),
                 QStringList({"newer.vlmproj", "older.vlmproj"}));
    }
}

void TestStartPage::shortcutsOpenTheirDialogs_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("title");
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << int(Qt::ControlModifier) << "Open Project";
    QTest::newRow("Ctrl+Shift+S") << int(Qt::Key_S) << int(Qt::ControlModifier | Qt::ShiftModifier)
                                  << "Save Project";
    // A new project was never saved, so Save asks for a name too.
    QTest::newRow("Ctrl+S") << int(Qt::Key_S) << int(Qt::ControlModifier) << "Save Project";
}

void TestStartPage::shortcutsOpenTheirDialogs()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, title);
    auto *window = new QovMainWindow();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));

    ModalAnswerer answerer;
    answerer.chooseFile(QString());
    QTest::keyClick(window, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seen().first().title, title);
    QTRY_VERIFY(!window->isBusy());
}

void TestStartPage::helpAndAbout()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    QovMainWindow window;
    auto *bar = window.findChild<QovMenuBarView *>();
    findAction(bar->mainMenu(), QStringLiteral("Help"))->menu()->actions().at(0)->trigger();
    QCOMPARE(catcher.urls,
             QList<QUrl>({QUrl("https://velmora.example/document/Velmora/Default.html")}));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

    ModalAnswerer answerer;
    QString version;
    QString qtVersion;
    answerer.handle([&version, &qtVersion](QWidget *modal) {
        for (QLabel *label : modal->findChildren<QLabel *>()) {
            if (label->objectName() == QLatin1String("about-version")) {
                version = label->text();
            } else if (label->objectName() == QLatin1String("about-qt")) {
                qtVersion = label->text();
            }
        }
        ModalAnswerer::findButton(modal, QStringLiteral("OK"))->setFocus();
        QTest::mouseClick(ModalAnswerer::findButton(modal, QStringLiteral("OK")), Qt::LeftButton);
    });
    findAction(bar->mainMenu(), QStringLiteral("About"))->trigger();
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seen().first().title, QStringLiteral("About"));
    QCOMPARE(version, QStringLiteral("Version 1.0.0"));
    // The Qt it runs on, as a bug report needs it, and the one it was built with.
    QCOMPARE(qtVersion, QStringLiteral("Qt %1, built with Qt %2")
                            .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR)));
}

void TestStartPage::backupFolderIsCreatedAndOpened()
{
    QovMainWindow window;
    auto *bar = window.findChild<QovMenuBarView *>();
    const QStringList entries = actionTexts(bar->mainMenu());
    QCOMPARE(entries.indexOf("Open Backup Folder"), entries.indexOf("Settings") + 1);
    QAction *entry = findAction(bar->mainMenu(), QStringLiteral("Open Backup Folder"));
    const QString folder = QovSafetyCopies::defaultRoot();
    QVERIFY(folder.startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
    QDir(folder).removeRecursively();

    // No copy was taken yet: the folder is made, then handed to the desktop.
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    entry->trigger();
    QCOMPARE(catcher.urls, QList<QUrl>({QUrl::fromLocalFile(folder)}));
    QVERIFY(QFileInfo(folder).isDir());

    // A desktop that cannot open it, and a folder that cannot be made, are said so.
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "noSuchSlot");
    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    entry->trigger();
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QVERIFY2(answerer.seenLines().value(0).startsWith("Error: The backup folder could not be "
                                                      "opened."),
             qPrintable(answerer.seenLines().join('|')));

    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(QFile(folder).open(QIODevice::WriteOnly));
    answerer.pressButton(QStringLiteral("OK"));
    entry->trigger();
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seenLines().value(1),
             QStringLiteral("Error: The backup folder could not be created.\n\n%1\n").arg(folder));
    QCOMPARE(catcher.urls.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QVERIFY(QFile::remove(folder));
}

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestStartPage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startpage.moc"
