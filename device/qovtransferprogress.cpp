#include "device/qovtransferprogress.h"

#include <algorithm>

int QovTransferProgress::Snapshot::running() const
{
    return int(std::count_if(transfers.cbegin(), transfers.cend(),
                             [](const Transfer &transfer) { return transfer.running; }));
}

int QovTransferProgress::Snapshot::filesDone() const
{
    int done = 0;
    for (const Transfer &transfer : transfers) {
        done += transfer.filesDone;
    }
    return done;
}

int QovTransferProgress::Snapshot::filesTotal() const
{
    int total = 0;
    for (const Transfer &transfer : transfers) {
        total += transfer.failed ? transfer.filesDone : filesPerTransfer;
    }
    return total;
}

QovTransferProgress *QovTransferProgress::instance()
{
    // Never destroyed: transfers on pool threads may still report while the process ends.
    static auto *progress = new QovTransferProgress();
    return progress;
}

QovTransferProgress::Snapshot QovTransferProgress::snapshotLocked() const
{
    return Snapshot{m_revision, m_batch};
}

QovTransferProgress::Snapshot QovTransferProgress::snapshot() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return snapshotLocked();
}

quint64 QovTransferProgress::revision() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_revision;
}

int QovTransferProgress::addListener(Listener listener)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_listeners.emplace(m_nextListener, std::move(listener));
    return m_nextListener++;
}

void QovTransferProgress::removeListener(int id)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_listeners.erase(id);
}

void QovTransferProgress::notifyLocked()
{
    ++m_revision;
    if (m_listeners.empty()) {
        return;
    }
    const Snapshot now = snapshotLocked();
    for (const auto &entry : m_listeners) {
        entry.second(now);
    }
}

quint64 QovTransferProgress::begin(Kind kind, const QString &deviceName, const QString &address)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    Transfer transfer;
    transfer.id = m_nextId++;
    transfer.kind = kind;
    transfer.deviceName = deviceName;
    transfer.address = address;
    m_batch.append(transfer);
    notifyLocked();
    return transfer.id;
}

template<typename Change>
void QovTransferProgress::update(quint64 id, Change change)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = std::find_if(m_batch.begin(), m_batch.end(),
                                    [id](const Transfer &transfer) { return transfer.id == id; });
    if (found == m_batch.end() || !found->running) {
        return;
    }
    change(*found);
    notifyLocked();
    const bool batchOver = std::none_of(m_batch.cbegin(), m_batch.cend(),
                                        [](const Transfer &transfer) { return transfer.running; });
    if (batchOver) {
        m_batch.clear();
        notifyLocked();
    }
}

void QovTransferProgress::startFile(quint64 id, int dataSet, int bank)
{
    update(id, [dataSet, bank](Transfer &transfer) {
        transfer.dataSet = dataSet;
        transfer.bank = bank;
    });
}

void QovTransferProgress::fileDone(quint64 id)
{
    update(id, [](Transfer &transfer) {
        transfer.filesDone = std::min(transfer.filesDone + 1, int(filesPerTransfer));
    });
}

void QovTransferProgress::end(quint64 id, bool succeeded)
{
    update(id, [succeeded](Transfer &transfer) {
        transfer.running = false;
        transfer.failed = !succeeded;
    });
}

QovTransferReport::QovTransferReport(QovTransferProgress::Kind kind, const QString &deviceName,
                                     const QString &address)
    : m_id(QovTransferProgress::instance()->begin(kind, deviceName, address))
{
}

QovTransferReport::~QovTransferReport()
{
    if (!m_finished) {
        QovTransferProgress::instance()->end(m_id, false);
    }
}

void QovTransferReport::startFile(int dataSet, int bank)
{
    QovTransferProgress::instance()->startFile(m_id, dataSet, bank);
}

void QovTransferReport::fileDone()
{
    QovTransferProgress::instance()->fileDone(m_id);
}

void QovTransferReport::finish(bool succeeded)
{
    if (!m_finished) {
        m_finished = true;
        QovTransferProgress::instance()->end(m_id, succeeded);
    }
}
