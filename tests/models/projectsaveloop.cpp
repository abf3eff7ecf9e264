// Saves one project over and over until it is killed; tst_projectsave kills it at random
// moments and checks that the project file always loads.
#include "models/qovprojectdatamodel.h"

#include <QCoreApplication>
#include <cstdio>

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
    std::printf("ready\n");
    std::fflush(stdout);
    // Texts of changing size, so that a torn file would not parse.
    for (quint64 round = 1;; ++round) {
        project.setProjectName(round % 2 ? QStringLiteral("Odd") : QStringLiteral("Even"));
        const QString blob(int(round % 7 + 1) * 20000, QLatin1Char('a' + char(round % 26)));
        project.appDevices().at(round % 8)->setZephDataCurrent(
            QStringLiteral("{\"blob\":\"%1\"}").arg(blob));
        if (!project.saveTo(path)) {
            return 1;
        }
    }
}
