#include "E2eSession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

QJsonObject screenshots(const QJsonObject& status) {
    return status.value(QStringLiteral("screenshots")).toObject();
}

void writePng(const QString& path) {
    QImage image(640, 400, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.save(path, "PNG");
}

} // namespace

TEST(Screenshots, ANewScreenshotInTheDesktopsFolderIsCountedAsUnseenButAPhotoIsNot) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const QString folder = session.picturesFolder() + QStringLiteral("/Screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    writePng(folder + QStringLiteral("/Screenshot_before.png"));
    ASSERT_TRUE(session.startHodgebin());

    auto status = session.status();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(screenshots(*status).value(QStringLiteral("folder")).toString(), folder);
    EXPECT_EQ(screenshots(*status).value(QStringLiteral("count")).toInt(), 1);
    EXPECT_EQ(screenshots(*status).value(QStringLiteral("unseen")).toInt(), 0);

    writePng(folder + QStringLiteral("/Photo.png"));
    QElapsedTimer sinceWritten;
    sinceWritten.start();
    writePng(folder + QStringLiteral("/Screenshot_2026-01-01_10-00-00.png"));
    // The deadline only bounds a failure; the time taken is printed, not judged.
    status = session.waitForStatus(
        [](const QJsonObject& s) {
            return screenshots(s).value(QStringLiteral("unseen")).toInt() > 0;
        },
        5000);
    ASSERT_TRUE(status.has_value());
    std::printf("[ screenshot seen in --status after %lld ms ]\n",
                static_cast<long long>(sinceWritten.elapsed()));
    EXPECT_EQ(screenshots(*status).value(QStringLiteral("unseen")).toInt(), 1);
    EXPECT_EQ(screenshots(*status).value(QStringLiteral("count")).toInt(), 2);
    // Nothing was written into the watched folder by the program.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

TEST(Screenshots, TheFolderNamedInTheSettingsFileIsWatchedWithItsTildeExpanded) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    {
        QSettings file(session.settingsFile(), QSettings::IniFormat);
        file.setValue(QStringLiteral("screencapture/location"), QStringLiteral("~/Shots"));
    }
    const QString folder = session.home() + QStringLiteral("/Shots");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(session.startHodgebin());

    writePng(folder + QStringLiteral("/CleanShot 1.png"));
    const auto status = session.waitForStatus(
        [](const QJsonObject& s) {
            return screenshots(s).value(QStringLiteral("unseen")).toInt() > 0;
        },
        5000);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(screenshots(*status).value(QStringLiteral("folder")).toString(), folder);
    EXPECT_EQ(screenshots(*status).value(QStringLiteral("unseen")).toInt(), 1);
}
