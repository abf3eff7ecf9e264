#include "cli/qovclitransfers.h"

#include "device/qovcgiapifactory.h"
#include "device/qovcurlrequest.h"
#include "discovery/qovonlinedevicefinder.h"
#include "models/qovdatasettable.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <future>
#include <memory>
#include <vector>

namespace QovCliTransfers {

namespace {

// Set from the signal handler, read on the main thread: a lock-free atomic is safe for both.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void onInterrupt(int signalNumber)
{
    g_interrupted = true;
    // A second Ctrl+C ends the program at once.
    std::signal(signalNumber, SIG_DFL);
}

// While transfers run, Ctrl+C or SIGTERM stops them rather than the process: a process ended
// mid-upload would leave a mixer half written without saying so, or where its safety copy is.
class InterruptGuard
{
public:
    InterruptGuard()
        : m_int(std::signal(SIGINT, onInterrupt))
        , m_term(std::signal(SIGTERM, onInterrupt))
    {
    }
    ~InterruptGuard()
    {
        std::signal(SIGINT, m_int == SIG_ERR ? SIG_DFL : m_int);
        std::signal(SIGTERM, m_term == SIG_ERR ? SIG_DFL : m_term);
    }
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

private:
    void (*m_int)(int);
    void (*m_term)(int);
};

// One operation per mixer, all started before the first is waited for. The API objects stay
// until every future is ready.
template<typename Result, typename Start>
QList<Result> runAll(int count, Start start, QovCliReport &report)
{
    const InterruptGuard guard;
    std::vector<std::unique_ptr<QovCgiApi>> apis;
    std::vector<std::future<Result>> futures;
    for (int i = 0; i < count; ++i) {
        apis.emplace_back();
        futures.push_back(start(i, apis.back()));
    }
    QovTransferProgress *progress = QovTransferProgress::instance();
    quint64 shown = 0;
    for (std::future<Result> &future : futures) {
        // A few lines a second are plenty for a person and cost nothing.
        while (future.valid() && future.wait_for(std::chrono::milliseconds(
                                     g_interrupted ? 20 : 200)) != std::future_status::ready) {
            if (g_interrupted) {
                // Ends the requests in flight; a transfer stops at its first failed request,
                // and one that started its next request meanwhile is caught on the next turn.
                QovCurlRequest::abortInFlight();
                continue;
            }
            const QovTransferProgress::Snapshot now = progress->snapshot();
            if (now.revision != shown && !now.isEmpty()) {
                shown = now.revision;
                report.progress(progressText(now));
            }
        }
    }
    QList<Result> results;
    for (std::future<Result> &future : futures) {
        results.append(future.valid() ? future.get() : Result());
    }
    return results;
}

template<typename Result>
std::future<Result> ready(const Result &result)
{
    std::promise<Result> promise;
    promise.set_value(result);
    return promise.get_future();
}

QString activity(const QovTransferProgress::Transfer &transfer)
{
    QString verb;
    switch (transfer.kind) {
    case QovTransferProgress::Download:
        verb = QStringLiteral("reading");
        break;
    case QovTransferProgress::SafetyCopy:
        verb = QStringLiteral("keeping a safety copy of");
        break;
    case QovTransferProgress::Upload:
        verb = QStringLiteral("writing");
        break;
    }
    QString text = QStringLiteral("%1 %2 (%3)").arg(verb, transfer.deviceName, transfer.address);
    if (transfer.dataSet != 0) {
        text += QStringLiteral(": ") + setsText({{transfer.dataSet, transfer.bank}});
    }
    return text;
}

} // namespace

QString describe(const QovOnlineDeviceModel &mixer)
{
    return QStringLiteral("%1 (%2, %3)")
        .arg(mixer->deviceName(), mixer->modelName(), mixer->ipAddress());
}

QString progressText(const QovTransferProgress::Snapshot &snapshot)
{
    QList<QovTransferProgress::Transfer> running;
    for (const QovTransferProgress::Transfer &transfer : snapshot.transfers) {
        if (transfer.running) {
            running.append(transfer);
        }
    }
    if (running.isEmpty()) {
        return QString();
    }
    if (snapshot.transfers.size() == 1) {
        return QStringLiteral("%1, file %2 of %3")
            .arg(activity(running.first()))
            .arg(running.first().filesDone)
            .arg(QovTransferProgress::filesPerTransfer);
    }
    return QStringLiteral("%1 of %2 files, %3 mixer(s) at work; %4")
        .arg(snapshot.filesDone())
        .arg(snapshot.filesTotal())
        .arg(running.size())
        .arg(activity(running.first()));
}

QList<QovZephData> download(const QList<QovOnlineDeviceModel> &mixers, QovCliReport &report)
{
    auto start = [&](int i, std::unique_ptr<QovCgiApi> &api) {
        api.reset(createCgiApi(mixers.at(i)));
        if (!api) {
            QovZephData data;
            data.error = QovOnlineDeviceFinder::unsupportedModel(mixers.at(i)->modelName());
            return ready(data);
        }
        return api->downloadReadableZephData(mixers.at(i));
    };
    return runAll<QovZephData>(mixers.size(), start, report);
}

QList<QovCgiApi::ConnectOutcome>
restore(const QList<QPair<QovOnlineDeviceModel, QovAppDeviceModel>> &pairs, QovCliReport &report,
        bool allowPartialCopy)
{
    auto start = [&](int i, std::unique_ptr<QovCgiApi> &api) {
        api.reset(createCgiApi(pairs.at(i).first));
        if (!api) {
            return ready(QovCgiApi::ConnectOutcome());
        }
        return api->connectDeviceWithOutcome(true, pairs.at(i).second, pairs.at(i).first,
                                             allowPartialCopy);
    };
    return runAll<QovCgiApi::ConnectOutcome>(pairs.size(), start, report);
}

bool interrupted()
{
    return g_interrupted;
}

QString setsText(const QVector<QovDataSlot> &sets)
{
    QStringList names;
    for (const QovDataSlot &set : sets) {
        names.append(qovDataSetSlot(set.code, set.bank));
    }
    return names.join(QStringLiteral(", "));
}

} // namespace QovCliTransfers
