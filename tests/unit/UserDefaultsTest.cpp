#include "fakes/MemoryUserDefaults.h"

#include <gtest/gtest.h>

TEST(UserDefaults, TypedReadsInterpretStoredText) {
    MemoryUserDefaults d;
    d.values = {{QStringLiteral("t"), QStringLiteral("true")},
                {QStringLiteral("y"), QStringLiteral("YES")},
                {QStringLiteral("one"), QStringLiteral("1")},
                {QStringLiteral("f"), QStringLiteral("false")},
                {QStringLiteral("n"), QStringLiteral(" -42 ")},
                {QStringLiteral("junk"), QStringLiteral("12abc")}};
    EXPECT_TRUE(d.boolForKey(QStringLiteral("t")));
    EXPECT_TRUE(d.boolForKey(QStringLiteral("y")));
    EXPECT_TRUE(d.boolForKey(QStringLiteral("one")));
    EXPECT_FALSE(d.boolForKey(QStringLiteral("f")));
    EXPECT_EQ(d.integerForKey(QStringLiteral("n")), -42);
    EXPECT_EQ(d.integerForKey(QStringLiteral("junk")), 0);
    EXPECT_FALSE(d.boolForKey(QStringLiteral("junk")));
}

TEST(UserDefaults, MissingOrUnreadableValuesReadAsFalseZeroOrEmpty) {
    MemoryUserDefaults d;
    d.values = {{QStringLiteral("list"), QStringList{QStringLiteral("a")}},
                {QStringLiteral("huge"), 1e300}};
    EXPECT_FALSE(d.boolForKey(QStringLiteral("absent")));
    EXPECT_EQ(d.integerForKey(QStringLiteral("absent")), 0);
    EXPECT_TRUE(d.stringForKey(QStringLiteral("absent")).isEmpty());
    EXPECT_TRUE(d.dataForKey(QStringLiteral("list")).isEmpty());
    EXPECT_EQ(d.integerForKey(QStringLiteral("list")), 0);
    EXPECT_EQ(d.integerForKey(QStringLiteral("huge")), 0);
}
