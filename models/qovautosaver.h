#pragma once

#include "models/qovprojectsnapshot.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

// Writes a project's autosave copy off the thread that owns the project. Changes that come
// close together are written once, from a snapshot taken when the write starts; the copy is
// written to a temporary file and renamed over the old one, so that it is complete whenever
// the process dies. All writes of the process, autosaves and saves, run one after another on
// one writer thread, so a save never races an autosave of the same file.
class QovAutosaver : public QObject
{
    Q_OBJECT

public:
    struct Job
    {
        QString path;
        QovProjectSnapshot snapshot;
        // For the unsaved project's copy in the user's data folder, which a new account may
        // not have yet. Never for a folder the user chose: one that has gone (an unplugged
        // stick) must fail the write, not come back empty on another disk.
        bool makeFolder = false;
    };
    // Called on the owner's thread whenever a write starts.
    using TakeJob = std::function<Job()>;

    explicit QovAutosaver(TakeJob take, QObject *parent = nullptr);
    ~QovAutosaver() override;

    // A change happened: it reaches the disk with the next write, which starts within the
    // coalescing delay, or as soon as the running write ends.
    void schedule();
    // Starts a scheduled write at once rather than after the delay; nothing waits for it.
    void flush();
    // Starts a write at once, scheduled or not; nothing waits for it. Safe on a thread other
    // than the owner's only while the owner is not yet in use, as when a loader hands it over.
    void writeNow();
    // Flushes and waits until no write of this project is queued or running.
    void waitIdle();
    // Drops a scheduled write and runs `work` on the writer thread after every write queued
    // before it, waiting for its result. For saves, which supersede the scheduled autosave.
    bool runExclusive(const std::function<bool()> &work);

    // Waits until every write of every project, including those of projects already gone, has
    // ended. What the process wrote is then on disk, and no writer thread is still logging.
    static void waitForAllWrites();

    // Writes `bytes` to `path` through a temporary file beside it, flushed to disk. A link at
    // `path` stays and its target is written; a file that is no regular one or is read-only is
    // left alone, and `problem` says so.
    static bool writeComplete(const QString &path, const QByteArray &bytes, bool makeFolder = false,
                              QString *problem = nullptr);

    static constexpr int coalescingDelayMs = 100;

    // Why the last autosave failed; empty while autosaves succeed.
    const QString &problem() const { return m_problem; }

Q_SIGNALS:
    // Autosaves began to fail: until one succeeds again, a crash loses the edits since the
    // last save. Said once per run of failures, not for every write.
    void writeFailed(const QString &problem);
    void writeRecovered();

private:
    struct Shared;

    void finished(const QString &problem);

    TakeJob m_take;
    QTimer m_timer;
    bool m_pending = false;
    QString m_problem;
    std::shared_ptr<Shared> m_shared;
};
