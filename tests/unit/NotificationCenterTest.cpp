#include "platform/NotificationCenter.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>

TEST(NotificationCenter, PostReachesOnlyObserversOfThatName) {
    NotificationCenter center;
    QStringList calls;
    center.addObserver(QStringLiteral("a"), nullptr, [&] { calls << QStringLiteral("a1"); });
    center.addObserver(QStringLiteral("b"), nullptr, [&] { calls << QStringLiteral("b"); });
    center.addObserver(QStringLiteral("a"), nullptr, [&] { calls << QStringLiteral("a2"); });

    center.post(QStringLiteral("a"));
    EXPECT_EQ(calls, (QStringList{QStringLiteral("a1"), QStringLiteral("a2")}));
}

TEST(NotificationCenter, RemovedAndDestroyedObserversAreNotCalled) {
    NotificationCenter center;
    int calls = 0;
    auto context = std::make_unique<QObject>();
    const auto token = center.addObserver(QStringLiteral("n"), nullptr, [&] { ++calls; });
    center.addObserver(QStringLiteral("n"), context.get(), [&] { ++calls; });

    center.removeObserver(token);
    context.reset();
    center.post(QStringLiteral("n"));

    EXPECT_EQ(calls, 0);
    EXPECT_EQ(center.observerCount(QStringLiteral("n")), 0);
}

TEST(NotificationCenter, AnObserverMayRemoveAnotherWhilePosting) {
    NotificationCenter center;
    int secondCalls = 0;
    NotificationCenter::Token second = 0;
    center.addObserver(QStringLiteral("n"), nullptr, [&] { center.removeObserver(second); });
    second = center.addObserver(QStringLiteral("n"), nullptr, [&] { ++secondCalls; });

    center.post(QStringLiteral("n"));
    EXPECT_EQ(secondCalls, 0);
}
