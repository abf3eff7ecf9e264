// Time from QovMainWindow::openProjectFile() on a 256-device project until the project page
// lists every row, and the longest time the GUI thread's event loop went without running
// meanwhile. Reading and parsing run on a worker; what the GUI thread does with the result
// (rows, pages) shows as a stall here. The settings pages are made but not shown.
#include "app/qovmainwindow.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovtextfile.h"
#include "projectgenerator.h"
#include "stallmeter.h"
#include "tempprofile.h"
#include "views/qovprojectview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int kDevices = 256;
constexpr int kTickMs = 2;
constexpr int kDeadlineMs = 60000;
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &msg) {
        if (type != QtDebugMsg && type != QtInfoMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(msg));
        }
    });
    app.setStyleSheet(loadTextFile(QStringLiteral(":/styles.qss")));

    TempProfile profile;
    const QString path = QDir(profile.path()).filePath(QStringLiteral("bench.vlmproj"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(projectgenerator::projectFile(kDevices)) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const qint64 fileBytes = file.size();
    file.close();

    auto *window = new QovMainWindow();
    window->show();
    auto *projectView = window->findChild<QovProjectView *>();
    auto *list = projectView->deviceList();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500) {
        app.processEvents();
    }

    QElapsedTimer clock;

    qint64 listedMs = -1;
    qint64 installedMs = -1;
    QObject::connect(window, &QovMainWindow::projectDataChanged,
                     [&] { installedMs = clock.elapsed(); });
    QObject::connect(projectView, &QovProjectView::rowsListed, [&] {
        if (list->count() == kDevices) {
            // Counted once the rows have been laid out and painted.
            QTimer::singleShot(0, [&] {
                listedMs = clock.elapsed();
                // A little longer, to catch stalls right after the rows are there.
                QTimer::singleShot(300, &app, &QCoreApplication::quit);
            });
        }
    });
    QTimer::singleShot(kDeadlineMs, &app, &QCoreApplication::quit);

    clock.start();
    StallMeter stall(kTickMs);
    window->openProjectFile(path);
    app.exec();

    if (listedMs < 0) {
        std::printf("rows listed after %d s: %d of %d\n", kDeadlineMs / 1000, list->count(),
                    kDevices);
        return 1;
    }
    std::printf("project file: %lld bytes\n", static_cast<long long>(fileBytes));
    std::printf("open to %d rows listed: %lld ms\n", kDevices, static_cast<long long>(listedMs));
    std::printf("open to project installed (file read on a worker): %lld ms\n",
                static_cast<long long>(installedMs));
    std::printf("project installed to rows listed: %lld ms\n",
                static_cast<long long>(listedMs - installedMs));
    std::printf("longest gui stall: %lld ms\n", static_cast<long long>(stall.longestMs()));

    // The GUI thread's share alone: installing an already loaded project once more.
    QovProjectDataModel *again = std::get<0>(loadProject(path));
    QElapsedTimer install;
    install.start();
    window->setProjectData(again);
    std::printf("setProjectData of a loaded project on the gui thread: %lld ms\n",
                static_cast<long long>(install.elapsed()));
    window->hide();
    delete window;
    return 0;
}
