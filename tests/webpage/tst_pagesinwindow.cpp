// Settings pages inside the application's main window: a fatal report ends the project, and a
// download a page starts is saved where the user chooses.

#include "modalanswerer.h"
#include "models/qovautosaver.h"
#include "pagetestutil.h"
#include "tempprofile.h"

#include "app/qovmainwindow.h"
#include "app/qovtopwindow.h"
#include "webpage/qovjsapi.h"
#include "webpage/qovwebengineconfig.h"
#include "webpage/qovzephsettingview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

using pagetest::evalJs;

class TestPagesInWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void initTestCase();
    void init();
    void cleanup();

    void pagesFollowTheProject();
    void pageFollowsTheWindowSize();
    void pageIsDrawn();
    void freshPageNeverFlashesLight();
    void softwareFramesReuseFreedMemory();
    void reportFatalClosesWithoutTheSaveQuestion();
    void downloadSavedWhereTheUserChooses();

private:
    QovZephSettingView *page(int n) const
    {
        return qobject_cast<QovZephSettingView *>(m_window->widget(n));
    }
    QWebEnginePage *webPage(int n) const { return page(n)->webView()->page(); }

    std::unique_ptr<TempProfile> m_profile;
    QPointer<QovMainWindow> m_window;
    QVector<QovAppDeviceModel> m_devices;
};

void TestPagesInWindow::initTestCase()
{
    // The web engine as the program starts it, with the renderer it picks for this display.
    qovStartWebEngine();
    pagetest::installPage(QStringLiteral("bridge.html"));
}

void TestPagesInWindow::init()
{
    m_profile = std::make_unique<TempProfile>();
    m_window = new QovMainWindow;
    m_devices = {pagetest::device(QStringLiteral("Stage")),
                 pagetest::device(QStringLiteral("Bar"))};
    auto *project = new QovProjectDataModel;
    project->setAppDevices(m_devices);
    m_window->setProjectData(project);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_window->setCurrentPage(1);
    QVERIFY(page(1) && page(1)->webView());
    QVERIFY(pagetest::waitReady(page(1)->webView()));
}

void TestPagesInWindow::cleanup()
{
    // Closing a project leaves a successor window; none may outlive its test.
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QovMainWindow *>(w) || qobject_cast<QovTopWindow *>(w)) {
            windows << w;
        }
    }
    for (const QPointer<QWidget> &w : std::as_const(windows)) {
        if (w) {
            w->hide();
            delete w.data();
        }
    }
    m_profile.reset();
}

void TestPagesInWindow::pagesFollowTheProject()
{
    // Stack page k shows the k-th device; entering it took the snapshot a roll-back returns to.
    QCOMPARE(page(2)->device(), m_devices.at(1));
    const QStringList presets = m_devices.at(0)->zephDataPreset();
    evalJs(webPage(1), "state.level = 2; api.zephDataChanged(2, 0)");
    QTRY_VERIFY(m_devices.at(0)->zephDataPreset() != presets);
    evalJs(webPage(1), "api.rollBack()");
    QTRY_COMPARE(m_devices.at(0)->zephDataPreset(), presets);

    // The page moves the window, and the bridges follow.
    evalJs(webPage(1), "api.gotoDevice(1)");
    QTRY_COMPARE(m_window->currentPage(), 2);
    QCOMPARE(page(1)->jsApi()->selectedDevice(), 1);
}

void TestPagesInWindow::pageFollowsTheWindowSize()
{
    m_window->resize(900, 520);
    QTRY_COMPARE(page(1)->webView()->size(), m_window->size());
    QTRY_COMPARE(evalJs(webPage(1), "window.innerWidth").toInt(), 900);
    // A page never shown yet is made at the window's size too.
    m_window->setCurrentPage(2);
    QCOMPARE(page(2)->webView()->size(), QSize(900, 520));
}

void TestPagesInWindow::pageIsDrawn()
{
    // What the page paints reaches the window, whichever renderer draws it.
    evalJs(webPage(1), "document.body.style.background = 'rgb(200, 40, 20)'");
    QWebEngineView *view = page(1)->webView();
    const auto centre = [this, view] {
        return m_window->grab().toImage().pixelColor(view->mapTo(m_window, view->rect().center()));
    };
    QTRY_COMPARE(centre(), QColor(200, 40, 20));
}

void TestPagesInWindow::freshPageNeverFlashesLight()
{
    // With the program's style sheet, a page opened afresh is dark from its first frame to its
    // last: before its web view is shown, before the engine's first frame, and where the page
    // draws no background of its own (this test page draws none).
    QFile sheet(QStringLiteral(":/styles.qss"));
    QVERIFY(sheet.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    m_window->setCurrentPage(2);
    int lightFrames = 0;
    int frames = 0;
    QElapsedTimer sinceReady;
    for (QElapsedTimer timer; frames == 0 || timer.elapsed() < 15000; QTest::qWait(3)) {
        if (frames == 0) {
            timer.start();
        }
        const QImage image = m_window->grab().toImage();
        ++frames;
        bool light = false;
        for (int y = 0; y < image.height() && !light; y += 16) {
            for (int x = 0; x < image.width() && !light; x += 16) {
                light = image.pixelColor(x, y).lightness() > 128;
            }
        }
        lightFrames += light;
        const QWebEngineView *view = page(2)->webView();
        if (!sinceReady.isValid() && view && view->title() == QLatin1String("ready")) {
            sinceReady.start();
        }
        if (sinceReady.isValid() && sinceReady.elapsed() > 300) {
            break;
        }
    }
    qApp->setStyleSheet(QString());
    QVERIFY(sinceReady.isValid());
    QVERIFY2(lightFrames == 0, qPrintable(QStringLiteral("%1 of %2").arg(lightFrames).arg(frames)));
}

void TestPagesInWindow::softwareFramesReuseFreedMemory()
{
    // Drawn in software, every page frame is copied into a new view-sized image. Such a block,
    // freed and taken again, must come back from the heap, not as fresh pages to fault in.
    if (qgetenv("QT_QUICK_BACKEND") != "software") {
        QSKIP("pages are drawn with OpenGL here");
    }
    const auto faults = [] {
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        return usage.ru_minflt;
    };
    const size_t frameBytes = 1920 * 1080 * 4;
    static void *volatile frame = nullptr;
    frame = std::malloc(frameBytes);
    std::memset(frame, 1, frameBytes);
    std::free(frame);
    const long before = faults();
    frame = std::malloc(frameBytes);
    std::memset(frame, 2, frameBytes);
    const long faulted = faults() - before;
    std::free(frame);
    // Fresh pages would fault about 2,000 times (4 KiB each).
    QVERIFY2(faulted < 200, qPrintable(QString::number(faulted)));
}

void TestPagesInWindow::reportFatalClosesWithoutTheSaveQuestion()
{
    m_window->projectData()->setIsEdited(true);
    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK")); // the fatal error
    answerer.pressButton(QStringLiteral("OK")); // "Really close project?"
    evalJs(webPage(1), "api.reportFatal('page state lost')");
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QTRY_VERIFY(m_window.isNull());

    QCOMPARE(answerer.seen().size(), 2);
    QCOMPARE(answerer.seen().at(0).title, QStringLiteral("Error"));
    QCOMPARE(answerer.seen().at(0).text.trimmed(),
             QStringLiteral("FATAL Error on 'Stage':\npage state lost"));
    // The edited project was dropped without the save question.
    QCOMPARE(answerer.seen().at(1).title, QStringLiteral("Close Project"));
    // A successor took the closed window's place.
    const QWidgetList windows = QApplication::topLevelWidgets();
    QVERIFY(std::any_of(windows.begin(), windows.end(), [](QWidget *w) {
        return w->isVisible() &&
               (qobject_cast<QovMainWindow *>(w) || qobject_cast<QovTopWindow *>(w));
    }));
}

void TestPagesInWindow::downloadSavedWhereTheUserChooses()
{
    QTemporaryDir target;
    const QString chosen = target.filePath(QStringLiteral("stage preset.json"));
    ModalAnswerer answerer;
    answerer.chooseFile(chosen);
    evalJs(webPage(1), "startDownload('preset.json', '{\"gain\":3}')");
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seen().first().title, QStringLiteral("Save as"));
    const auto saved = [&chosen] {
        QFile file(chosen);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QTRY_COMPARE(saved(), QByteArray("{\"gain\":3}"));
    // The page is still the one shown.
    QCOMPARE(page(1)->webView()->url(), page(1)->pageUrl());

    // Cancelling the dialog saves nothing.
    answerer.chooseFile(QString());
    evalJs(webPage(1), "startDownload('other.json', '{}')");
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QTest::qWait(300);
    QCOMPARE(QDir(target.path()).entryList(QDir::Files), QStringList{"stage preset.json"});
}

QTEST_MAIN(TestPagesInWindow)
#include "tst_pagesinwindow.moc"
