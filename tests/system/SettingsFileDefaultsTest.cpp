#include "platform/linux/SettingsFileDefaults.h"
#include "settings/SettingsManager.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST(SettingsFileDefaults, EveryWriteIsOnDiskAtOnceAndReadsBackTyped) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Hodgebin/Hodgebin.conf"));
    {
        SettingsFileDefaults defaults(path);
        defaults.setBool(QStringLiteral("replaceNotch"), false);
        defaults.setInteger(QStringLiteral("maxClipboardItems"), -3);
        defaults.setData(QStringLiteral("hodgebin.notes.v2"), QByteArray("[{\"a\":\"b,c\"}]"));
        // Written before the object goes away: nothing waits for a destructor.
        EXPECT_TRUE(readAll(path).contains("replaceNotch=false"));
    }
    SettingsFileDefaults reread(path);
    EXPECT_FALSE(reread.boolForKey(QStringLiteral("replaceNotch")));
    EXPECT_TRUE(reread.objectForKey(QStringLiteral("replaceNotch")).isValid());
    EXPECT_EQ(reread.integerForKey(QStringLiteral("maxClipboardItems")), -3);
    EXPECT_EQ(reread.dataForKey(QStringLiteral("hodgebin.notes.v2")),
              QByteArray("[{\"a\":\"b,c\"}]"));
    EXPECT_FALSE(reread.objectForKey(QStringLiteral("soundsEnabled")).isValid());
}

TEST(SettingsFileDefaults, GarbageFileStartsWithDefaultsAndIsBackedUpBeforeBeingReplaced) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Hodgebin.conf"));
    static const char raw[] = "\x00\xff\xfe[[[=\n\x01\x02 replaceNotch\n";
    const QByteArray garbage(raw, sizeof raw - 1);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(garbage);
    }
    SettingsFileDefaults defaults(path);
    SettingsManager settings(defaults);
    EXPECT_EQ(settings.maxClipboardItems(),
              defaults.integerForKey(QStringLiteral("maxClipboardItems")));
    ASSERT_FALSE(defaults.backupPath().isEmpty());
    EXPECT_EQ(readAll(defaults.backupPath()), garbage);
    // The program went on to persist its defaults in a fresh, readable file.
    SettingsFileDefaults reread(path);
    EXPECT_TRUE(reread.boolForKey(QStringLiteral("soundsEnabled")));
}

TEST(SettingsFileDefaults, UnwritableFolderLeavesTheProgramRunningOnValuesInMemory) {
    // A plain file where the config folder should be cannot be written into, even by root.
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("config"));
    {
        QFile f(blocker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    SettingsFileDefaults defaults(blocker + QStringLiteral("/Hodgebin/Hodgebin.conf"));
    SettingsManager settings(defaults);
    EXPECT_TRUE(settings.showNotch());
    settings.setShowNotch(false);
    EXPECT_FALSE(settings.showNotch());
    EXPECT_FALSE(QFile::exists(blocker + QStringLiteral("/Hodgebin/Hodgebin.conf")));
}
