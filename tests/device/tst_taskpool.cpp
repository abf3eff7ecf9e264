#include "device/qovtaskpool.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

// The pool behind every operation must behave like an asynchronous launch: each task starts at
// once, however many are busy, and a task may wait for tasks it starts itself. What goes wrong
// (a throwing task, no thread to be had) ends in the task's failure value, never a throw.
class TestTaskPool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTaskStartsAtOnce()
    {
        // Each task waits until all have started: only a pool that never queues behind busy
        // workers lets this finish.
        constexpr int kTasks = 24;
        std::atomic<int> started{0};
        std::vector<std::future<bool>> futures;
        for (int i = 0; i < kTasks; ++i) {
            futures.push_back(QovTaskPool::run(
                [&started] {
                    ++started;
                    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                    while (started < kTasks && std::chrono::steady_clock::now() < until) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    }
                    return started == kTasks;
                },
                false));
        }
        for (auto &future : futures) {
            QVERIFY(future.get());
        }
    }

    void nestedWaitsDoNotStarve()
    {
        // Three levels, as an operation runs steps that run requests.
        const auto leaf = [](int i) { return QovTaskPool::run([i] { return i * 2; }, -1).get(); };
        std::vector<std::future<int>> outer;
        for (int i = 0; i < 8; ++i) {
            outer.push_back(QovTaskPool::run(
                [i, leaf] {
                    return QovTaskPool::run([i, leaf] { return leaf(i) + leaf(i + 1); }, -1).get();
                },
                -1));
        }
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(outer[i].get(), 4 * i + 2);
        }
    }

    void failuresBecomeTheFailureValue()
    {
        QCOMPARE(QovTaskPool::run([] { return QString("done"); }, QString()).get(),
                 QString("done"));
        const int before = QovTaskPool::workerCount();
        std::future<int> throwing =
            QovTaskPool::run([]() -> int { throw std::runtime_error("x"); }, -1);
        QCOMPARE(throwing.get(), -1);
        // The worker survives the exception, and tasks run one after another reuse it: a result
        // is out only once its worker is idle again, so no task in this run needs a new one.
        for (int i = 0; i < 50; ++i) {
            QCOMPARE(QovTaskPool::run([i] { return i; }, -1).get(), i);
        }
        QCOMPARE(QovTaskPool::workerCount(), before);

        // No thread to be had: while every worker is busy the next task cannot start, and its
        // future holds the failure value at once instead of throwing.
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        std::vector<std::future<bool>> busy;
        const int workers = QovTaskPool::workerCount();
        for (int i = 0; i <= workers; ++i) {
            busy.push_back(QovTaskPool::run(
                [released] {
                    released.wait();
                    return true;
                },
                false));
        }
        QovTaskPool::failThreadStarts(1);
        std::future<bool> starved = QovTaskPool::run([] { return true; }, false);
        QCOMPARE(starved.wait_for(std::chrono::seconds(0)), std::future_status::ready);
        QCOMPARE(starved.get(), false);
        release.set_value();
        for (auto &future : busy) {
            QVERIFY(future.get());
        }
        // Threads are to be had again.
        QVERIFY(QovTaskPool::run([] { return true; }, false).get());
    }

    void idleWorkersSleep()
    {
        // A pool with workers but no work costs no CPU time.
        for (int i = 0; i < 8; ++i) {
            QVERIFY(QovTaskPool::run([] { return true; }, false).get());
        }
        QVERIFY(QovTaskPool::workerCount() > 0);
        const std::clock_t before = std::clock();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const double cpuMs = 1000.0 * double(std::clock() - before) / CLOCKS_PER_SEC;
        QVERIFY2(cpuMs < 20, qPrintable(QString::number(cpuMs)));
    }
};

QTEST_APPLESS_MAIN(TestTaskPool)
#include "tst_taskpool.moc"
