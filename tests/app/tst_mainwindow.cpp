#include "app/qovmainwindow.h"
#include "app/qovmenubarview.h"
#include "app/qovtopwindow.h"
#include "appwindows.h"
#include "dialogs/qovprojectmetadatadialog.h"
#include "modalanswerer.h"
#include "models/qovautosaver.h"
#include "models/qovpersistentdatamodel.h"
#include "models/qovtextfile.h"
#include "projectfiles.h"
#include "readonlyfolder.h"
#include "tempprofile.h"
#include "views/qovprogressview.h"
#include "webpage/qovzephsettingview.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <tuple>

namespace {

QString loadedTitle(const QString &path)
{
    const std::unique_ptr<QovProjectDataModel> model(std::get<0>(loadProject(path)));
    return model ? model->projectName() : QStringLiteral("<unreadable>");
}

} // namespace

// The main window's project lifecycle as a user drives it: the save question on every path
// that would drop edits, open/save/reopen with the recent list, the title, the pages, closing
// with its successor, and failed opens that must leave the project alone.
class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void initTestCase();
    void init();
    void cleanup();
    void askToSave_data();
    void askToSave();
    void askToSaveBeforeNewProject_data();
    void askToSaveBeforeNewProject();
    void openEditSaveReopen();
    void reopeningTheOpenProject_data();
    void reopeningTheOpenProject();
    void saveAsksBeforeOverwritingAnotherProgramsFile_data();
    void saveAsksBeforeOverwritingAnotherProgramsFile();
    void recentFilesReadAsTheyAreNamed();
    void pagesFollowProject();
    void closeQuestion_data();
    void closeQuestion();
    void failedOpenKeepsProject_data();
    void failedOpenKeepsProject();
    void busyWindowKeepsOnlyExit();
    void unwritableAutosaveIsToldOnce();

private:
    // A new main window, shown (and given the keyboard when `active`); null if it never was.
    QovMainWindow *shownWindow(bool active = false);
    bool openAndWait(QovMainWindow *window, const QString &path);

    TempProfile m_profile;
    QTemporaryDir m_files;
};

void TestMainWindow::initTestCase()
{
    qApp->setStyleSheet(loadTextFile(QStringLiteral(":/styles.qss")));
    QVERIFY(m_files.isValid());
}

void TestMainWindow::init()
{
    m_profile.writeProgramSettings("[Config]\nshow_top_page=true\nauto_reconnect=0\n");
}

void TestMainWindow::cleanup()
{
    deleteAppWindows();
}

QovMainWindow *TestMainWindow::shownWindow(bool active)
{
    auto *window = new QovMainWindow();
    window->show();
    if (active) {
        window->activateWindow();
    }
    return QTest::qWaitForWindowExposed(window) && (!active || QTest::qWaitForWindowActive(window))
               ? window
               : nullptr;
}

bool TestMainWindow::openAndWait(QovMainWindow *window, const QString &path)
{
    return window->openProjectFile(path) &&
           QTest::qWaitFor([window] { return !window->isBusy(); }, 10000);
}

void TestMainWindow::askToSave_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("saveFails");
    for (const QString action : {"open", "close", "exit"}) {
        for (const QString answer : {"Cancel", "Don't Save", "Save"}) {
            QTest::addRow("%s, %s", qPrintable(action), qPrintable(answer))
                << action << answer << false;
        }
        QTest::addRow("%s, Save fails", qPrintable(action)) << action << "Save" << true;
    }
}

void TestMainWindow::askToSaveBeforeNewProject_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("dialog");
    for (const QString action : {"new", "connect"}) {
        const QString dialog =
            action == "new" ? "QovDeviceSettingDialog" : "QovAddOnlineDeviceDialog";
        QTest::addRow("%s, Cancel", qPrintable(action)) << action << "Cancel" << QString();
        QTest::addRow("%s, Don't Save", qPrintable(action)) << action << "Don't Save" << dialog;
    }
}

// A new project from the device setting or the online devices dialog asks first too; the
// dialog is cancelled here, which must leave the edited project and an idle window.
void TestMainWindow::askToSaveBeforeNewProject()
{
    QFETCH(QString, action);
    QFETCH(QString, answer);
    QFETCH(QString, dialog);
    const QString current = writeProjectFile(m_files.path(), "new.vlmproj", "Current");
    QovMainWindow *window = shownWindow();
    QVERIFY(openAndWait(window, current));
    window->projectData()->setProjectName(QStringLiteral("Edited"));
    QovProjectDataModel *before = window->projectData();

    ModalAnswerer answerer;
    answerer.pressButton(answer);
    bool secondStart = true;
    if (!dialog.isEmpty()) {
        answerer.handle([&](QWidget *modal) {
            // While its dialog is open, the same action does not start again.
            secondStart =
                action == QLatin1String("new") ? window->createProject() : window->connectDevices();
            qobject_cast<QDialog *>(modal)->reject();
        });
    }
    const bool result =
        action == QLatin1String("new") ? window->createProject() : window->connectDevices();
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QVERIFY(!result);
    QCOMPARE(answerer.seen().size(), dialog.isEmpty() ? 1 : 2);
    if (!dialog.isEmpty()) {
        QCOMPARE(answerer.seen().at(1).className, dialog);
        QVERIFY(!secondStart);
    }
    QVERIFY(!window->isBusy());
    QCOMPARE(window->projectData(), before);
    QVERIFY(window->projectData()->isEdited());
    QCOMPARE(loadedTitle(current), QStringLiteral("Current"));
}

void TestMainWindow::askToSave()
{
    QFETCH(QString, action);
    QFETCH(QString, answer);
    QFETCH(bool, saveFails);

    QTemporaryDir folder;
    const QString current = writeProjectFile(folder.path(), "current.vlmproj", "Current");
    const QString other = writeProjectFile(m_files.path(), "other.vlmproj", "Other");
    QPointer<QovMainWindow> window = shownWindow();
    QVERIFY(openAndWait(window, current));
    window->projectData()->setProjectName(QStringLiteral("Edited"));
    const QString readOnlyProblem =
        saveFails ? velmora::test::makeFolderReadOnly(folder.path()) : QString();
    QVERIFY2(readOnlyProblem.isEmpty(), qPrintable(readOnlyProblem));

    ModalAnswerer answerer;
    answerer.pressButton(answer);
    if (saveFails) {
        answerer.pressButton(QStringLiteral("OK"));
    }
    const bool goesOn = answer != QLatin1String("Cancel") && !saveFails;
    if (goesOn && action == QLatin1String("open")) {
        answerer.chooseFile(other);
    }
    bool result = false;
    if (action == QLatin1String("open")) {
        result = window->openProject();
    } else if (action == QLatin1String("close")) {
        window->closeProject(false);
        result = true;
    } else {
        result = window->close();
    }
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QTest::qWait(50);
    if (saveFails) {
        velmora::test::makeFolderWritable(folder.path());
    }

    const QList<ModalAnswerer::Seen> seen = answerer.seen();
    QCOMPARE(seen.first().title, QStringLiteral("Caution"));
    QCOMPARE(seen.first().text,
             QStringLiteral("Do you want to close this project without applying changes?\n"));
    if (saveFails) {
        // With what failed and where, so that the user can mend it and save again.
        const QString failed = seen.at(1).text;
        QVERIFY2(failed.startsWith(QStringLiteral("Project data save failed.\n\n")) &&
                     failed.contains(QDir::toNativeSeparators(folder.path())),
                 qPrintable(failed));
    }
    // Whatever happens next, the edit reached the file only when it was saved.
    const bool saved = answer == QLatin1String("Save") && !saveFails;
    QCOMPARE(loadedTitle(current), saved ? QStringLiteral("Edited") : QStringLiteral("Current"));

    if (!goesOn) {
        if (action != QLatin1String("close")) {
            QVERIFY(!result);
        }
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(window->projectData()->isEdited());
        QCOMPARE(window->projectData()->projectName(), QStringLiteral("Edited"));
        QVERIFY(visibleWindows<QovTopWindow>().isEmpty());
        return;
    }
    QVERIFY(result);
    if (action == QLatin1String("open")) {
        QTRY_VERIFY(!window->isBusy());
        QCOMPARE(window->projectData()->projectName(), QStringLiteral("Other"));
        QVERIFY(!window->projectData()->isEdited());
        return;
    }
    // Answering the save question is the confirmation: no second question follows.
    QCOMPARE(seen.size(), 1);
    QTRY_VERIFY(window.isNull());
    QCOMPARE(visibleWindows<QovTopWindow>().size(), action == QLatin1String("close") ? 1 : 0);
}

// Edits the user just declined ("Don't Save" before opening the same file again) are in the
// autosave copy, newer than the file, but they are no crash's: nothing is offered.
void TestMainWindow::reopeningTheOpenProject_data()
{
    QTest::addColumn<bool>("recent"); // Open Recent, which asks nothing first; else Open
    QTest::addColumn<QString>("title");
    QTest::newRow("open, edits declined") << false << "Reopen";
    QTest::newRow("open recent, edits restored") << true << "Edited";
}

// Edits declined by the save question are not offered again by reopening their file; Open
// Recent, which asks no save question, offers them rather than dropping them.
void TestMainWindow::reopeningTheOpenProject()
{
    QFETCH(bool, recent);
    const QString path = writeProjectFile(m_files.path(), "reopen.vlmproj", "Reopen");
    QovMainWindow *window = shownWindow();
    QVERIFY(window);
    QVERIFY(openAndWait(window, path));
    window->projectData()->setProjectName(QStringLiteral("Edited"));

    ModalAnswerer answerer;
    if (recent) {
        answerer.pressButton(QStringLiteral("Restore"));
        const auto *menuBar = window->findChild<QovMenuBarView *>();
        findAction(menuBar->recentMenu(), QStringLiteral("reopen.vlmproj"))->trigger();
    } else {
        answerer.pressButton(QStringLiteral("Don't Save"));
        answerer.chooseFile(path);
        // Taken only if the window wrongly asks.
        answerer.pressButton(QStringLiteral("Discard"));
        QVERIFY(window->openProject());
    }
    QTRY_VERIFY(answerer.pending() <= 1);
    QTRY_VERIFY(!window->isBusy());
    QCOMPARE(answerer.pending(), recent ? 0 : 1);
    QTEST(window->projectData()->projectName(), "title");
    QCOMPARE(window->projectData()->isEdited(), recent);
}

void TestMainWindow::saveAsksBeforeOverwritingAnotherProgramsFile_data()
{
    QTest::addColumn<QString>("change"); // what another program does to the open file
    QTest::addColumn<QString>("how");    // "save", "close" (answering Save) or "save as"
    QTest::addColumn<QString>("answer"); // to "File Changed"; empty where it must not be asked

    const auto row = [](const char *name, const char *change, const char *how, const char *answer) {
        QTest::newRow(name) << change << how << answer;
    };
    row("unchanged", "none", "save", "");
    row("written again with the same bytes", "same bytes", "save", "");
    row("deleted", "deleted", "save", "");
    row("changed, overwrite", "other bytes", "save", "OK");
    row("changed, cancel", "other bytes", "save", "Cancel");
    row("changed, close and save, overwrite", "other bytes", "close", "OK");
    row("changed, close and save, cancel", "other bytes", "close", "Cancel");
    row("changed, save as", "other bytes", "save as", "");
}

// Save does not silently overwrite a file another program changed or replaced since the window
// read or wrote it; what the window wrote itself, or the same bytes written again, ask nothing.
void TestMainWindow::saveAsksBeforeOverwritingAnotherProgramsFile()
{
    QFETCH(QString, change);
    QFETCH(QString, how);
    QFETCH(QString, answer);

    QTemporaryDir folder;
    const QString path = writeProjectFile(folder.path(), "stage.vlmproj", "Current");
    const QString copy = folder.filePath(QStringLiteral("copy.vlmproj"));
    const auto bytesOf = [](const QString &file) {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    };
    const QByteArray opened = bytesOf(path);
    // Of the same size as the file opened: only its bytes tell them apart.
    const QByteArray theirs =
        bytesOf(writeProjectFile(folder.path(), "theirs.vlmproj", QStringLiteral("Changed")));
    QCOMPARE(theirs.size(), opened.size());
    QPointer<QovMainWindow> window = shownWindow();
    QVERIFY(openAndWait(window, path));
    window->projectData()->setProjectName(QStringLiteral("Edited"));

    // Another program's write, stamped a minute on so that no clock tick hides it.
    QFile file(path);
    if (change == QLatin1String("deleted")) {
        QVERIFY(file.remove());
    } else if (change != QLatin1String("none")) {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(file.write(change == QLatin1String("same bytes") ? opened : theirs) > 0);
        QVERIFY(file.flush());
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                 QFileDevice::FileModificationTime));
        file.close();
    }
    const QString onDisk = change == QLatin1String("other bytes") ? "Changed" : "Current";

    ModalAnswerer answerer;
    if (how == QLatin1String("close")) {
        answerer.pressButton(QStringLiteral("Save"));
    } else if (how == QLatin1String("save as")) {
        answerer.chooseFile(copy);
    }
    // Where nothing must be asked, this answer is left over.
    answerer.pressButton(answer.isEmpty() ? QStringLiteral("OK") : answer);
    if (how == QLatin1String("close")) {
        window->close();
    } else if (how == QLatin1String("save as")) {
        QVERIFY(window->saveProjectAs());
    } else {
        QCOMPARE(window->saveProject(), answer != QLatin1String("Cancel"));
    }
    QCOMPARE(answerer.pending(), answer.isEmpty() ? 1 : 0);
    const ModalAnswerer::Seen asked = answerer.seen().value(how == QLatin1String("close") ? 1 : 0);
    if (!answer.isEmpty()) {
        QCOMPARE(asked.title, QStringLiteral("File Changed"));
        QVERIFY2(asked.text.startsWith(QStringLiteral(
                     "stage.vlmproj has been changed by another program since it was opened or "
                     "saved here.\n\nOverwrite it with this project?")),
                 qPrintable(asked.text));
    }

    if (answer == QLatin1String("Cancel")) {
        // Kept open and unsaved, to be saved under another name.
        QVERIFY(window && window->isVisible());
        QVERIFY(window->windowTitle().endsWith(QStringLiteral(" *")));
        QCOMPARE(loadedTitle(path), onDisk);
        return;
    }
    if (how == QLatin1String("save as")) {
        QCOMPARE(loadedTitle(copy), QStringLiteral("Edited"));
        QCOMPARE(loadedTitle(path), onDisk);
        return;
    }
    QCOMPARE(loadedTitle(path), QStringLiteral("Edited"));
    if (how == QLatin1String("close")) {
        QTRY_VERIFY(window.isNull());
        return;
    }
    // What the window wrote itself asks nothing at the next save.
    if (answerer.pending() == 0) {
        answerer.pressButton(QStringLiteral("OK"));
    }
    window->projectData()->setProjectName(QStringLiteral("Again"));
    QVERIFY(window->saveProject());
    QCOMPARE(answerer.pending(), 1);
    QCOMPARE(loadedTitle(path), QStringLiteral("Again"));
}

void TestMainWindow::openEditSaveReopen()
{
    const QString first = writeProjectFile(m_files.path(), "first.vlmproj", "First", {"a", "b"});
    const QString copy = QDir(m_files.path()).filePath(QStringLiteral("copy.vlmproj"));
    QovMainWindow *window = shownWindow();
    QVERIFY(window);
    auto *menuBar = window->findChild<QovMenuBarView *>();
    QVERIFY(menuBar);

    ModalAnswerer answerer;
    answerer.chooseFile(first);
    QVERIFY(window->openProject());
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seen().first().title, QStringLiteral("Open Project"));
    QTRY_VERIFY(!window->isBusy());
    QCOMPARE(window->projectData()->projectName(), QStringLiteral("First"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Velmora - ") + first);
    QTRY_COMPARE(QovPersistentDataModel::instance()->recentFiles().value(0), first);
    QCOMPARE(menuBar->recentMenu()->actions().value(0)->text(), QStringLiteral("first.vlmproj"));

    // Edit through the metadata dialog, as the header's edit icon does.
    answerer.handle([](QWidget *modal) {
        auto *dialog = qobject_cast<QovProjectMetaDataDialog *>(modal);
        QVERIFY(dialog);
        dialog->nameEdit()->setText(QStringLiteral("  Second"));
        QTest::mouseClick(ModalAnswerer::findButton(dialog, QStringLiteral("OK")), Qt::LeftButton);
    });
    QVERIFY(window->projectMetaDataEdit());
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(window->projectData()->projectName(), QStringLiteral("Second"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Velmora - ") + first + QStringLiteral(" *"));

    // Ctrl+S saves to the known path without asking.
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(window->windowTitle(), QStringLiteral("Velmora - ") + first);
    QCOMPARE(loadedTitle(first), QStringLiteral("Second"));
    // Any field edited marks the title, the author too.
    window->projectData()->setProjectAuthor(QStringLiteral("Someone"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Velmora - ") + first + QStringLiteral(" *"));

    // Save As from the main menu records the copy first.
    answerer.chooseFile(copy);
    findAction(menuBar->mainMenu(), QStringLiteral("Save As"))->trigger();
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(QovPersistentDataModel::instance()->recentFiles().mid(0, 2),
             QStringList({copy, first}));
    QCOMPARE(menuBar->recentMenu()->actions().value(0)->text(), QStringLiteral("copy.vlmproj"));

    // A recent file opens at once, even over unsaved edits.
    window->projectData()->setProjectName(QStringLiteral("Unsaved"));
    findAction(menuBar->recentMenu(), QStringLiteral("first.vlmproj"))->trigger();
    QTRY_VERIFY(!window->isBusy());
    QCOMPARE(answerer.seen().size(), 3);
    QCOMPARE(window->projectData()->projectName(), QStringLiteral("Second"));
    QCOMPARE(window->count(), 3);
    QTRY_COMPARE(QovPersistentDataModel::instance()->recentFiles().mid(0, 2),
                 QStringList({first, copy}));
    QCOMPARE(menuBar->recentMenu()->actions().value(1)->text(), QStringLiteral("copy.vlmproj"));
}

// The recent files menu shows each name as it is spelled, tells two files of one name apart by
// their folders, and a file that has gone is offered for removal instead of being reported as
// invalid data.
void TestMainWindow::recentFilesReadAsTheyAreNamed()
{
    QDir files(m_files.path());
    QVERIFY(files.mkpath(QStringLiteral("stage")) && files.mkpath(QStringLiteral("hall")));
    const QString rock = writeProjectFile(m_files.path(), "Rock&Roll.vlmproj", "Rock", {"a"});
    const QString stage =
        writeProjectFile(files.filePath(QStringLiteral("stage")), "show.vlmproj", "Stage", {"a"});
    const QString hall =
        writeProjectFile(files.filePath(QStringLiteral("hall")), "show.vlmproj", "Hall", {"a"});
    QovPersistentDataModel *recent = QovPersistentDataModel::instance();
    recent->setRecentFiles({rock, stage, hall});
    QovMainWindow *window = shownWindow();
    QVERIFY(window);
    QMenu *menu = window->findChild<QovMenuBarView *>()->recentMenu();
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 3);
    // The text a menu draws is the one without shortcut marks.
    QCOMPARE(actions.at(0)->iconText(), QStringLiteral("Rock&Roll.vlmproj"));
    QVERIFY(actions.at(1)->text() != actions.at(2)->text());
    QVERIFY2(actions.at(1)->text().contains(QStringLiteral("stage")),
             qPrintable(actions.at(1)->text()));
    QVERIFY2(actions.at(2)->text().contains(QStringLiteral("hall")),
             qPrintable(actions.at(2)->text()));
    QCOMPARE(actions.at(2)->toolTip(), QDir::toNativeSeparators(hall));
    QVERIFY(menu->toolTipsVisible());

    // Moved away: kept when the user says so, removed when asked, never opened as invalid.
    QVERIFY(QFile::rename(stage, stage + QStringLiteral(".moved")));
    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("Keep"));
    actions.at(1)->trigger();
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seen().last().title, QStringLiteral("Open Recent"));
    QVERIFY2(answerer.seen().last().text.contains(QDir::toNativeSeparators(stage)),
             qPrintable(answerer.seen().last().text));
    QCOMPARE(recent->recentFiles(), QStringList({rock, stage, hall}));

    answerer.pressButton(QStringLiteral("Remove"));
    menu->actions().at(1)->trigger();
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(recent->recentFiles(), QStringList({rock, hall}));
    QCOMPARE(menu->actions().size(), 2);
    // Its name no longer clashes.
    QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("show.vlmproj"));
    for (const ModalAnswerer::Seen &seen : answerer.seen()) {
        QVERIFY2(!seen.text.contains(QStringLiteral("invalid")), qPrintable(seen.text));
    }

    // Present, it opens.
    menu->actions().at(0)->trigger();
    QTRY_VERIFY(!window->isBusy());
    QTRY_COMPARE(window->projectData()->projectName(), QStringLiteral("Rock"));
}

void TestMainWindow::pagesFollowProject()
{
    const QString three =
        writeProjectFile(m_files.path(), "three.vlmproj", "Three", {"d1", "d2", "d3"});
    const QString two = writeProjectFile(m_files.path(), "two.vlmproj", "Two", {"e1", "e2"});
    // Not shown: switching pages must not start the settings pages' web engine here.
    QovMainWindow window;
    QVERIFY(openAndWait(&window, three));
    QCOMPARE(window.count(), 4);
    QCOMPARE(window.widget(0)->metaObject()->className(), "QovProjectView");
    const QVector<QovAppDeviceModel> devices = window.projectData()->appDevices();
    for (int i = 0; i < devices.size(); ++i) {
        QCOMPARE(window.widget(i + 1), window.devicePages().at(i));
        QCOMPARE(window.devicePages().at(i)->device(), devices.at(i));
    }

    QSignalSpy pageChanges(&window, &QovMainWindow::currentPageChanged);
    window.setCurrentPage(2);
    window.setCurrentPage(2);
    window.setCurrentPage(7); // no such page
    QCOMPARE(pageChanges.size(), 1);
    QCOMPARE(window.currentIndex(), 2);
    QCOMPARE(window.currentPage(), 2);

    QList<QPointer<QovZephSettingView>> oldPages;
    for (QovZephSettingView *page : window.devicePages()) {
        oldPages << page;
    }
    QVERIFY(openAndWait(&window, two));
    QCOMPARE(window.count(), 3);
    QCOMPARE(window.devicePages().at(1)->device()->deviceName(), QStringLiteral("e2"));
    // Back on the project page, and the page number says so.
    QCOMPARE(window.currentIndex(), 0);
    QCOMPARE(pageChanges.last().first().toInt(), 0);
    for (const QPointer<QovZephSettingView> &page : oldPages) {
        QTRY_VERIFY(page.isNull());
    }
}

void TestMainWindow::closeQuestion_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("topPageVisible");
    // A closed project is followed by the start page or a new window; an exit by nothing.
    QTest::newRow("close, start page, OK") << "close" << true << true;
    QTest::newRow("close, new window, OK") << "close" << true << false;
    QTest::newRow("close, Cancel") << "close" << false << true;
    QTest::newRow("Ctrl+Q, OK") << "Ctrl+Q" << true << true;
    QTest::newRow("Ctrl+Q, Cancel") << "Ctrl+Q" << false << true;
}

void TestMainWindow::closeQuestion()
{
    QFETCH(QString, action);
    QFETCH(bool, confirm);
    QFETCH(bool, topPageVisible);
    m_profile.writeProgramSettings(topPageVisible ? "[Config]\nshow_top_page=true\n"
                                                  : "[Config]\nshow_top_page=false\n");
    QPointer<QovMainWindow> window = shownWindow(action == QLatin1String("Ctrl+Q"));
    QVERIFY(window);

    ModalAnswerer answerer;
    answerer.pressButton(confirm ? QStringLiteral("OK") : QStringLiteral("Cancel"));
    const bool closing = action == QLatin1String("close");
    if (closing) {
        window->closeProject(false);
    } else {
        QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    }
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seenLines(),
             QStringList(closing ? QStringLiteral("Close Project: Really close project?\n")
                                 : QStringLiteral("Exit: Really exit Velmora?\n")));
    if (!confirm) {
        QTest::qWait(50);
        QVERIFY(window && window->isVisible());
        QCOMPARE(visibleWindows<QovMainWindow>().size(), 1);
        return;
    }
    QTRY_VERIFY(window.isNull());
    QCOMPARE(visibleWindows<QovTopWindow>().size(), closing && topPageVisible ? 1 : 0);
    const QList<QovMainWindow *> successors = visibleWindows<QovMainWindow>();
    QCOMPARE(successors.size(), closing && !topPageVisible ? 1 : 0);
    if (!successors.isEmpty()) {
        QCOMPARE(successors.first()->projectData()->appDevices().size(), 0);
        QCOMPARE(successors.first()->windowTitle(), QStringLiteral("Velmora"));
    }
}

void TestMainWindow::failedOpenKeepsProject_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << QByteArray() << "Data format is invalid\n";
    QTest::newRow("not JSON") << QByteArray("{ not json") << "Data format is invalid\n";
    QTest::newRow("bad title")
        << QByteArray(R"({"version":1,"title":"a&b","author":"","dealer":"","comment":"",)"
                      R"("devices":[]})")
        << "The following parameter value is invalid\n[title]\n";
}

void TestMainWindow::failedOpenKeepsProject()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString good = writeProjectFile(m_files.path(), "good.vlmproj", "Good", {"x", "y"});
    const QString bad = content.isEmpty()
                            ? QDir(m_files.path()).filePath(QStringLiteral("absent.vlmproj"))
                            : writeRawFile(m_files.path(), "bad.vlmproj", content);
    QovMainWindow *window = shownWindow();
    QVERIFY(window);
    QVERIFY(openAndWait(window, good));
    QovProjectDataModel *before = window->projectData();
    const QString title = window->windowTitle();
    const QList<QovZephSettingView *> pages = window->devicePages();

    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    QVERIFY(openAndWait(window, bad));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seenLines(), QStringList(QStringLiteral("Error: ") + message));
    QCOMPARE(window->projectData(), before);
    QCOMPARE(window->devicePages(), pages);
    QCOMPARE(window->count(), 3);
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(QovPersistentDataModel::instance()->recentFiles().value(0), good);
}

void TestMainWindow::busyWindowKeepsOnlyExit()
{
    QovMainWindow *window = shownWindow(true);
    QVERIFY(window);
    auto *overlay = window->findChild<QovProgressView *>();
    QVERIFY(overlay);

    overlay->show();
    QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);
    QTest::qWait(100);
    QVERIFY(!QApplication::activeModalWidget());
    // Exit is kept, the one way out of a long transfer: it asks, and waits for the end.
    {
        ModalAnswerer answerer;
        answerer.pressButton(QStringLiteral("Cancel"));
        QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
        QVERIFY2(answerer.seenLines().value(0).startsWith(
                     QStringLiteral("Exit: Velmora is busy with the mixers.")),
                 qPrintable(answerer.seenLines().join('|')));
        QVERIFY(window->isVisible());
    }

    overlay->hide();
    // Window shortcuts need the window active again after the question.
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("Cancel"));
    QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seenLines().value(0), QStringLiteral("Exit: Really exit Velmora?\n"));
    QVERIFY(window->isVisible());
}

// Edits the automatic copy cannot take are lost in a crash: the user hears of it when the copy
// begins to fail, with the reason, and not again for every edit after.
void TestMainWindow::unwritableAutosaveIsToldOnce()
{
    const QString file = writeProjectFile(m_files.path(), "unprotected.vlmproj", "Unprotected");
    QovMainWindow *window = shownWindow();
    QVERIFY(openAndWait(window, file));
    QovProjectDataModel *project = window->projectData();
    project->waitForAutosave();
    QFile::remove(project->autosavePath());
    QVERIFY(QDir().mkpath(project->autosavePath()));

    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    project->setProjectName(QStringLiteral("First"));
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    const QString popup = answerer.seenLines().value(0);
    QVERIFY2(popup.startsWith("Caution: Velmora cannot keep the automatic copy of this project:\n" +
                              project->autosavePath() +
                              " is not a regular file\n\nUntil it "
                              "can, a crash or a power cut loses the changes"),
             qPrintable(popup));
    project->setProjectName(QStringLiteral("Second"));
    project->waitForAutosave();
    QTest::qWait(100);
    QCOMPARE(answerer.seen().size(), 1);
    QVERIFY(QDir(project->autosavePath()).removeRecursively());
    project->setIsEdited(false);
}

int main(int argc, char *argv[])
{
    // The settings pages' web engine shares the GL context with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
