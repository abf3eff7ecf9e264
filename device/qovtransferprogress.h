#pragma once

#include <QString>
#include <QVector>

#include <functional>
#include <map>
#include <mutex>

// How far the transfers of mixer data in this process have come: the one place that the busy
// overlay and the command line read. Transfers report every file from their own threads; readers
// take a snapshot whenever they like, which costs one lock and a copy of a few small records.
//
// Transfers that overlap in time form a batch: a finished transfer stays in the snapshot until
// the last transfer of its batch has ended, so that the batch's file count only grows and an
// overlay over many mixers fills one bar from empty to full. When nothing runs any more, the
// snapshot is empty.
class QovTransferProgress
{
public:
    // What a transfer is for: reading a mixer, reading it to keep a safety copy before it is
    // overwritten, or writing it.
    enum Kind { Download, SafetyCopy, Upload };
    // A full transfer: 8 presets, two EQ libraries, 40 partial presets, the current state.
    static constexpr int filesPerTransfer = 51;

    struct Transfer
    {
        quint64 id = 0;
        Kind kind = Download;
        // The name the data belongs to, and the mixer's address.
        QString deviceName;
        QString address;
        // The file being copied now, or the last one; data set 0 before the first.
        int dataSet = 0;
        int bank = 0;
        int filesDone = 0;
        bool running = true;
        bool failed = false;
    };

    struct Snapshot
    {
        // Grows with every change, so a reader can tell whether anything moved.
        quint64 revision = 0;
        // Those of the current batch, in the order they began.
        QVector<Transfer> transfers;

        bool isEmpty() const { return transfers.isEmpty(); }
        int running() const;
        int filesDone() const;
        // A failed transfer counts only the files it copied: it copies no more.
        int filesTotal() const;
    };

    // Called with the snapshot after every change, on the thread that made it, while the source
    // is locked: in the order of the changes, and it must not call back into the source.
    using Listener = std::function<void(const Snapshot &)>;

    static QovTransferProgress *instance();

    Snapshot snapshot() const;
    quint64 revision() const;

    int addListener(Listener listener);
    void removeListener(int id);

    // The transfer's side; see QovTransferReport.
    quint64 begin(Kind kind, const QString &deviceName, const QString &address);
    void startFile(quint64 id, int dataSet, int bank);
    void fileDone(quint64 id);
    void end(quint64 id, bool succeeded);

private:
    template<typename Change>
    void update(quint64 id, Change change);
    Snapshot snapshotLocked() const;
    void notifyLocked();

    mutable std::mutex m_mutex;
    quint64 m_revision = 0;
    quint64 m_nextId = 1;
    QVector<Transfer> m_batch;
    std::map<int, Listener> m_listeners;
    int m_nextListener = 1;
};

// One transfer as it reports itself to QovTransferProgress::instance(), for the length of the
// transfer's function: it begins when made and ends when finished or gone (a transfer that
// returns without finishing has failed).
class QovTransferReport
{
public:
    QovTransferReport(QovTransferProgress::Kind kind, const QString &deviceName,
                      const QString &address);
    ~QovTransferReport();
    QovTransferReport(const QovTransferReport &) = delete;
    QovTransferReport &operator=(const QovTransferReport &) = delete;

    void startFile(int dataSet, int bank);
    void fileDone();
    void finish(bool succeeded);

private:
    quint64 m_id;
    bool m_finished = false;
};
