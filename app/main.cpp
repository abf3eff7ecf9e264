#include "app/qovinstancelock.h"
#include "app/qovmainwindow.h"
#include "app/qovrecoveryprompt.h"
#include "app/qovterminationwatcher.h"
#include "app/qovtopwindow.h"
#include "device/qovcurlrequest.h"
#include "device/qovkeepalivethread.h"
#include "dialogs/qovpopups.h"
#include "dialogs/qovversioninfodialog.h"
#include "discovery/qovonlinedevicefinder.h"
#include "models/qovprogramsettingsmodel.h"
#include "models/qovqtcompat.h"
#include "models/qovrecovery.h"
#include "models/qovtextfile.h"
#include "models/qovworkerpool.h"
#include "webpage/qovwebenginearguments.h"
#include "webpage/qovwebengineconfig.h"

#include <QApplication>
#include <QDebug>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

namespace {

// The program's and Qt's versions on standard output, for bug reports and packaging checks.
void printVersion()
{
    const QString text = QStringLiteral("Velmora ") + QovVersionInfoDialog::programVersion() +
                         QLatin1Char('\n') + QovVersionInfoDialog::qtVersionText() +
                         QLatin1Char('\n');
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

const char kUsage[] = "Usage: velmora [PROJECT-FILE]\n"
                      "Sets up networked ZEPH-2208 mixers as one project.\n"
                      "\n"
                      "  PROJECT-FILE  a project (.vlmproj) to open at once\n"
                      "  --help        show this text and exit\n"
                      "  --version     show the program's and Qt's versions and exit\n"
                      "\n"
                      "velmora-cli backs mixers up, restores and compares them without a window.\n";

// The answer to an argument that asks for text rather than a window, or -1 to start. An
// option the program does not know would otherwise be opened as a project file and reported
// as unreadable, which sends the user looking for a file; a file that really is named so
// still opens.
int answerWithoutStarting(int argc, char *argv[])
{
    if (argc != 2) {
        return -1;
    }
    const char *argument = argv[1];
    if (std::strcmp(argument, "--version") == 0) {
        printVersion();
        return 0;
    }
    if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argument[0] == '-' && !QFileInfo::exists(QString::fromUtf8(argument))) {
        std::fprintf(stderr, "velmora: unknown option %s\n\n", argument);
        std::fputs(kUsage, stderr);
        return 2;
    }
    return -1;
}

void showFirstWindow(int argc, char *argv[])
{
    const QString defaultProject = QovProjectDataModel::defaultProjectPath();
    if (argc == 2) {
        auto *window = new QovMainWindow();
        window->show();
        window->openProjectFile(QFileInfo(QString::fromUtf8(argv[1])).absoluteFilePath());
        // The file comes first; edits a crash left in the never-saved project are only kept
        // aside, so that a new project in this run cannot overwrite them. The next start
        // without a file offers them.
        qovWorkerPool()->start(
            [defaultProject] { QovRecovery::keepUnsavedChanges(defaultProject); });
        return;
    }
    qovOfferUnsavedChanges(qApp, defaultProject, [defaultProject](const QString &keptPath) {
        if (!keptPath.isEmpty()) {
            auto *window = new QovMainWindow();
            window->show();
            window->restoreUnsavedChanges(defaultProject, keptPath);
            return;
        }
        // Two or more arguments are treated like none: the start page setting decides.
        const bool topPageVisible = QovProgramSettingsModel().topPageVisible();
        if (topPageVisible) {
            (new QovTopWindow())->show();
        } else {
            (new QovMainWindow())->show();
        }
    });
}

// After a termination signal the loop ends with the windows still open. They go before the
// application does: a settings page still alive when the web engine's profile is released with
// the application crashes the engine on the way out. Only the program's own windows are
// deleted here; what they own (dialogs, menus without a parent) goes with them.
void deleteWindows()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QovMainWindowBase *>(window) || qobject_cast<QovTopWindow *>(window)) {
            windows.append(window);
        }
    }
    for (const QPointer<QWidget> &window : std::as_const(windows)) {
        delete window.data();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A termination signal ends the loop at once; a transfer in flight still ends before the
// windows and the instance lock go, or the next start would find the mixers half written.
// Meanwhile no question waits for an answer.
void waitForBusyWindows()
{
    const auto busy = [] {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::any_of(windows.cbegin(), windows.cend(), [](QWidget *window) {
            const auto *main = qobject_cast<QovMainWindow *>(window);
            return main && main->isWorking();
        });
    };
    if (!busy()) {
        return;
    }
    qDebug() << "exit waits for the transfer in flight";
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        // Nobody answers a question now: one that the ending work asks is closed unanswered.
        if (QWidget *modal = QApplication::activeModalWidget()) {
            qDebug() << "exit closes" << modal->windowTitle();
            modal->close();
        }
        if (!busy()) {
            loop.quit();
        }
    });
    poll.start(100);
    loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // Answered before anything starts: no display, no lock, no window.
    if (const int answered = answerWithoutStarting(argc, argv); answered >= 0) {
        return answered;
    }
    QovQtCompat::enableHighDpiScaling();
    QApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    // The settings pages' web engine shares its GL context with the widgets, and reads its
    // own settings once, before the application object exists.
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts, true);
    QovWebEngineArguments engineArguments(argc, argv);

    auto app = std::make_unique<QApplication>(engineArguments.argc(), engineArguments.argv());
    qovStartWebEngine();
    QovTerminationWatcher terminationWatcher;
    app->setStyleSheet(loadTextFile(QStringLiteral(":/styles.qss")));

    QovInstanceLock lock;
    if (!lock.tryAcquire()) {
        qDebug() << "already run";
        qovShowError(QStringLiteral("Caution"), QStringLiteral("Velmora is already running"));
        app.reset();
        return 1;
    }
    qDebug() << QThread::currentThreadId() << "!!!!!!!VLM START!!!!!!!";

    QTranslator translator;
    if (!translator.load(QStringLiteral("velmora_en.qm"), QStringLiteral(":/translations"))) {
        qDebug() << "cannot load translation";
    }
    app->installTranslator(&translator);

    QovOnlineDeviceFinder *finder = QovOnlineDeviceFinder::instance();
    finder->start();
    finder->refresh();

    showFirstWindow(argc, argv);

    const int code = app->exec();
    qDebug() << "exit" << code;
    waitForBusyWindows();
    deleteWindows();
    // No transfer runs any more; what is still out (keep-alive passes, a mixer asked again)
    // is given up rather than waited for.
    QovCurlRequest::abortInFlight();
    QovKeepAliveThread::waitForRetired(15000);
    lock.release();
    app->removeTranslator(&translator);
    app.reset();
    return code;
}
