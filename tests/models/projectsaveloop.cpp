// Edits and saves one project over and over until it is killed: edits on the main thread,
// downloads into its devices on a worker thread, autosaves in the background and a save every
// few edits. projectkillcheck kills it at random moments and checks the files it leaves.
#include "models/qovprojectdatamodel.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {
// Texts of changing size, so that a torn file would not parse.
QString blob(quint64 round, const char *key)
{
    const QString fill(int(round % 7 + 1) * 700, QLatin1Char('a' + char(round % 26)));
    return QStringLiteral("{\"%1\":\"%2\"}").arg(QLatin1String(key), fill);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: projectsaveloop FILE\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QovProjectDataModel project;
    project.setSavePath(path);
    project.setProjectName(QStringLiteral("Start"));
    for (int i = 0; i < 8; ++i) {
        auto device = std::make_shared<QovAppDeviceModelInternal>();
        device->setDeviceName(QStringLiteral("Mixer %1").arg(i));
        project.addDevice(device);
    }
    if (!project.saveTo(path)) {
        return 1;
    }
    const QVector<QovAppDeviceModel> devices = project.appDevices();
    std::thread download([devices] {
        for (quint64 round = 1;; ++round) {
            const QovAppDeviceModel &device = devices.at(round % 8);
            device->setZephDataPreset(QVector<QString>(8, blob(round, "preset")).toList());
            device->setZephDataPartialPreset(int(round % 40), blob(round, "partial"));
            device->setDeviceId(int(round % 256));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    download.detach();

    quint64 round = 0;
    QTimer edits;
    QObject::connect(&edits, &QTimer::timeout, [&] {
        ++round;
        project.setProjectName(round % 2 ? QStringLiteral("Odd") : QStringLiteral("Even"));
        devices.at(round % 8)->setZephDataCurrent(blob(round, "current"));
        // Saved first at once, then seldom enough for autosaves to happen in between.
        if (round % 100 == 1 && !project.saveTo(path)) {
            std::exit(1);
        }
    });
    edits.start(2);
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
