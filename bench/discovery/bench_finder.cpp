// Time from QovOnlineDeviceFinder::start() until 100 simulated mixers are listed, and the
// longest time the GUI thread's event loop went without running meanwhile. Admission waits on
// the network for every mixer, so any of it done on the GUI thread shows as a stall here.
#include "benchlog.h"
#include "discovery/qovonlinedevicefinder.h"
#include "mixersimprocess.h"
#include "privatenetwork.h"
#include "stallmeter.h"
#include "tempprofile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int kMixers = 100;
constexpr int kTickMs = 2;
constexpr int kDeadlineMs = 30000;
} // namespace

int main(int argc, char *argv[])
{
    velmora::test::requirePrivateNetwork();
    quietBenchLog();
    QCoreApplication app(argc, argv);
    qSetMessagePattern(QString());

    TempProfile profile;
    MixerSimProcess sim(R"({"generate": 100})");
    if (!sim.problem().isEmpty()) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(sim.problem()));
        return 1;
    }

    QElapsedTimer clock;

    QovOnlineDeviceFinder *finder = QovOnlineDeviceFinder::instance();
    qint64 allListedMs = -1;
    QObject::connect(finder, &QovOnlineDeviceFinder::deviceListChanged, [&] {
        if (allListedMs < 0 &&
            finder->getAllByDeviceType(QovDeviceSelector::ZEPH2208).size() +
                    finder->getAllByDeviceType(QovDeviceSelector::ZEPH2208NET).size() >=
                kMixers) {
            allListedMs = clock.elapsed();
            app.quit();
        }
    });
    QTimer::singleShot(kDeadlineMs, &app, &QCoreApplication::quit);

    clock.start();
    StallMeter stall(kTickMs);
    finder->start();
    app.exec();

    if (allListedMs < 0) {
        std::printf("listed after %d s: %d of %d\n", kDeadlineMs / 1000,
                    int(finder->getAll().size()), kMixers);
        return 1;
    }
    std::printf("start to %d listed: %lld ms\n", kMixers, static_cast<long long>(allListedMs));
    std::printf("longest gui stall: %lld ms\n", static_cast<long long>(stall.longestMs()));
    return 0;
}
