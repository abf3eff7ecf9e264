// Time that one keep-alive pass over 256 connected simulated mixers takes, and how many of
// them a pass marked MISSING although every mixer answers (there should be none).
#include "device/qovkeepalivethread.h"
#include "device/qovwatchedproject.h"
#include "mixersimprocess.h"
#include "privatenetwork.h"
#include "tempprofile.h"

#include "benchlog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <memory>

namespace {
constexpr int kMixers = 256;
constexpr int kPasses = 3;

QString addressOf(int i)
{
    // 127.0.1.1 .. 127.0.1.255, then 127.0.2.1 ...
    return QStringLiteral("127.0.%1.%2").arg(1 + i / 255).arg(1 + i % 255);
}
} // namespace

int main(int argc, char *argv[])
{
    velmora::test::requirePrivateNetwork();
    quietBenchLog();
    QCoreApplication app(argc, argv);

    TempProfile profile;
    QJsonArray mixers;
    for (int i = 0; i < kMixers; ++i) {
        mixers.append(QJsonObject{{"address", addressOf(i)}});
    }
    MixerSimProcess sim(QJsonDocument(QJsonObject{{"mixers", mixers}}).toJson());
    if (!sim.problem().isEmpty()) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(sim.problem()));
        return 1;
    }

    QVector<QovAppDeviceModel> devices;
    for (int i = 0; i < kMixers; ++i) {
        auto device = std::make_shared<QovAppDeviceModelInternal>();
        device->setDeviceName(QStringLiteral("Mixer %1").arg(i));
        device->setIpAddress(addressOf(i));
        device->setStatus(QovAppDeviceModelInternal::CONNECTED);
        devices << device;
    }
    QovWatchedProject project;
    project.publish(QStringLiteral("Bench"), devices);

    for (int pass = 1; pass <= kPasses; ++pass) {
        QElapsedTimer clock;
        clock.start();
        QovKeepAliveThread::keepAlivePass(project, nullptr);
        const qint64 elapsed = clock.elapsed();
        // Status writes land on this thread.
        app.processEvents();
        int missing = 0;
        for (const QovAppDeviceModel &device : devices) {
            missing += device->status() == QovAppDeviceModelInternal::MISSING ? 1 : 0;
        }
        std::printf("keepalive pass %d over %d mixers: %lld ms\n", pass, kMixers,
                    static_cast<long long>(elapsed));
        std::printf("false missing after pass %d: %d\n", pass, missing);
    }
    // Proof that every mixer was really asked each pass.
    int asked = 0;
    for (int i = 0; i < kMixers; ++i) {
        asked +=
            sim.requests(addressOf(i)).filter(QStringLiteral("keepalive.cgi")).size() == kPasses
                ? 1
                : 0;
    }
    std::printf("mixers asked once per pass: %d of %d\n", asked, kMixers);
    return 0;
}
