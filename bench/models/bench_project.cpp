// Loading and saving a large project against a bare JSON parse and a bare serialise-and-write
// of the same file, measured in one run; the longest time the GUI thread's event loop went
// without running while the project is edited quickly with autosave running, beside the same
// figure with the program idle (the machine's own load). With
// --kills N, the long run of the kill test instead: N kills of a process that edits, autosaves
// and saves, each followed by a check of the files it left.
#include "models/qovprojectdatamodel.h"
#include "projectgenerator.h"
#ifdef VELMORA_KILLCHECK
#include "projectkillcheck.h"
#include "stallmeter.h"
#endif

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

namespace {
constexpr int runs = 3;
constexpr int devices = 256;
constexpr int edits = 100;
constexpr int editIntervalMs = 10;
constexpr int tickMs = 2;

// Best of a few runs, in milliseconds: the least disturbed by other work on the machine.
// `settle` runs untimed after each run, so that background work of one run does not slow
// the next.
double bestOf(const std::function<void()> &work, const std::function<void()> &settle = {})
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = qMin(best, timer.nsecsElapsed() / 1e6);
        if (settle) {
            settle();
        }
    }
    return best;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray tail(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    file.seek(qMax<qint64>(0, file.size() - 64));
    return file.readAll();
}

struct EditingFigures
{
    qint64 longestStallMs = 0;
    qint64 longestEditMs = 0;
    qint64 lastEditToDiskMs = -1;
};

// The same meter with nothing of ours running: what the machine's other load costs alone.
qint64 idleStall(int durationMs)
{
    StallMeter meter(tickMs);
    QTimer::singleShot(durationMs, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    return meter.longestMs();
}

// Edits spread over the devices at a typing pace, on the GUI thread, while a ticker notes how
// late the event loop runs. The last edit sets a title that ends the file, so a cheap look at
// the file's end tells when the autosave copy holds it.
EditingFigures editQuickly(QovProjectDataModel &project)
{
    EditingFigures figures;
    QElapsedTimer clock;
    clock.start();
    qint64 lastEdit = -1;
    StallMeter meter(tickMs);
    const QVector<QovAppDeviceModel> list = project.appDevices();
    int done = 0;
    QTimer editor;
    editor.setTimerType(Qt::PreciseTimer);
    QObject::connect(&editor, &QTimer::timeout, [&] {
        const QovAppDeviceModel &device = list.at((done * 37) % list.size());
        const QString text = QStringLiteral("{\"edit\":%1,\"fill\":\"%2\"}")
                                 .arg(done)
                                 .arg(QString(8000, QLatin1Char('e')));
        QElapsedTimer editTime;
        editTime.start();
        switch (done % 3) {
        case 0:
            device->setZephDataPreset(done % 8, text);
            break;
        case 1:
            device->setZephDataPartialPreset(done % 40, text.left(20) + QStringLiteral("\"}"));
            break;
        default:
            device->setZephDataCurrent(text);
        }
        figures.longestEditMs = qMax(figures.longestEditMs, editTime.elapsed());
        if (++done == edits) {
            project.setProjectName(QStringLiteral("Final"));
            lastEdit = clock.elapsed();
            editor.stop();
        }
    });
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (lastEdit >= 0 && tail(project.autosavePath()).contains("\"title\":\"Final\"")) {
            figures.lastEditToDiskMs = clock.elapsed() - lastEdit;
            QCoreApplication::quit();
        } else if (clock.elapsed() > 120000) {
            QCoreApplication::quit();
        }
    });
    editor.start(editIntervalMs);
    watcher.start(20);
    QCoreApplication::exec();
    figures.longestStallMs = meter.longestMs();
    return figures;
}

int runKills(int kills)
{
#ifdef VELMORA_KILLCHECK
    QTemporaryDir folder;
    const projectkillcheck::Outcome outcome =
        projectkillcheck::run(QStringLiteral(VELMORA_PROJECTSAVELOOP), folder.path(), kills);
    std::printf("kills: %d\nkills after a save: %d\nautosave copies checked: %d\n", outcome.kills,
                outcome.afterSaves, outcome.autosaveCopiesChecked);
    if (!outcome.problem.isEmpty()) {
        std::printf("incomplete file: %s\n", qPrintable(outcome.problem));
    }
#else
    Q_UNUSED(kills)
    std::printf("kills: not built (needs the tests)\n");
#endif
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir folder;
    // Keep the default project and the settings of the real user out of reach.
    qputenv("XDG_DATA_HOME", folder.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    qSetMessagePattern(QStringLiteral("%{if-debug}%{endif}%{if-warning}%{message}%{endif}"));
    const QStringList arguments = app.arguments();
    const int killsAt = arguments.indexOf(QStringLiteral("--kills"));
    if (killsAt > 0) {
        return runKills(arguments.value(killsAt + 1).toInt());
    }

    const QByteArray text = projectgenerator::projectFile(devices);
    const QString file = folder.filePath(QStringLiteral("big.vlmproj"));
    if (!writeBytes(file, text)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 0;
    }
    std::printf("project devices: %d\nproject size: %.1f MB\n", devices, text.size() / 1e6);

    const double bareParse = bestOf([&] {
        QFile in(file);
        in.open(QIODevice::ReadOnly);
        const QJsonDocument doc = QJsonDocument::fromJson(in.readAll());
        Q_UNUSED(doc)
    });
    std::unique_ptr<QovProjectDataModel> model;
    // The autosave copy that every load writes runs in the background; it is let finish
    // between runs so that it does not slow the next one.
    const double load = bestOf(
        [&] {
            auto [loaded, error] = loadProject(file);
            model.reset(loaded);
        },
        [&] {
            if (model) {
                model->waitForAutosave();
            }
        });
    if (!model) {
        std::fprintf(stderr, "the generated project did not load\n");
        return 0;
    }

    const qint64 idle = idleStall(edits * editIntervalMs + 1000);
    const EditingFigures editing = editQuickly(*model);
    model->waitForAutosave();

    const double autosave = bestOf([&] { model->autosave(); });
    const QJsonDocument parsed = QJsonDocument::fromJson(text);
    const QString bareTarget = folder.filePath(QStringLiteral("bare.vlmproj"));
    const double bareSave =
        bestOf([&] { writeBytes(bareTarget, parsed.toJson(QJsonDocument::Compact)); });
    int copy = 0;
    const double save = bestOf(
        [&] { model->saveTo(folder.filePath(QStringLiteral("saved-%1.vlmproj").arg(++copy))); });

    std::printf("bare parse: %.1f ms\nload: %.1f ms\n", bareParse, load);
    std::printf("longest gui stall while editing: %lld ms\n",
                static_cast<long long>(editing.longestStallMs));
    std::printf("longest gui stall while idle: %lld ms\n", static_cast<long long>(idle));
    std::printf("longest edit on the gui thread: %lld ms\n",
                static_cast<long long>(editing.longestEditMs));
    std::printf("last edit to autosave on disk: %lld ms\n",
                static_cast<long long>(editing.lastEditToDiskMs));
    std::printf("autosave: %.1f ms\n", autosave);
    std::printf("bare serialise and write: %.1f ms\nsave: %.1f ms\n", bareSave, save);
    std::printf("load ratio: %.2f\nsave ratio: %.2f\n", load / bareParse, save / bareSave);
    return 0;
}
