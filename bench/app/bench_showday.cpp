// A show day in the real main window: simulated mixers (32 by default) connected Device->App,
// keep-alive every second, the window walking through every device's settings page, and each
// minute a quarter of the mixers losing power for 15 s and coming back, to be reconnected by the
// program on its own.
//
//   bench_showday [SECONDS] [MIXERS]      600 s and 32 mixers by default
//
// Prints the memory growth of the process tree after warm-up (from minute 2, or from half the
// run when it is shorter), its largest PSS, MISSING marks of mixers that had power, the slowest
// MISSING after a power-off and CONNECTED after power came back, and the longest GUI stalls:
// while paging, and over the whole run. The simulator's control requests and the memory probe
// (it reads every process's page tables: tens of milliseconds) block, so they run on the
// benchmark's own threads: on the GUI thread they would count as the program's stalls, and in
// the program's worker pool they would hold up its reconnects.
#include "app/qovmainwindow.h"
#include "benchlog.h"
#include "benchprobes.h"
#include "benchwait.h"
#include "dialogs/qovaddonlinedevicedialog.h"
#include "discovery/qovonlinedevicefinder.h"
#include "mixersimprocess.h"
#include "modalanswerer.h"
#include "models/qovtextfile.h"
#include "privatenetwork.h"
#include "stallmeter.h"
#include "tempprofile.h"
#include "webpage/qovwebenginearguments.h"
#include "webpage/qovwebengineconfig.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHash>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kPowerOffMs = 15000;
constexpr int kCycleMs = 60000;
constexpr int kFirstCycleMs = 20000;
constexpr int kPageEveryMs = 2000;
constexpr int kPageWatchMs = 1500;

void print(const char *name, qint64 value, const char *unit)
{
    std::printf("%s: %lld%s%s\n", name, static_cast<long long>(value), *unit ? " " : "", unit);
    std::fflush(stdout);
}

// What happened to one mixer during its power cycles.
struct Cycle
{
    qint64 offAt = -1;
    qint64 onAt = -1;
};

class ShowDay : public QObject
{
public:
    ShowDay(QovMainWindow &window, MixerSimProcess &sim, qint64 durationMs)
        : m_window(window)
        , m_sim(sim)
        , m_durationMs(durationMs)
    {
        m_clock.start();
        m_benchThreads.setMaxThreadCount(4);
        for (const QovAppDeviceModel &device : window.projectData()->appDevices()) {
            m_devices.append(device);
            connect(device.get(), &QovAppDeviceModelInternal::statusChanged, this,
                    [this, device](QovAppDeviceModelInternal::Status status) {
                        onStatus(device, status);
                    });
        }
    }

    void run()
    {
        StallMeter whole(2);
        StallMeter paging(2);
        QTimer pager;
        connect(&pager, &QTimer::timeout, this, [&] {
            m_page = m_page % m_devices.size() + 1;
            paging.reset();
            m_window.setCurrentPage(m_page);
            QTimer::singleShot(kPageWatchMs, this, [&] {
                m_pagingStallMs = std::max(m_pagingStallMs, paging.longestMs());
            });
        });
        pager.start(kPageEveryMs);
        QTimer cycler;
        connect(&cycler, &QTimer::timeout, this, [this] { powerCycle(); });
        QTimer::singleShot(kFirstCycleMs, this, [this, &cycler] {
            powerCycle();
            cycler.start(kCycleMs);
        });
        const qint64 warmUpMs = std::min<qint64>(120000, m_durationMs / 2);
        QTimer::singleShot(int(warmUpMs), this,
                           [this] { sampleMemory([this](double pssMiB) { m_warmPss = pssMiB; }); });
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [this] {
            sampleMemory([this](double pssMiB) { m_largestPss = std::max(m_largestPss, pssMiB); });
        });
        sampler.start(10000);
        (void)benchWaitUntil([this] { return m_clock.elapsed() >= m_durationMs; },
                             int(m_durationMs) + 1000);
        pager.stop();
        cycler.stop();
        // The last mixers switched off come back before the figures are taken.
        (void)benchWaitUntil(
            [this] {
                return m_pendingWork == 0 &&
                       std::all_of(m_devices.cbegin(), m_devices.cend(), [](const auto &d) {
                           return d->status() == QovAppDeviceModelInternal::CONNECTED;
                       });
            },
            kPowerOffMs + 30000);
        m_wholeStallMs = whole.longestMs();
        const double endPss = benchprobes::processTreeMemory().pssMiB;
        m_largestPss = std::max(m_largestPss, endPss);

        print("memory growth after warm-up", qint64(endPss - m_warmPss), "MiB");
        print("process tree pss", qint64(m_largestPss), "MiB");
        print("false missing", m_falseMissing, "");
        print("missing after power-off", m_slowestMissingMs, "ms");
        print("reconnected after power-on", m_slowestReconnectMs, "ms");
        print("never reconnected", neverReconnected(), "");
        print("longest gui stall paging", m_pagingStallMs, "ms");
        print("longest gui stall", m_wholeStallMs, "ms");
    }

private:
    void powerCycle()
    {
        const int quarter = std::max(1, int(m_devices.size()) / 4);
        for (int i = 0; i < quarter; ++i) {
            const QovAppDeviceModel device = m_devices.at((m_nextOff + i) % m_devices.size());
            control(device, false);
            QTimer::singleShot(kPowerOffMs, this, [this, device] { control(device, true); });
        }
        m_nextOff = (m_nextOff + quarter) % m_devices.size();
    }

    // Runs the benchmark's blocking work on its own threads and hands the result to `use` on the
    // GUI thread.
    template<typename T>
    void offThread(std::function<T()> work, std::function<void(T)> use)
    {
        ++m_pendingWork;
        auto *watcher = new QFutureWatcher<T>(this);
        connect(watcher, &QFutureWatcher<T>::finished, this, [this, watcher, use] {
            use(watcher->result());
            --m_pendingWork;
            watcher->deleteLater();
        });
        watcher->setFuture(QtConcurrent::run(&m_benchThreads, std::move(work)));
    }

    void sampleMemory(std::function<void(double)> use)
    {
        offThread<double>([] { return benchprobes::processTreeMemory().pssMiB; }, std::move(use));
    }

    // Starts or stops a mixer; the moment the simulator has done it is noted.
    void control(const QovAppDeviceModel &device, bool on)
    {
        const QString address =
            device->ipAddress().isEmpty() ? m_addresses.value(device.get()) : device->ipAddress();
        m_addresses.insert(device.get(), address);
        MixerSimProcess *sim = &m_sim;
        const QElapsedTimer *clock = &m_clock;
        offThread<qint64>(
            [sim, clock, address, on] {
                const bool done = on ? sim->startMixer(address) : sim->stopMixer(address);
                return done ? clock->elapsed() : qint64(-1);
            },
            [this, device, on](qint64 doneAt) {
                Cycle &cycle = m_cycles[device.get()];
                (on ? cycle.onAt : cycle.offAt) = doneAt;
                if (on) {
                    cycle.offAt = -1;
                }
            });
        if (!on) {
            m_cycles[device.get()].offAt = m_clock.elapsed();
        }
    }

    void onStatus(const QovAppDeviceModel &device, QovAppDeviceModelInternal::Status status)
    {
        Cycle &cycle = m_cycles[device.get()];
        const qint64 now = m_clock.elapsed();
        if (status == QovAppDeviceModelInternal::MISSING) {
            if (cycle.offAt < 0) {
                ++m_falseMissing;
            } else {
                m_slowestMissingMs = std::max(m_slowestMissingMs, now - cycle.offAt);
            }
        } else if (status == QovAppDeviceModelInternal::CONNECTED && cycle.onAt >= 0) {
            m_slowestReconnectMs = std::max(m_slowestReconnectMs, now - cycle.onAt);
            cycle.onAt = -1;
        }
    }

    qint64 neverReconnected() const
    {
        return std::count_if(m_devices.cbegin(), m_devices.cend(), [](const auto &device) {
            return device->status() != QovAppDeviceModelInternal::CONNECTED;
        });
    }

    QovMainWindow &m_window;
    MixerSimProcess &m_sim;
    const qint64 m_durationMs;
    QElapsedTimer m_clock;
    QThreadPool m_benchThreads;
    QVector<QovAppDeviceModel> m_devices;
    QHash<const QovAppDeviceModelInternal *, Cycle> m_cycles;
    QHash<const QovAppDeviceModelInternal *, QString> m_addresses;
    int m_page = 0;
    int m_nextOff = 0;
    int m_pendingWork = 0;
    qint64 m_falseMissing = 0;
    qint64 m_slowestMissingMs = 0;
    qint64 m_slowestReconnectMs = 0;
    qint64 m_pagingStallMs = 0;
    qint64 m_wholeStallMs = 0;
    double m_warmPss = 0;
    double m_largestPss = 0;
};

// Connects every listed mixer Device->App through the window, as an installer does.
bool connectAll(QovMainWindow &window, int mixers)
{
    ModalAnswerer answerer;
    answerer.handle([](QWidget *modal) {
        auto *dialog = qobject_cast<QovAddOnlineDeviceDialog *>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        QTest::mouseClick(dialog->findChild<QCheckBox *>(), Qt::LeftButton);
        QTest::mouseClick(ModalAnswerer::findButton(dialog, QStringLiteral("Connect")),
                          Qt::LeftButton);
    });
    window.connectDevices();
    return benchWaitUntil(
        [&] { return window.projectData()->appDevices().size() == mixers && !window.isBusy(); },
        120000);
}

} // namespace

int main(int argc, char *argv[])
{
    velmora::test::requirePrivateNetwork();
    quietBenchLog();
    const qint64 seconds = argc > 1 ? QByteArray(argv[1]).toLongLong() : 600;
    const int mixers = argc > 2 ? QByteArray(argv[2]).toInt() : 32;
    // Started as the program starts: one renderer for all pages, the renderer the machine draws
    // with best, the shared GL context and the style sheet. Without them the pages ran in a
    // renderer each, drawn through GL read back on the GUI thread, and the stalls were not the
    // program's.
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts, true);
    QovWebEngineArguments engineArguments(1, argv);
    QApplication app(engineArguments.argc(), engineArguments.argv());
    qovStartWebEngine();
    app.setStyleSheet(loadTextFile(QStringLiteral(":/styles.qss")));
    if (seconds < 30 || mixers < 4) {
        std::fprintf(stderr, "usage: bench_showday [SECONDS >= 30] [MIXERS >= 4]\n");
        return 2;
    }

    TempProfile profile;
    // Keep-alive at its shortest interval; mixers that come back are reconnected Device->App.
    profile.writeProgramSettings(
        "[Debug]\nkeepalive_interval=1\n[Config]\nauto_reconnect=2\nshow_top_page=false\n");
    // Real mixers are other machines: the simulated ones must not take the window's cores.
    MixerSimProcess sim(QByteArray(R"({"generate": )") + QByteArray::number(mixers) + "}",
                        MixerSimProcess::CpuShare::Background);
    if (!sim.problem().isEmpty()) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(sim.problem()));
        return 1;
    }
    QovOnlineDeviceFinder *finder = QovOnlineDeviceFinder::instance();
    finder->start();
    if (!benchWaitUntil([&] { return finder->getAll().size() >= mixers; }, 60000)) {
        std::fprintf(stderr, "only %d mixers listed\n", int(finder->getAll().size()));
        return 1;
    }
    QovMainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !connectAll(window, mixers)) {
        std::fprintf(stderr, "the mixers were never all connected\n");
        return 1;
    }
    ShowDay(window, sim, seconds * 1000).run();
    window.projectData()->setIsEdited(false);
    return 0;
}
