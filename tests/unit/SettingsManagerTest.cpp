#include "settings/SettingsManager.h"
#include "fakes/MemoryUserDefaults.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {
const QString notchKey = QStringLiteral("replaceNotch");
const QString soundsKey = QStringLiteral("soundsEnabled");
const QString maxKey = QStringLiteral("maxClipboardItems");
} // namespace

TEST(SettingsManager, FirstLaunchWritesTheThreeDefaults) {
    MemoryUserDefaults defaults;
    SettingsManager settings(defaults);

    EXPECT_TRUE(settings.showNotch());
    EXPECT_TRUE(settings.soundsEnabled());
    EXPECT_EQ(settings.maxClipboardItems(), 100);
    EXPECT_EQ(defaults.values.value(notchKey), QVariant(true));
    EXPECT_EQ(defaults.values.value(soundsKey), QVariant(true));
    EXPECT_EQ(defaults.values.value(maxKey).toLongLong(), 100);
    EXPECT_EQ(defaults.writes, (QStringList{notchKey, soundsKey, maxKey}));
}

TEST(SettingsManager, StoredFalseIsKeptAndNotRewritten) {
    MemoryUserDefaults defaults;
    defaults.values = {{notchKey, false}, {soundsKey, false}, {maxKey, 100}};
    SettingsManager settings(defaults);

    EXPECT_FALSE(settings.showNotch());
    EXPECT_FALSE(settings.soundsEnabled());
    EXPECT_TRUE(defaults.writes.isEmpty());
}

TEST(SettingsManager, ZeroAndNegativeLimitsAreHeldUnclamped) {
    for (qint64 stored : {qint64(0), qint64(-5), qint64(1) << 40}) {
        MemoryUserDefaults defaults;
        defaults.values = {{notchKey, true}, {soundsKey, true}, {maxKey, stored}};
        SettingsManager settings(defaults);
        EXPECT_EQ(settings.maxClipboardItems(), stored);
        EXPECT_EQ(defaults.writeCount(maxKey), 0);
    }
}

TEST(SettingsManager, OnlyTheMissingKeyIsWritten) {
    MemoryUserDefaults defaults;
    defaults.values = {{notchKey, false}, {maxKey, 7}};
    SettingsManager settings(defaults);

    EXPECT_EQ(defaults.writes, QStringList{soundsKey});
    EXPECT_FALSE(settings.showNotch());
    EXPECT_TRUE(settings.soundsEnabled());
    EXPECT_EQ(settings.maxClipboardItems(), 7);
}

TEST(SettingsManager, ValuesOfTheWrongTypeReadAsFalseOrZeroAndAreNotOverwritten) {
    MemoryUserDefaults defaults;
    defaults.values = {{notchKey, QStringLiteral("banana")},
                       {soundsKey, QStringList{QStringLiteral("a"), QStringLiteral("b")}},
                       {maxKey, QStringLiteral("lots")}};
    SettingsManager settings(defaults);

    EXPECT_FALSE(settings.showNotch());
    EXPECT_FALSE(settings.soundsEnabled());
    EXPECT_EQ(settings.maxClipboardItems(), 0);
    EXPECT_TRUE(defaults.writes.isEmpty());
    EXPECT_EQ(defaults.values.value(notchKey), QVariant(QStringLiteral("banana")));
}

TEST(SettingsManager, ValuesReadBackFromATextFileAreUnderstood) {
    MemoryUserDefaults defaults;
    defaults.values = {{notchKey, QStringLiteral("false")},
                       {soundsKey, QStringLiteral("true")},
                       {maxKey, QStringLiteral("250")}};
    SettingsManager settings(defaults);

    EXPECT_FALSE(settings.showNotch());
    EXPECT_TRUE(settings.soundsEnabled());
    EXPECT_EQ(settings.maxClipboardItems(), 250);
}

TEST(SettingsManager, AssigningAnEqualValueWritesButNotifiesNobody) {
    MemoryUserDefaults defaults;
    SettingsManager settings(defaults);
    QSignalSpy notchSpy(&settings, &SettingsManager::showNotchChanged);
    QSignalSpy soundsSpy(&settings, &SettingsManager::soundsEnabledChanged);
    defaults.writes.clear();

    settings.setShowNotch(true);
    settings.setSoundsEnabled(true);

    EXPECT_EQ(defaults.writes, (QStringList{notchKey, soundsKey}));
    EXPECT_EQ(notchSpy.count(), 0);
    EXPECT_EQ(soundsSpy.count(), 0);
}

TEST(SettingsManager, AChangeWritesAndNotifiesOnce) {
    MemoryUserDefaults defaults;
    SettingsManager settings(defaults);
    QSignalSpy notchSpy(&settings, &SettingsManager::showNotchChanged);
    QSignalSpy soundsSpy(&settings, &SettingsManager::soundsEnabledChanged);
    defaults.writes.clear();

    settings.setShowNotch(false);

    EXPECT_FALSE(settings.showNotch());
    EXPECT_EQ(defaults.values.value(notchKey), QVariant(false));
    EXPECT_EQ(defaults.writes, QStringList{notchKey});
    ASSERT_EQ(notchSpy.count(), 1);
    EXPECT_EQ(notchSpy.at(0).at(0).toBool(), false);
    EXPECT_EQ(soundsSpy.count(), 0);

    settings.setSoundsEnabled(false);
    EXPECT_EQ(soundsSpy.count(), 1);
    EXPECT_EQ(defaults.values.value(soundsKey), QVariant(false));
}

TEST(SettingsManager, AWriteThatFailsHoldsTheValueAndIsMadeAgainWithTheNextOne) {
    MemoryUserDefaults defaults;
    defaults.failWrites = true;
    SettingsManager settings(defaults);
    // Defaults that could not be stored are still the values in use.
    EXPECT_TRUE(settings.showNotch());
    EXPECT_EQ(settings.maxClipboardItems(), 100);

    settings.setShowNotch(false);
    EXPECT_FALSE(settings.showNotch());
    EXPECT_TRUE(defaults.values.isEmpty());

    defaults.failWrites = false;
    settings.setSoundsEnabled(false);
    EXPECT_EQ(defaults.values.value(notchKey), QVariant(false));
    EXPECT_EQ(defaults.values.value(soundsKey), QVariant(false));
    EXPECT_EQ(defaults.values.value(maxKey), QVariant(qint64(100)));

    // Once stored, a key is not written again with unrelated changes.
    defaults.writes.clear();
    settings.setSoundsEnabled(true);
    EXPECT_EQ(defaults.writes, QStringList{soundsKey});
}
