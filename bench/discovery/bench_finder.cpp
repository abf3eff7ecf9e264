// Time from QovOnlineDeviceFinder::start() until 100 simulated mixers are listed, and the
// longest time the GUI thread's event loop went without running meanwhile. Admission waits on
// the network for every mixer, so any of it done on the GUI thread shows as a stall here.
// Then six mixers that stall their device information request are switched on: how long a
// healthy mixer switched on after them takes to be listed, and how long a connection the user
// starts meanwhile waits for a worker (goals 2000 ms and 100 ms).
#include "benchlog.h"
#include "device/qovcgiapizeph2208.h"
#include "discovery/qovonlinedevicefinder.h"
#include "mixersimprocess.h"
#include "privatenetwork.h"
#include "stallmeter.h"
#include "tempprofile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace {
constexpr int kMixers = 100;
constexpr int kTickMs = 2;
constexpr int kDeadlineMs = 30000;
// Longer than the whole stalling phase, so the stalled checks last throughout it.
constexpr int kHttpTimeoutMs = 60000;
const QStringList kStalling = {"127.0.7.2", "127.0.7.3", "127.0.7.4",
                               "127.0.7.5", "127.0.7.6", "127.0.7.7"};
const QString kHealthy = "127.0.7.8";
// Up from the start: the mixer the user connects to while the others stall.
const QString kTarget = "127.0.7.9";

QByteArray stallingConfig()
{
    QByteArray mixers;
    for (const QString &address : kStalling) {
        mixers += QString(R"({"address":"%1","running":false,"faults":{"requests":[)"
                          R"({"endpoint":"gdeviceinfo.cgi","fault":"stall"}]}},)")
                      .arg(address)
                      .toUtf8();
    }
    return R"({"mixers":[)" + mixers +
           R"({"address":"127.0.7.8","running":false},{"address":"127.0.7.9"}]})";
}

QovOnlineDeviceModel listedAt(QovOnlineDeviceFinder *finder, const QString &address)
{
    for (const QovOnlineDeviceModel &device : finder->getAll()) {
        if (device->ipAddress() == address) {
            return device;
        }
    }
    return {};
}

// Runs the event loop until `done` holds or `ms` passed; whether it held.
template<typename Done>
bool spinUntil(Done done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
}

struct StallFigures
{
    qint64 listedMs = -1;
    qint64 delayedMs = -1;
    int askedAtOnce = 0;
};

// A connection as the main window starts it, to the mixer `target`: a worker from the global
// pool runs it. How long the worker took to start, or -1 when the connection failed.
qint64 connectionDelayMs(const QovOnlineDeviceModel &target)
{
    auto project = std::make_shared<QovAppDeviceModelInternal>();
    std::atomic<qint64> startedMs{-1};
    QElapsedTimer clock;
    QFutureWatcher<bool> watcher;
    clock.start();
    watcher.setFuture(QtConcurrent::run([&startedMs, &clock, project, target] {
        startedMs = clock.elapsed();
        return QovCgiApiZeph2208().connectDevice(false, project, target).get();
    }));
    const bool done = spinUntil([&] { return watcher.isFinished(); }, 2 * kDeadlineMs);
    return done && watcher.result() ? qint64(startedMs) : -1;
}

// Switches the stalling mixers on and waits until their checks are under way, as many at once
// as the finder allows (at most a second, so that checks queued behind them are still
// waiting). How many were asked.
int switchOnStalling(MixerSimProcess &sim)
{
    for (const QString &address : kStalling) {
        sim.clearRequests(address);
        sim.startMixer(address);
    }
    const auto asked = [&] {
        int count = 0;
        for (const QString &address : kStalling) {
            count += sim.requests(address).contains("GET /cgi-bin/appcmd/gdeviceinfo.cgi");
        }
        return count;
    };
    spinUntil([&] { return asked() == int(kStalling.size()); }, 1000);
    return asked();
}

// Their checks end with their connections, so nothing waits for the deadline.
void switchOffStalling(MixerSimProcess &sim)
{
    for (const QString &address : kStalling) {
        sim.stopMixer(address);
    }
}

StallFigures stallingMixers(QovOnlineDeviceFinder *finder)
{
    StallFigures figures;
    MixerSimProcess sim(stallingConfig());
    if (!sim.problem().isEmpty()) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(sim.problem()));
        return figures;
    }
    // The user's mixer is up and listed before the others come.
    if (!spinUntil([&] { return bool(listedAt(finder, kTarget)); }, kDeadlineMs)) {
        std::fprintf(stderr, "the user's mixer was not listed\n");
        return figures;
    }
    // Each figure is taken while the stalling mixers' checks are fresh: whichever came second
    // would otherwise find the checks of the first round over.
    figures.askedAtOnce = switchOnStalling(sim);
    figures.delayedMs = connectionDelayMs(listedAt(finder, kTarget));
    switchOffStalling(sim);
    figures.askedAtOnce = std::min(figures.askedAtOnce, switchOnStalling(sim));

    // From the moment it is switched on: what the control request takes counts too, since the
    // mixer may be listed before it returns.
    QElapsedTimer clock;
    clock.start();
    sim.startMixer(kHealthy);
    if (spinUntil([&] { return bool(listedAt(finder, kHealthy)); }, kDeadlineMs)) {
        figures.listedMs = clock.elapsed();
    }
    switchOffStalling(sim);
    return figures;
}
} // namespace

int main(int argc, char *argv[])
{
    velmora::test::requirePrivateNetwork();
    quietBenchLog();
    QCoreApplication app(argc, argv);
    qSetMessagePattern(QString());

    TempProfile profile;
    profile.writeProgramSettings("[Debug]\nhttp_timeout_ms=" + QByteArray::number(kHttpTimeoutMs) +
                                 "\n");
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

    const StallFigures stalling = stallingMixers(finder);
    if (stalling.listedMs < 0 || stalling.delayedMs < 0) {
        std::printf("with 6 stalling: healthy mixer %s, user action %s\n",
                    stalling.listedMs < 0 ? "never listed" : "listed",
                    stalling.delayedMs < 0 ? "never done" : "done");
        return 1;
    }
    std::printf("healthy mixer listed with 6 stalling: %lld ms\n",
                static_cast<long long>(stalling.listedMs));
    std::printf("user action delayed by 6 stalling: %lld ms\n",
                static_cast<long long>(stalling.delayedMs));
    std::printf("stalling mixers checked at once: %d\n", stalling.askedAtOnce);
    return 0;
}
