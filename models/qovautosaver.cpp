#include "models/qovautosaver.h"

#include "models/qovdurablefile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QThreadPool>

#include <condition_variable>
#include <future>
#include <mutex>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

// What the writer thread shares with the autosaver: how many of its writes are queued or
// running, and whom to tell when one ends (null once the autosaver is gone).
struct QovAutosaver::Shared
{
    std::mutex lock;
    std::condition_variable idle;
    int writes = 0;
    QovAutosaver *owner = nullptr;
};

namespace {
// One thread for all file writes of the process, kept until the process ends; its pool waits
// for queued writes when it is destroyed at exit.
QThreadPool &writer()
{
    static QThreadPool pool;
    static std::once_flag once;
    std::call_once(once, [] {
        pool.setMaxThreadCount(1);
        pool.setExpiryTimeout(-1);
    });
    return pool;
}

// On a busy machine the threads of one process share one slice of the processors; a writer
// serialising a large project at normal priority would take it from the GUI thread. Niced,
// it yields whenever the GUI thread wakes, and still runs whenever that thread sleeps.
void yieldToGuiThread()
{
#ifdef Q_OS_LINUX
    thread_local bool lowered = false;
    if (!lowered) {
        lowered = true;
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 10);
    }
#endif
}

// Every job on the writer runs through here.
template<typename Job>
void onWriter(Job job)
{
    writer().start([job = std::move(job)]() mutable {
        yieldToGuiThread();
        job();
    });
}
} // namespace

QovAutosaver::QovAutosaver(TakeJob take, QObject *parent)
    : QObject(parent)
    , m_take(std::move(take))
    , m_timer(this)
    , m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
    m_timer.setSingleShot(true);
    m_timer.setInterval(coalescingDelayMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        std::unique_lock<std::mutex> lock(m_shared->lock);
        const bool busy = m_shared->writes > 0;
        lock.unlock();
        // A running write reports its end; the change waits for that instead of queueing
        // a second full write behind it.
        if (!busy) {
            writeNow();
        }
    });
}

QovAutosaver::~QovAutosaver()
{
    std::lock_guard<std::mutex> lock(m_shared->lock);
    m_shared->owner = nullptr;
}

void QovAutosaver::schedule()
{
    // A project filled on a worker thread while it belongs to the GUI thread: the timer and
    // the pending flag are the owner's.
    if (thread() != QThread::currentThread()) {
        QMetaObject::invokeMethod(this, &QovAutosaver::schedule, Qt::QueuedConnection);
        return;
    }
    m_pending = true;
    if (!m_timer.isActive()) {
        m_timer.start();
    }
}

void QovAutosaver::flush()
{
    if (m_pending) {
        writeNow();
    }
}

void QovAutosaver::waitIdle()
{
    flush();
    std::unique_lock<std::mutex> lock(m_shared->lock);
    m_shared->idle.wait(lock, [this] { return m_shared->writes == 0; });
}

void QovAutosaver::waitForAllWrites()
{
    writer().waitForDone();
}

void QovAutosaver::writeNow()
{
    if (m_timer.isActive()) {
        m_timer.stop();
    }
    m_pending = false;
    Job job = m_take();
    {
        std::lock_guard<std::mutex> lock(m_shared->lock);
        ++m_shared->writes;
    }
    onWriter([shared = m_shared, job = std::move(job)] {
        qDebug() << QThread::currentThreadId() << "autosave!" << job.path;
        QString problem;
        if (!writeComplete(job.path, job.snapshot.toJsonBytes(), job.makeFolder, &problem) &&
            problem.isEmpty()) {
            problem = QDir::toNativeSeparators(job.path);
        }
        std::lock_guard<std::mutex> lock(shared->lock);
        --shared->writes;
        if (QovAutosaver *owner = shared->owner) {
            // Dropped with the owner, should it go before this call is delivered.
            QMetaObject::invokeMethod(
                owner, [owner, problem] { owner->finished(problem); }, Qt::QueuedConnection);
        }
        shared->idle.notify_all();
    });
}

void QovAutosaver::finished(const QString &problem)
{
    if (problem != m_problem) {
        const bool wasFailing = !m_problem.isEmpty();
        m_problem = problem;
        if (!problem.isEmpty() && !wasFailing) {
            Q_EMIT writeFailed(problem);
        } else if (problem.isEmpty()) {
            Q_EMIT writeRecovered();
        }
    }
    if (m_pending && !m_timer.isActive()) {
        writeNow();
    }
}

bool QovAutosaver::runExclusive(const std::function<bool()> &work)
{
    m_timer.stop();
    m_pending = false;
    auto task = std::make_shared<std::packaged_task<bool()>>(work);
    std::future<bool> result = task->get_future();
    onWriter([task] { (*task)(); });
    return result.get();
}

bool QovAutosaver::writeComplete(const QString &path, const QByteArray &bytes, bool makeFolder,
                                 QString *problem)
{
    const QString target = qovReplaceableFile(path, problem);
    if (target.isEmpty()) {
        return false;
    }
    if (makeFolder) {
        QDir().mkpath(QFileInfo(target).absolutePath());
    }
    const QString staging = qovWriteStagingFile(target, bytes, problem);
    if (!staging.isEmpty() && qovReplaceFile(staging, target, problem)) {
        return true;
    }
    if (!staging.isEmpty()) {
        QFile::remove(staging);
    }
    return false;
}
