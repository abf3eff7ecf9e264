#include "device/qovtaskpool.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

// The pool behind every operation must behave like an asynchronous launch: each task starts at
// once, however many are busy, and a task may wait for tasks it starts itself.
class TestTaskPool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTaskStartsAtOnce();
    void nestedWaitsDoNotStarve();
    void resultsAndExceptionsReachTheFuture();
};

void TestTaskPool::everyTaskStartsAtOnce()
{
    // Each task waits until all have started: only a pool that never queues behind busy
    // workers lets this finish.
    constexpr int kTasks = 24;
    std::atomic<int> started{0};
    std::vector<std::future<bool>> futures;
    for (int i = 0; i < kTasks; ++i) {
        futures.push_back(QovTaskPool::run([&started] {
            ++started;
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (started < kTasks && std::chrono::steady_clock::now() < until) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            return started == kTasks;
        }));
    }
    for (auto &future : futures) {
        QVERIFY(future.get());
    }
}

void TestTaskPool::nestedWaitsDoNotStarve()
{
    // Three levels, as an operation runs steps that run requests.
    const auto leaf = [](int i) { return QovTaskPool::run([i] { return i * 2; }).get(); };
    std::vector<std::future<int>> outer;
    for (int i = 0; i < 8; ++i) {
        outer.push_back(QovTaskPool::run([i, leaf] {
            return QovTaskPool::run([i, leaf] { return leaf(i) + leaf(i + 1); }).get();
        }));
    }
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(outer[i].get(), 4 * i + 2);
    }
}

void TestTaskPool::resultsAndExceptionsReachTheFuture()
{
    QCOMPARE(QovTaskPool::run([] { return QString("done"); }).get(), QString("done"));
    const int before = QovTaskPool::workerCount();
    std::future<int> failing = QovTaskPool::run([]() -> int { throw std::runtime_error("x"); });
    QVERIFY_EXCEPTION_THROWN(failing.get(), std::runtime_error);
    // The worker survives the exception, and tasks run one after another reuse idle workers.
    for (int i = 0; i < 50; ++i) {
        QCOMPARE(QovTaskPool::run([i] { return i; }).get(), i);
    }
    QVERIFY2(QovTaskPool::workerCount() <= before + 1,
             qPrintable(QString::number(QovTaskPool::workerCount())));
}

QTEST_APPLESS_MAIN(TestTaskPool)
#include "tst_taskpool.moc"
