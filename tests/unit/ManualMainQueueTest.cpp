#include "fakes/ManualMainQueue.h"

#include <QObject>

#include <memory>

#include <gtest/gtest.h>

// The fake clock drives every timing test, so its own ordering must be right.
TEST(ManualMainQueue, RunsDueWorkInTimeOrderAndNothingEarly) {
    ManualMainQueue queue;
    QStringList order;
    queue.asyncAfter(0.8, [&] { order << QStringLiteral("late"); });
    queue.asyncAfter(0.3, [&] { order << QStringLiteral("early"); });
    queue.async([&] { order << QStringLiteral("now"); });

    queue.advance(0.29);
    EXPECT_EQ(order, QStringList{QStringLiteral("now")});
    queue.advance(0.51);
    EXPECT_EQ(order, (QStringList{QStringLiteral("now"), QStringLiteral("early"),
                                  QStringLiteral("late")}));
}

TEST(ManualMainQueue, RepeatingTimerFiresEachIntervalUntilInvalidated) {
    ManualMainQueue queue;
    int fired = 0;
    auto timer = queue.scheduledTimer(0.5, true, [&] { ++fired; });
    queue.advance(1.6);
    EXPECT_EQ(fired, 3);
    timer->invalidate();
    queue.advance(5);
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(timer->isValid());
}

TEST(ManualMainQueue, OneShotTimerFiresOnceAndIsThenInvalid) {
    ManualMainQueue queue;
    int fired = 0;
    auto timer = queue.scheduledTimer(0.06, false, [&] { ++fired; });
    queue.advance(1);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(timer->isValid());
}

TEST(ManualMainQueue, WallClockFollowsAdvanceAndCanBeSetBack) {
    ManualMainQueue queue;
    const QDateTime start = queue.now();
    queue.advance(90);
    EXPECT_EQ(start.secsTo(queue.now()), 90);
    queue.setWallClock(start.addSecs(-3600));
    queue.advance(1);
    EXPECT_EQ(start.secsTo(queue.now()), -3599);
}

TEST(ManualMainQueue, BackgroundWorkWaitsForTimeToPassAndItsCompletionQueuesBehindDueWork) {
    ManualMainQueue queue;
    QObject owner;
    QStringList order;
    queue.asyncBackground(
        &owner,
        [&] {
            order << QStringLiteral("work 1");
            return 1;
        },
        [&](QObject*, int n) { order << QStringLiteral("done %1").arg(n); });
    queue.async([&] { order << QStringLiteral("main"); });
    queue.asyncBackground(
        &owner,
        [&] {
            order << QStringLiteral("work 2");
            return 2;
        },
        [&](QObject*, int n) { order << QStringLiteral("done %1").arg(n); });
    EXPECT_TRUE(order.isEmpty());
    EXPECT_EQ(queue.pendingCount(), 3);

    queue.runPending();
    EXPECT_EQ(order, (QStringList{"work 1", "work 2", "main", "done 1", "done 2"}));
    EXPECT_EQ(queue.pendingCount(), 0);

    // Work handed over by a completion finishes within the same step.
    order.clear();
    queue.asyncBackground(
        &owner, [] { return 1; },
        [&](QObject* self, int) {
            order << QStringLiteral("first");
            queue.asyncBackground(
                self, [] { return 2; }, [&](QObject*, int) { order << QStringLiteral("second"); });
        });
    queue.runPending();
    EXPECT_EQ(order, (QStringList{"first", "second"}));
}

TEST(ManualMainQueue, HeldBackgroundWorkRunsWhenTheTestSaysInEitherOrder) {
    ManualMainQueue queue;
    QObject owner;
    QStringList order;
    queue.holdBackground(true);
    for (const QString& name : {QStringLiteral("a"), QStringLiteral("b")}) {
        queue.asyncBackground(
            &owner,
            [&order, name] {
                order << QStringLiteral("work ") + name;
                return name;
            },
            [&](QObject*, const QString& n) { order << QStringLiteral("done ") + n; });
    }
    queue.advance(60);
    EXPECT_TRUE(order.isEmpty());
    EXPECT_EQ(queue.backgroundCount(), 2);

    queue.runBackgroundInReverse();
    EXPECT_EQ(order, (QStringList{"work b", "work a"}));
    EXPECT_EQ(queue.backgroundCount(), 0);
    queue.runPending();
    EXPECT_EQ(order, (QStringList{"work b", "work a", "done b", "done a"}));
}

TEST(ManualMainQueue, CompletionOfAGoneOwnerIsSkippedThoughItsWorkRan) {
    ManualMainQueue queue;
    auto owner = std::make_unique<QObject>();
    bool worked = false;
    bool done = false;
    queue.asyncBackground(
        owner.get(), [&] { return worked = true; }, [&](QObject*, bool) { done = true; });
    owner.reset();
    queue.runPending();
    EXPECT_TRUE(worked);
    EXPECT_FALSE(done);
}

TEST(ManualMainQueue, CancelledWorkNeverRunsAndACompletionCancelledInFlightIsSkipped) {
    ManualMainQueue queue;
    QObject owner;
    QStringList order;
    const auto named = [&](const QString& name) {
        return queue.asyncBackground(
            &owner,
            [&order, name] {
                order << QStringLiteral("work ") + name;
                return name;
            },
            [&](QObject*, const QString& n) { order << QStringLiteral("done ") + n; });
    };
    queue.holdBackground(true);
    named(QStringLiteral("a"))->cancel();
    const auto b = named(QStringLiteral("b"));
    EXPECT_EQ(queue.backgroundCount(), 1);
    queue.runBackground();
    b->cancel();
    queue.runPending();
    EXPECT_EQ(order, QStringList{QStringLiteral("work b")});
    EXPECT_EQ(queue.pendingCount(), 0);
}
