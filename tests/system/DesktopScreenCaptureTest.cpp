#include "platform/linux/DesktopScreenCapture.h"
#include "ScreenshotFiles.h"
#include "fakes/MemoryUserDefaults.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/linux/SettingsFileDefaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Points the XDG user folders at a temporary home for the life of the object.
struct TemporaryUserDirs {
    TemporaryUserDirs() {
        previous = qgetenv("XDG_CONFIG_HOME");
        writeBytes(dir.filePath("user-dirs.dirs"),
                   "XDG_PICTURES_DIR=\"" + QFile::encodeName(pictures()) + "\"\n");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    }
    ~TemporaryUserDirs() {
        if (previous.isNull()) {
            qunsetenv("XDG_CONFIG_HOME");
        } else {
            qputenv("XDG_CONFIG_HOME", previous);
        }
    }
    QString pictures() const { return dir.filePath("Pictures"); }

    QTemporaryDir dir;
    QByteArray previous;
};

} // namespace

TEST(DesktopScreenCapture, OwnSettingWinsThenSpectacleThenPicturesScreenshots) {
    TemporaryUserDirs xdg;
    const QString spectaclerc = xdg.dir.filePath("spectaclerc");
    MemoryUserDefaults defaults;
    DesktopScreenCapture capture(defaults, spectaclerc);

    EXPECT_EQ(capture.location(), std::nullopt);
    QDir().mkpath(xdg.pictures() + QStringLiteral("/Screenshots"));
    EXPECT_EQ(capture.location(), xdg.pictures() + QStringLiteral("/Screenshots"));

    writeBytes(spectaclerc, "[ImageSave]\nimageSaveLocation=file:///srv/shots/\n");
    EXPECT_EQ(capture.location(), QStringLiteral("/srv/shots/"));

    defaults.setString(DesktopScreenCapture::locationKey, QStringLiteral("~/Mine"));
    EXPECT_EQ(capture.location(), QDir::homePath() + QStringLiteral("/Mine"));
    defaults.setString(DesktopScreenCapture::locationKey, QStringLiteral("  "));
    EXPECT_EQ(capture.location(), QStringLiteral("/srv/shots/"));
}

TEST(DesktopScreenCapture, LocationIsReadFromTheScreencaptureGroupOfTheSettingsFile) {
    QtMainQueue queue;
    QTemporaryDir dir;
    const QString file = dir.filePath("Hodgebin.conf");
    writeBytes(file, "[screencapture]\nlocation=/data/Shots\n");
    SettingsFileDefaults defaults(file, queue);
    EXPECT_EQ(DesktopScreenCapture(defaults, dir.filePath("none")).location(),
              QStringLiteral("/data/Shots"));
}

TEST(DesktopScreenCapture, SpectacleConfigurationsOldAndNewAndBroken) {
    const QByteArray home = QFile::encodeName(QDir::homePath());
    const std::pair<QByteArray, std::optional<QString>> cases[] = {
        {"[General]\nx=1\n[ImageSave]\nimageSaveLocation=file:///a/b%20c/\n",
         QStringLiteral("/a/b c/")},
        {"[ImageSave]\nimageSaveLocation[$e]=file://$HOME/Shots\n", QDir::homePath() + "/Shots"},
        {"[Save]\ndefaultSaveLocation=/plain/path\n", QStringLiteral("/plain/path")},
        {"[General]\ndefaultSaveLocation=~/Old\\sName\n", QDir::homePath() + "/Old Name"},
        {"[ImageSave]\nimageSaveLocation=smb://server/share/\n", std::nullopt},
        {"[VideoSave]\nvideoSaveLocation=file:///videos/\n", std::nullopt},
        {"imageSaveLocation=file:///nogroup/\n[ImageSave\n=\n[]\n", std::nullopt},
        {QByteArray("\x00\xff[\xfe\n=\\x\\", 9), std::nullopt},
    };
    for (const auto& [config, expected] : cases) {
        EXPECT_EQ(DesktopScreenCapture::spectacleSaveFolder(config), expected) << config.data();
    }
}

TEST(DesktopScreenCapture, APipeNamedLikeTheSpectacleFileIsNotRead) {
    TemporaryUserDirs xdg;
    const QString pipe = xdg.dir.filePath("spectaclerc");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    MemoryUserDefaults defaults;
    EXPECT_EQ(DesktopScreenCapture(defaults, pipe).location(), std::nullopt);
}
