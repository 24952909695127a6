#include "platform/linux/SettingsFileDefaults.h"
#include "notes/NotesManager.h"
#include "platform/linux/QtMainQueue.h"
#include "settings/SettingsManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Background writes made, and their outcomes delivered.
void settle(SettingsFileDefaults& defaults) {
    defaults.waitForBackgroundWrites();
    QCoreApplication::processEvents();
}
} // namespace

TEST(SettingsFileDefaults, EveryWriteIsOnDiskAtOnceAndReadsBackTyped) {
    QtMainQueue queue;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Hodgebin/Hodgebin.conf"));
    {
        SettingsFileDefaults defaults(path, queue);
        defaults.setBool(QStringLiteral("replaceNotch"), false);
        defaults.setInteger(QStringLiteral("maxClipboardItems"), -3);
        defaults.setData(QStringLiteral("hodgebin.notes.v2"), QByteArray("[{\"a\":\"b,c\"}]"));
        // Written before the object goes away: nothing waits for a destructor.
        EXPECT_TRUE(readAll(path).contains("replaceNotch=false"));
    }
    SettingsFileDefaults reread(path, queue);
    EXPECT_FALSE(reread.boolForKey(QStringLiteral("replaceNotch")));
    EXPECT_TRUE(reread.objectForKey(QStringLiteral("replaceNotch")).isValid());
    EXPECT_EQ(reread.integerForKey(QStringLiteral("maxClipboardItems")), -3);
    EXPECT_EQ(reread.dataForKey(QStringLiteral("hodgebin.notes.v2")),
              QByteArray("[{\"a\":\"b,c\"}]"));
    EXPECT_FALSE(reread.objectForKey(QStringLiteral("soundsEnabled")).isValid());
}

TEST(SettingsFileDefaults, GarbageFileStartsWithDefaultsAndIsBackedUpBeforeBeingReplaced) {
    QtMainQueue queue;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Hodgebin.conf"));
    static const char raw[] = "\x00\xff\xfe[[[=\n\x01\x02 replaceNotch\n";
    const QByteArray garbage(raw, sizeof raw - 1);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(garbage);
    }
    SettingsFileDefaults defaults(path, queue);
    SettingsManager settings(defaults);
    EXPECT_EQ(settings.maxClipboardItems(),
              defaults.integerForKey(QStringLiteral("maxClipboardItems")));
    ASSERT_FALSE(defaults.backupPath().isEmpty());
    EXPECT_EQ(readAll(defaults.backupPath()), garbage);
    // The program went on to persist its defaults in a fresh, readable file.
    SettingsFileDefaults reread(path, queue);
    EXPECT_TRUE(reread.boolForKey(QStringLiteral("soundsEnabled")));
}

TEST(SettingsFileDefaults, UnwritableFolderLeavesTheProgramRunningOnValuesInMemory) {
    QtMainQueue queue;
    // A plain file where the config folder should be cannot be written into, even by root.
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("config"));
    {
        QFile f(blocker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    SettingsFileDefaults defaults(blocker + QStringLiteral("/Hodgebin/Hodgebin.conf"), queue);
    SettingsManager settings(defaults);
    EXPECT_TRUE(settings.showNotch());
    settings.setShowNotch(false);
    EXPECT_FALSE(settings.showNotch());
    EXPECT_FALSE(QFile::exists(blocker + QStringLiteral("/Hodgebin/Hodgebin.conf")));
}

TEST(SettingsFileDefaults, AWriteAnswersWhetherItReachedTheDiskAndAFailedOneGoesWithTheNext) {
    QtMainQueue queue;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("config"));
    {
        QFile blocker(folder);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    const QString path = folder + QStringLiteral("/Hodgebin.conf");
    SettingsFileDefaults defaults(path, queue);
    EXPECT_FALSE(defaults.setBool(QStringLiteral("replaceNotch"), false));
    EXPECT_FALSE(defaults.setInteger(QStringLiteral("maxClipboardItems"), 7));
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("replaceNotch"))) << "still readable";

    // The folder becomes writable: the next write carries the earlier ones with it.
    ASSERT_TRUE(QFile::remove(folder));
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(defaults.setBool(QStringLiteral("soundsEnabled"), true));
    const QByteArray onDisk = readAll(path);
    EXPECT_TRUE(onDisk.contains("replaceNotch=false"));
    EXPECT_TRUE(onDisk.contains("maxClipboardItems=7"));
    EXPECT_TRUE(onDisk.contains("soundsEnabled=true"));

    // A file that could not be parsed at start is no failure to write.
    const QString garbled = dir.filePath(QStringLiteral("garbled.conf"));
    {
        QFile f(garbled);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("\x00\xff[[[=\n", 7));
    }
    SettingsFileDefaults fresh(garbled, queue);
    EXPECT_TRUE(fresh.setBool(QStringLiteral("replaceNotch"), true));
    EXPECT_TRUE(fresh.removeObject(QStringLiteral("replaceNotch")));
}

namespace {

// A tmpfs of 64 KiB, mounted for one test when this process may mount; unmounted after it.
class TinyFilesystem {
public:
    TinyFilesystem() {
        mounted_ =
            dir_.isValid() && QProcess::execute(QStringLiteral("mount"),
                                                {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                 QStringLiteral("-o"), QStringLiteral("size=64k"),
                                                 QStringLiteral("tmpfs"), dir_.path()}) == 0;
    }
    ~TinyFilesystem() {
        if (mounted_) {
            QProcess::execute(QStringLiteral("umount"), {dir_.path()});
        }
    }
    bool mounted() const { return mounted_; }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

} // namespace

TEST(SettingsFileDefaults, NotesOnAFullDiskAreReportedUnsavedAndSavedOnceThereIsRoom) {
    QtMainQueue queue;
    TinyFilesystem disk;
    if (!disk.mounted()) {
        GTEST_SKIP() << "this process may not mount a small filesystem";
    }
    SettingsFileDefaults defaults(disk.filePath(QStringLiteral("Hodgebin/Hodgebin.conf")), queue);
    NotesManager notes(defaults);
    notes.setText(notes.items()[0].id, QStringLiteral("before the disk filled"));
    settle(defaults);
    ASSERT_FALSE(notes.cannotSave());

    // Fill what is left of the disk.
    const QString filler = disk.filePath(QStringLiteral("filler"));
    {
        QFile f(filler);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (f.write(block) == block.size() && f.flush()) {
        }
    }
    const QString longer = QString(20000, QLatin1Char('n'));
    notes.setText(notes.items()[0].id, longer);
    settle(defaults);
    EXPECT_TRUE(notes.cannotSave());
    // The file on disk still holds the last complete save. (Read as bytes: another settings
    // object in this process would share the values not yet written.)
    const QByteArray longerBytes = longer.toUtf8();
    EXPECT_TRUE(readAll(defaults.filePath()).contains("before the disk filled"));
    EXPECT_FALSE(readAll(defaults.filePath()).contains(longerBytes));

    ASSERT_TRUE(QFile::remove(filler));
    notes.addItem(notes.items()[0].id);
    settle(defaults);
    EXPECT_FALSE(notes.cannotSave());
    EXPECT_TRUE(readAll(defaults.filePath()).contains(longerBytes));
}

TEST(SettingsFileDefaults, BackgroundWritesOfOneKeyEndWithTheNewestOnDiskAndReported) {
    QtMainQueue queue;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Hodgebin/Hodgebin.conf"));
    SettingsFileDefaults defaults(path, queue);
    ASSERT_TRUE(defaults.setBool(QStringLiteral("replaceNotch"), false));
    ASSERT_TRUE(readAll(path).contains("replaceNotch=false"));
    QList<int> reported;
    for (int i = 0; i < 50; ++i) {
        defaults.setDataInBackground(
            QStringLiteral("k"), [i] { return QByteArray::number(i); },
            [&reported, i](bool written) {
                EXPECT_TRUE(written);
                reported << i;
            });
    }
    EXPECT_TRUE(reported.isEmpty()) << "outcomes arrive on the caller's thread, later";
    settle(defaults);
    ASSERT_FALSE(reported.isEmpty());
    EXPECT_EQ(reported.last(), 49);
    const QByteArray onDisk = readAll(path);
    EXPECT_TRUE(onDisk.contains("k=@ByteArray(49)")) << onDisk.toStdString();
    EXPECT_TRUE(onDisk.contains("replaceNotch=false")) << "the other keys stay";
    EXPECT_EQ(defaults.dataForKey(QStringLiteral("k")), QByteArray("49"));
}
