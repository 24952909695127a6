#include "app/InstanceChannel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Points the instance folder lookup at scratch folders, as on a system without
// XDG_RUNTIME_DIR, and puts the environment back afterwards.
struct NoRuntimeDirectory : ::testing::Test {
    QTemporaryDir scratch;
    QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    QByteArray savedTmp = qgetenv("TMPDIR");
    QByteArray savedCache = qgetenv("XDG_CACHE_HOME");

    void SetUp() override {
        QDir().mkpath(tmp());
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(tmp()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/cache")));
    }
    void TearDown() override {
        restore("XDG_RUNTIME_DIR", savedRuntime);
        restore("TMPDIR", savedTmp);
        restore("XDG_CACHE_HOME", savedCache);
    }
    static void restore(const char* name, const QByteArray& value) {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }

    QString tmp() const { return scratch.path() + QStringLiteral("/tmp"); }
    QString sharedName() const {
        return tmp() + QStringLiteral("/hodgebin-") + QString::number(getuid());
    }
    static mode_t modeOf(const QString& path) {
        struct stat st {};
        lstat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    }
};

} // namespace

TEST_F(NoRuntimeDirectory, OwnFolderIsMadeOrClosedToOthersAndHoldsOneInstance) {
    // Made fresh: private to this user.
    EXPECT_EQ(InstancePaths::directory(), sharedName());
    EXPECT_EQ(modeOf(sharedName()), mode_t(0700));

    // Opened up since: closed again before it is used.
    chmod(QFile::encodeName(sharedName()).constData(), 0777);
    EXPECT_EQ(InstancePaths::directory(), sharedName());
    EXPECT_EQ(modeOf(sharedName()), mode_t(0700));

    InstanceLock first;
    InstanceLock second;
    EXPECT_TRUE(first.tryAcquire());
    EXPECT_FALSE(second.tryAcquire());
    EXPECT_TRUE(InstanceClient::instanceAlive());
}

TEST_F(NoRuntimeDirectory, FolderSomeoneElsePutAtTheNameIsNeverUsed) {
    // A link to a folder of ours would let its maker swap the target later.
    const QString elsewhere = scratch.path() + QStringLiteral("/elsewhere");
    QDir().mkpath(elsewhere);
    ASSERT_EQ(symlink(QFile::encodeName(elsewhere).constData(),
                      QFile::encodeName(sharedName()).constData()),
              0);
    const QString fallback = InstancePaths::directory();
    EXPECT_FALSE(fallback.isEmpty());
    EXPECT_FALSE(fallback.startsWith(tmp())) << fallback.toStdString();
    EXPECT_EQ(modeOf(fallback), mode_t(0700));

    // A folder of another user, open to all, as an attacker would leave it.
    QFile::remove(sharedName());
    if (getuid() != 0) {
        GTEST_SKIP() << "only root can give a folder to another user";
    }
    ASSERT_TRUE(QDir().mkdir(sharedName()));
    chmod(QFile::encodeName(sharedName()).constData(), 0777);
    ASSERT_EQ(chown(QFile::encodeName(sharedName()).constData(), 65534, 65534), 0);
    EXPECT_EQ(InstancePaths::directory(), fallback);
    EXPECT_TRUE(InstancePaths::lockPath().startsWith(fallback));
    EXPECT_TRUE(InstancePaths::socketPath().startsWith(fallback));
    // The other user's folder is left as it was and nothing was put in it.
    EXPECT_EQ(modeOf(sharedName()), mode_t(0777));
    EXPECT_TRUE(QDir(sharedName()).isEmpty());
}
