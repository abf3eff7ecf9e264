// A full Device->App download and App->Device upload through QovCgiApiZeph2208 against one
// simulated mixer with its factory data, and the same request sequences made with libcurl,
// measured in one run. Per-request figures show what our request layer and the task pool add
// to a bare libcurl request. Run inside scripts/sandbox.
#include "curlmixerclient.h"
#include "device/qovcgiapizeph2208.h"
#include "device/qovcurlrequest.h"
#include "device/qovtaskpool.h"
#include "mixersimprocess.h"
#include "privatenetwork.h"
#include "tempprofile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <future>

namespace {

const char *const kIp = "127.0.5.2";
constexpr int kRuns = 9;
constexpr int kRequests = 200;

// Median of a few runs in milliseconds; runs of both sides alternate so that a disturbance
// on the shared machine hits both.
void measurePair(const std::function<bool()> &ours, const std::function<bool()> &baseline,
                 double &oursMs, double &baselineMs)
{
    std::vector<double> a, b;
    for (int i = 0; i < kRuns; ++i) {
        const std::pair<const std::function<bool()> *, std::vector<double> *> sides[] = {
            {&ours, &a}, {&baseline, &b}};
        for (const auto &[work, into] : sides) {
            QElapsedTimer timer;
            timer.start();
            if (!(*work)()) {
                std::fprintf(stderr, "bench_transfer: a transfer failed\n");
                std::exit(1);
            }
            into->push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    oursMs = a[kRuns / 2];
    baselineMs = b[kRuns / 2];
}

using Runner = void (*)(const std::function<void()> &);
void inline_(const std::function<void()> &work)
{
    work();
}
void newThread(const std::function<void()> &work)
{
    std::async(std::launch::async, work).get();
}
void pooled(const std::function<void()> &work)
{
    QovTaskPool::run(
        [&work] {
            work();
            return true;
        },
        false)
        .get();
}

// Microseconds per call of `work` run by `runner`.
double perRequestUs(Runner runner, const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRequests; ++i) {
        runner(work);
    }
    return timer.nsecsElapsed() / 1e3 / kRequests;
}

// A bare libcurl GET, on purpose without our request rules (ovlib/curloptions.h): the figure
// beside it shows what those rules and our request layer add.
void curlGet(const QByteArray &url)
{
    CURL *handle = curl_easy_init();
    curl_easy_setopt(handle, CURLOPT_URL, url.constData());
    curl_easy_setopt(
        handle, CURLOPT_WRITEFUNCTION,
        +[](char *, size_t size, size_t count, void *) { return size * count; });
    curl_easy_perform(handle);
    curl_easy_cleanup(handle);
}

void printFigure(const char *name, double value, const char *unit)
{
    std::printf("%s: %.2f %s\n", name, value, unit);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    velmora::test::requirePrivateNetwork();
    // The program's debug lines go to a terminal nobody reads during a transfer; printing them
    // here would measure the terminal.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    TempProfile profile;
    MixerSimProcess sim(QByteArray(R"({"mixers":[{"address":")") + kIp + R"("}]})");
    if (!sim.problem().isEmpty()) {
        std::fprintf(stderr, "bench_transfer: %s\n", qPrintable(sim.problem()));
        return 1;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);

    QovCgiApiZeph2208 api;
    QovDiscoveredDevice found;
    found.modelName = QStringLiteral("ZEPH-2208");
    found.ipAddress = QString::fromLatin1(kIp);
    const auto mixer = std::make_shared<QovOnlineDeviceModelInternal>(found);
    auto project = std::make_shared<QovAppDeviceModelInternal>();
    const QovZephData data = api.downloadZephData(mixer).get();
    project->setZephDataPreset(data.preset);
    project->setZephData12BandEq(data.eq12Band);
    project->setZephData4BandEq(data.eq4Band);
    project->setZephDataPartialPreset(data.partialPreset);
    project->setZephDataCurrent(data.current);
    std::vector<std::string> texts;
    qint64 bytes = 0;
    CurlMixerClient::download(kIp, texts);
    for (const std::string &text : texts) {
        bytes += qint64(text.size());
    }
    printFigure("mixer data", bytes / 1024.0, "KiB");

    double ours = 0, curl = 0;
    measurePair([&] { return api.downloadZephData(mixer).get().error.isEmpty(); },
                [&] { return CurlMixerClient::download(kIp, texts); }, ours, curl);
    printFigure("download ours", ours, "ms");
    printFigure("download libcurl", curl, "ms");
    std::printf("download ratio: %.2f\n", ours / curl);
    measurePair([&] { return api.uploadZephData(mixer, project).get(); },
                [&] { return CurlMixerClient::upload(kIp, texts); }, ours, curl);
    printFigure("upload ours", ours, "ms");
    printFigure("upload libcurl", curl, "ms");
    std::printf("upload ratio: %.2f\n", ours / curl);

    // Where a request's time goes: one keepalive.cgi GET each way, run inline, on a new thread
    // per request (as an asynchronous launch does) and on the reused workers of the task pool.
    const QUrl url(
        QStringLiteral("http://%1/cgi-bin/appcmd/keepalive.cgi").arg(QLatin1String(kIp)));
    const QByteArray urlText = url.toEncoded();
    const auto oursGet = [&] { QovCurlRequest::get(url, {10000, 65536}); };
    const auto curlOnly = [&] { curlGet(urlText); };
    const std::function<void()> clients[] = {oursGet, curlOnly};
    const char *const clientNames[] = {"ours", "libcurl"};
    const Runner runners[] = {inline_, newThread, pooled};
    const char *const runnerNames[] = {"inline", "new thread", "pool"};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 2; ++c) {
            const std::string name =
                std::string("request ") + clientNames[c] + ", " + runnerNames[r];
            printFigure(name.c_str(), perRequestUs(runners[r], clients[c]), "us");
        }
    }
    printFigure("thread start alone", perRequestUs(newThread, [] {}), "us");
    curl_global_cleanup();
    return 0;
}
