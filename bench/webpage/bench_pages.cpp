// Opens a 256-device project in the main window with its settings pages, then shows 20 device
// pages one after another, the way an installer walks through a large project.
//
// Prints the time from openProjectFile() until the project page is usable (the main window is
// made and shown first, and its making is reported on its own, as is the web engine's start),
// the longest stall of the GUI thread while opening (up to the rows being listed) and while
// paging, the resident memory of the whole process tree (the program and the web engine's helpers)
// after opening and after the 20 pages, and the time from setCurrentPage(n) until page n shows its
// data (the settings page gives its body the class "ready" once it has drawn the device's data).

#include "benchprobes.h"
#include "projectgenerator.h"
#include "stallmeter.h"
#include "tempprofile.h"

#include "app/qovmainwindow.h"
#include "models/qovtextfile.h"
#include "webpage/qovwebenginearguments.h"
#include "webpage/qovwebengineconfig.h"
#include "webpage/qovzephsettingview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int DEVICES = 256;
constexpr int PAGES_SHOWN = 20;
constexpr int PAGE_TIMEOUT_MS = 15000;

void print(const char *name, double value, const char *unit)
{
    std::printf(*unit ? "%s: %.0f %s\n" : "%s: %.0f%s\n", name, value, unit);
    std::fflush(stdout);
}

// Runs the event loop until `done` holds; false after timeoutMs.
template<typename Condition>
bool waitUntil(Condition done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // --renderer-per-page: the web engine's default, one renderer process per page, to compare.
    const bool rendererPerPage = argc > 1 && std::strcmp(argv[1], "--renderer-per-page") == 0;
    QovWebEngineArguments engineArguments(argc, argv);
    QApplication app(rendererPerPage ? argc : engineArguments.argc(),
                     rendererPerPage ? argv : engineArguments.argv());
    // As the program does at start-up, before its first window; reported on its own.
    QElapsedTimer engineClock;
    engineClock.start();
    qovStartWebEngine();
    const qint64 engineStartMs = engineClock.elapsed();
    app.setStyleSheet(loadTextFile(QStringLiteral(":/styles.qss")));
    // Diagnostics of 256 pages would drown the figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type >= QtWarningMsg && !text.startsWith(QLatin1String("js:"))) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    });

    TempProfile profile;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.vlmproj"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(projectgenerator::projectFile(DEVICES)) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }

    // The window the project opens in, as the user has it on screen before opening a file.
    QElapsedTimer windowClock;
    windowClock.start();
    auto *window = new QovMainWindow();
    window->show();
    const qint64 windowMs = windowClock.elapsed();
    idle(500);

    StallMeter stall(5);
    QElapsedTimer clock;
    clock.start();
    qint64 installedMs = -1;
    QObject::connect(window, &QovMainWindowBase::projectDataChanged, window,
                     [&] { installedMs = clock.elapsed(); });
    window->openProjectFile(path);
    const bool opened =
        waitUntil([window] { return window->count() == DEVICES + 1 && !window->isBusy(); }, 60000);
    // Usable: the pages are in place and the event loop answers again.
    idle(0);
    const qint64 usableMs = clock.elapsed();
    if (!opened) {
        std::fprintf(stderr, "the project did not open (%d pages)\n", window->count());
        return 1;
    }
    // The user looks at the project page, which lists its rows meanwhile, before opening a
    // device; stalls until then belong to opening.
    idle(1500);
    const qint64 openingStall = stall.longestMs();
    print("devices", DEVICES, "");
    print("web engine start (once, before the first window)", engineStartMs, "ms");
    print("main window made and shown (before opening)", windowMs, "ms");
    print("renderer per page", rendererPerPage ? 1 : 0, "");
    print("project installed", installedMs, "ms");
    print("project usable", usableMs, "ms");
    print("longest gui stall opening", openingStall, "ms");

    const benchprobes::TreeMemory afterOpening = benchprobes::processTreeMemory();
    print("memory after opening", afterOpening.rssMiB, "MiB");
    print("memory after opening pss", afterOpening.pssMiB, "MiB");
    print("processes after opening", afterOpening.processes, "");
    // Reading the memory figures takes the GUI thread too; it is the bench's, not the program's.
    stall.reset();

    QVector<qint64> shown;
    for (int i = 0; i < PAGES_SHOWN; ++i) {
        const int n = 2 + i * (DEVICES - 2) / (PAGES_SHOWN - 1);
        QElapsedTimer pageClock;
        pageClock.start();
        window->setCurrentPage(n);
        auto *page = qobject_cast<QovZephSettingView *>(window->widget(n));
        if (!page || !page->webView() ||
            !benchprobes::waitPageReady(page->webView(), PAGE_TIMEOUT_MS)) {
            std::fprintf(stderr, "page %d did not show its data\n", n);
            return 1;
        }
        shown << pageClock.elapsed();
    }
    const benchprobes::TreeMemory afterPages = benchprobes::processTreeMemory();
    const qint64 pagingStall = stall.longestMs();

    QVector<qint64> sorted = shown;
    std::sort(sorted.begin(), sorted.end());
    print("longest gui stall paging", pagingStall, "ms");
    print("longest gui stall", std::max(openingStall, pagingStall), "ms");
    print("memory after 20 pages", afterPages.rssMiB, "MiB");
    print("memory after 20 pages pss", afterPages.pssMiB, "MiB");
    print("processes after 20 pages", afterPages.processes, "");
    print("first page shown", shown.first(), "ms");
    print("page shown median", sorted.at(sorted.size() / 2), "ms");
    print("page shown max", sorted.last(), "ms");

    // The settings views' own share of opening: making all 256 without their web views.
    const QVector<QovAppDeviceModel> devices = window->projectData()->appDevices();
    QElapsedTimer viewsClock;
    viewsClock.start();
    QList<QovZephSettingView *> views;
    for (int i = 0; i < devices.size(); ++i) {
        views << new QovZephSettingView(devices.at(i), i + 1, window);
    }
    print("settings views made (256)", viewsClock.elapsed(), "ms");
    qDeleteAll(views);

    delete window;
    return 0;
}
