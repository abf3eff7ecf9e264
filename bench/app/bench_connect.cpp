// One "Connect Online Device" run over 32 simulated mixers, Device->App: the time from the
// dialog's Connect button to the project page listing all 32, and the longest time the GUI
// thread's event loop went without running meanwhile. The simulator runs as a background
// process, as mixers are other machines; `--sim-equal-share` lets it compete for the cores.
#include "app/qovmainwindow.h"
#include "benchlog.h"
#include "benchwait.h"
#include "dialogs/qovaddonlinedevicedialog.h"
#include "discovery/qovonlinedevicefinder.h"
#include "mixersimprocess.h"
#include "modalanswerer.h"
#include "privatenetwork.h"
#include "stallmeter.h"
#include "tempprofile.h"
#include "views/qovprojectview.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int kMixers = 32;
constexpr int kTickMs = 2;
constexpr int kDeadlineMs = 60000;

} // namespace

int main(int argc, char *argv[])
{
    velmora::test::requirePrivateNetwork();
    quietBenchLog();
    QApplication app(argc, argv);
    const bool equalShare = app.arguments().contains(QStringLiteral("--sim-equal-share"));

    TempProfile profile;
    MixerSimProcess sim(QByteArray(R"({"generate": )") + QByteArray::number(kMixers) + "}",
                        equalShare ? MixerSimProcess::CpuShare::Equal
                                   : MixerSimProcess::CpuShare::Background);
    if (!sim.problem().isEmpty()) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(sim.problem()));
        return 1;
    }
    QovOnlineDeviceFinder *finder = QovOnlineDeviceFinder::instance();
    finder->start();
    if (!benchWaitUntil([&] { return finder->getAll().size() >= kMixers; }, kDeadlineMs)) {
        std::fprintf(stderr, "only %d mixers listed\n", int(finder->getAll().size()));
        return 1;
    }

    QovMainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window never showed\n");
        return 1;
    }
    auto *projectView = window.findChild<QovProjectView *>();

    QElapsedTimer clock;
    clock.start();
    StallMeter stall(kTickMs);

    qint64 okAt = -1;
    ModalAnswerer answerer;
    answerer.handle([&](QWidget *modal) {
        auto *dialog = qobject_cast<QovAddOnlineDeviceDialog *>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        QTest::mouseClick(dialog->findChild<QCheckBox *>(), Qt::LeftButton);
        QWidget *connectButton = ModalAnswerer::findButton(dialog, QStringLiteral("Connect"));
        okAt = clock.elapsed();
        stall.reset();
        QTest::mouseClick(connectButton, Qt::LeftButton);
    });
    window.connectDevices();
    const bool shown = benchWaitUntil(
        [&] {
            return window.projectData()->appDevices().size() == kMixers &&
                   projectView->deviceList()->count() == kMixers && !window.isBusy();
        },
        kDeadlineMs);
    const qint64 doneAt = clock.elapsed();
    const qint64 longestStall = stall.longestMs();
    if (!shown || okAt < 0) {
        std::fprintf(stderr, "the project never showed %d devices (%d)\n", kMixers,
                     int(window.projectData()->appDevices().size()));
        return 1;
    }
    std::printf("connect %d mixers device to app: %lld ms\n", kMixers,
                static_cast<long long>(doneAt - okAt));
    std::printf("longest gui stall: %lld ms\n", static_cast<long long>(longestStall));
    window.projectData()->setIsEdited(false);
    return 0;
}
