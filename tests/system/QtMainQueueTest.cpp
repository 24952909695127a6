#include "platform/linux/QtMainQueue.h"
#include "EventLoop.h"

#include <QSemaphore>
#include <QSet>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

TEST(QtMainQueue, BackgroundWorkRunsOnAWorkerAndItsResultArrivesOnTheMainThread) {
    QtMainQueue queue;
    QObject owner;
    std::atomic<QThread*> workThread = nullptr;
    QThread* doneThread = nullptr;
    QString result;
    queue.asyncBackground(
        &owner,
        [&] {
            workThread = QThread::currentThread();
            return QStringLiteral("built");
        },
        [&](QObject* self, QString value) {
            EXPECT_EQ(self, &owner);
            doneThread = QThread::currentThread();
            result = std::move(value);
        });
    // Never at the call: the completion waits for the event loop.
    EXPECT_TRUE(result.isEmpty());
    ASSERT_TRUE(processEventsUntil([&] { return !result.isEmpty(); }));
    EXPECT_EQ(result, QStringLiteral("built"));
    EXPECT_NE(workThread.load(), QThread::currentThread());
    EXPECT_EQ(doneThread, QThread::currentThread());
}

TEST(QtMainQueue, ManyPiecesOfWorkAllFinishOnAtMostTwoWorkers) {
    QtMainQueue queue;
    QObject owner;
    std::atomic<int> running = 0;
    std::atomic<int> mostAtOnce = 0;
    std::mutex threadsMutex;
    QSet<QThread*> threads;
    QSet<int> done;
    const int count = 40;
    for (int i = 0; i < count; ++i) {
        queue.asyncBackground(
            &owner,
            [&, i] {
                const int now = ++running;
                int most = mostAtOnce.load();
                while (now > most && !mostAtOnce.compare_exchange_weak(most, now)) {
                }
                {
                    std::lock_guard lock(threadsMutex);
                    threads.insert(QThread::currentThread());
                }
                QThread::usleep(500);
                --running;
                return i;
            },
            [&](QObject*, int n) { done.insert(n); });
    }
    ASSERT_TRUE(processEventsUntil([&] { return done.size() == count; }));
    EXPECT_LE(mostAtOnce.load(), 2);
    EXPECT_LE(threads.size(), 2);
    EXPECT_FALSE(threads.contains(QThread::currentThread()));
}

TEST(QtMainQueue, CompletionOfAGoneOwnerIsSkipped) {
    QtMainQueue queue;
    auto gone = std::make_unique<QObject>();
    QObject alive;
    QSemaphore gate;
    // Set when the skipped completion has been let go, on whichever thread that happens.
    std::atomic<bool> released = false;
    std::shared_ptr<void> token(nullptr, [&](void*) { released = true; });
    bool goneDone = false;
    bool aliveDone = false;
    queue.asyncBackground(
        gone.get(),
        [&] {
            gate.acquire();
            return 1;
        },
        [&, token](QObject*, int) { goneDone = true; });
    token.reset();
    queue.asyncBackground(
        &alive, [] { return 2; }, [&](QObject*, int) { aliveDone = true; });
    gone.reset();
    gate.release();
    ASSERT_TRUE(processEventsUntil([&] { return released && aliveDone; }));
    EXPECT_FALSE(goneDone);
}

TEST(QtMainQueue, GoingAwayWaitsForStartedWorkAndRunsNoCompletion) {
    std::atomic<int> started = 0;
    std::atomic<int> finished = 0;
    bool completed = false;
    QObject owner;
    {
        QtMainQueue queue;
        for (int i = 0; i < 8; ++i) {
            queue.asyncBackground(
                &owner,
                [&] {
                    ++started;
                    QThread::msleep(5);
                    ++finished;
                    return 0;
                },
                [&](QObject*, int) { completed = true; });
        }
    }
    EXPECT_EQ(finished.load(), started.load());
    QCoreApplication::processEvents();
    EXPECT_FALSE(completed);
}

TEST(QtMainQueue, CancelledWorkNeverStartsAndWorkCancelledUnderWaySeesItAndGetsNoCompletion) {
    QtMainQueue queue;
    QSemaphore started;
    QSemaphore gate;
    std::atomic<bool> sawCancel = false;
    std::atomic<bool> queuedRan = false;
    int completions = 0;
    // Set once every completion has been let go, run or not, on whichever thread that happens.
    std::atomic<bool> released = false;
    std::vector<std::shared_ptr<BackgroundTask>> pieces;
    {
        std::shared_ptr<void> token(nullptr, [&](void*) { released = true; });
        const auto completion = [&, token] { ++completions; };
        // Both workers busy, so the third piece waits in the queue.
        for (int i = 0; i < 2; ++i) {
            pieces.push_back(queue.runInBackground(
                [&](const BackgroundTask& task) {
                    started.release();
                    gate.acquire();
                    if (task.isCancelled()) {
                        sawCancel = true;
                    }
                },
                completion));
        }
        EXPECT_TRUE(started.tryAcquire(2, 5000));
        pieces.push_back(
            queue.runInBackground([&](const BackgroundTask&) { queuedRan = true; }, completion));
    }
    pieces[2]->cancel();
    pieces[0]->cancel();
    gate.release(2);
    ASSERT_TRUE(processEventsUntil([&] { return released.load(); }));
    EXPECT_FALSE(queuedRan);
    EXPECT_TRUE(sawCancel);
    EXPECT_EQ(completions, 1) << "only the piece not cancelled completes";
}
