// Loading and saving a large project against a bare JSON parse and a bare serialise-and-write
// of the same file, measured in one run.
#include "models/qovprojectdatamodel.h"
#include "projectgenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <memory>

namespace {
constexpr int runs = 3;

// Best of a few runs, in milliseconds: the least disturbed by other work on the machine.
double bestOf(const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = qMin(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
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

    const int devices = 256;
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
    const double load = bestOf([&] {
        auto [loaded, error] = loadProject(file);
        model.reset(loaded);
    });
    if (!model) {
        std::fprintf(stderr, "the generated project did not load\n");
        return 0;
    }

    // Part of every load: the autosave copy written beside the opened file.
    const double autosave = bestOf([&] { model->autosave(); });
    const QJsonDocument parsed = QJsonDocument::fromJson(text);
    const QString bareTarget = folder.filePath(QStringLiteral("bare.vlmproj"));
    const double bareSave =
        bestOf([&] { writeBytes(bareTarget, parsed.toJson(QJsonDocument::Compact)); });
    int copy = 0;
    const double save = bestOf(
        [&] { model->saveTo(folder.filePath(QStringLiteral("saved-%1.vlmproj").arg(++copy))); });

    std::printf("bare parse: %.1f ms\nload: %.1f ms\n", bareParse, load);
    std::printf("autosave: %.1f ms\n", autosave);
    std::printf("bare serialise and write: %.1f ms\nsave: %.1f ms\n", bareSave, save);
    std::printf("load ratio: %.2f\nsave ratio: %.2f\n", load / bareParse, save / bareSave);
    return 0;
}
