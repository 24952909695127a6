#include "fakes/ManualMainQueue.h"

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
