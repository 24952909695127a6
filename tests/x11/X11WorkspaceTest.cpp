#include "platform/x11/X11Workspace.h"
#include "X11TestDesktop.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(X11Workspace, TheActiveApplicationIsTheActiveWindowsClass) {
    E2eSession& desktop = x11TestDesktop();
    X11Workspace workspace;
    QProcess* window = desktop.spawn(QStringLiteral("xmessage"), {QStringLiteral("active")});
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            return desktop
                       .run(QStringLiteral("xdotool"),
                            {QStringLiteral("search"), QStringLiteral("--sync"),
                             QStringLiteral("--class"), QStringLiteral("Xmessage"),
                             QStringLiteral("windowactivate"), QStringLiteral("--sync")},
                            {}, 3000)
                       .exitCode == 0;
        },
        10000));
    std::optional<QString> name;
    E2eSession::waitUntil(
        [&] {
            name = workspace.activeApplicationName();
            return name == QStringLiteral("Xmessage");
        },
        5000);
    EXPECT_EQ(name.value_or(QStringLiteral("<none>")), QStringLiteral("Xmessage"));

    // One of our own windows in front names nothing: a copy made meanwhile is not ours.
    QWindow ours;
    ours.resize(200, 100);
    ours.show();
    const QString id = QString::number(ours.winId());
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            desktop.run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), id}, {},
                        3000);
            return desktop
                       .run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}, {},
                            3000)
                       .out.trimmed() == id.toUtf8();
        },
        10000));
    EXPECT_EQ(workspace.activeApplicationName(), std::nullopt);
    window->kill();
    window->waitForFinished(3000);
}

TEST(X11Workspace, FileSizeIsWhatTheFileSystemRecordsForTheItemItself) {
    X11Workspace workspace;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1234, 'x'));
    }
    EXPECT_EQ(workspace.fileSize(path), 1234);
    EXPECT_EQ(workspace.fileSize(dir.filePath(QStringLiteral("gone.txt"))), 0);
    EXPECT_FALSE(workspace.iconForFile(path).isNull());

    // Contents that may not be read still have a recorded size.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
    EXPECT_EQ(workspace.fileSize(path), 1234);

    // A folder shows what the file system records for the folder entry itself.
    struct stat folder {};
    ASSERT_EQ(::lstat(QFile::encodeName(dir.path()).constData(), &folder), 0);
    EXPECT_GT(folder.st_size, 0);
    EXPECT_EQ(workspace.fileSize(dir.path()), qint64(folder.st_size));
}
