// velmora-cli backup over 32 simulated mixers, against 32 times one Device->App download made
// alone in the same run: backups of a venue take mixers several at a time, so the whole run
// should take far less than one mixer after the other. Run inside scripts/sandbox.
#include "device/qovcgiapifactory.h"
#include "mixersimprocess.h"
#include "models/qovdiscovereddevice.h"
#include "privatenetwork.h"
#include "tempprofile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kMixers = 32;
constexpr int kAloneRuns = 5;
// A mixer's embedded web server takes a few milliseconds per request; on loopback the simulator
// would answer at once, and the figures would measure process start-up instead of transfers.
constexpr int kRequestDelayMs = 5;

QString address(int i)
{
    return QStringLiteral("127.0.6.%1").arg(i + 2);
}

QByteArray config()
{
    QByteArray mixers;
    for (int i = 0; i < kMixers; ++i) {
        mixers +=
            (i ? "," : "") + QStringLiteral(R"({"address":"%1","name":"Mixer %2",)"
                                            R"("mac":"00:1D:C1:06:00:%3","faults":{"delayMs":%4}})")
                                 .arg(address(i))
                                 .arg(i + 1)
                                 .arg(i + 2, 2, 16, QLatin1Char('0'))
                                 .arg(kRequestDelayMs)
                                 .toUtf8();
    }
    return R"({"mixers":[)" + mixers + "]}";
}

QovOnlineDeviceModel mixer(int i)
{
    QovDiscoveredDevice found;
    found.modelName = QStringLiteral("ZEPH-2208");
    found.friendlyName = QStringLiteral("Mixer");
    found.ipAddress = address(i);
    return std::make_shared<QovOnlineDeviceModelInternal>(found);
}

double aloneMs()
{
    std::vector<double> runs;
    for (int run = 0; run < kAloneRuns; ++run) {
        const QovOnlineDeviceModel device = mixer(run % kMixers);
        std::unique_ptr<QovCgiApi> api(createCgiApi(device));
        QElapsedTimer timer;
        timer.start();
        const QovZephData data = api->downloadZephData(device).get();
        if (!data.error.isEmpty()) {
            std::fprintf(stderr, "bench_cli: a download failed: %s\n", qPrintable(data.error));
            std::exit(1);
        }
        runs.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(runs.begin(), runs.end());
    return runs[kAloneRuns / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    velmora::test::requirePrivateNetwork();
    TempProfile profile;
    MixerSimProcess sim(config());
    if (!sim.problem().isEmpty()) {
        std::fprintf(stderr, "bench_cli: %s\n", qPrintable(sim.problem()));
        return 1;
    }
    const double alone = aloneMs();

    QTemporaryDir dir;
    QStringList arguments{QStringLiteral("backup")};
    for (int i = 0; i < kMixers; ++i) {
        arguments.append(address(i));
    }
    arguments << QStringLiteral("--wait") << QStringLiteral("30") << QStringLiteral("-o")
              << dir.filePath(QStringLiteral("venue.vlmproj"));
    QProcess cli;
    QElapsedTimer timer;
    timer.start();
    cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/velmora-cli"), arguments);
    if (!cli.waitForFinished(120000) || cli.exitCode() != 0) {
        std::fprintf(stderr, "bench_cli: velmora-cli failed:\n%s\n",
                     cli.readAllStandardError().constData());
        return 1;
    }
    const double backupMs = timer.nsecsElapsed() / 1e6;

    std::printf("simulated request delay: %d ms\n", kRequestDelayMs);
    std::printf("one Device->App transfer alone: %.1f ms\n", alone);
    std::printf("velmora-cli backup of %d mixers: %.1f ms\n", kMixers, backupMs);
    std::printf("backup ratio: %.3f\n", backupMs / (kMixers * alone));
    return 0;
}
