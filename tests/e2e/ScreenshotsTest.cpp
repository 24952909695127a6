#include "E2eSession.h"
#include "EncodedImage.h"

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

// A 4K screen's worth of PNG, a gradient with rows of "text": large enough that decoding it
// is real work.
QByteArray largeScreenshotPng() {
    QImage image(3840, 2160, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const QRgb background = qRgb(40 + y * 80 / 2160, 60, 110 - y * 20 / 2160);
        const bool textRow = y % 22 >= 8 && y % 22 < 18;
        for (int x = 0; x < image.width(); ++x) {
            const int word = x / 75;
            const bool ink = textRow && x % 75 < 30 + (word * 37 + y / 22 * 11) % 40;
            line[x] = ink ? qRgb(30, 30, 30) : background;
        }
    }
    return encodeImage(image, "PNG");
}

} // namespace

TEST(Screenshots, ANewScreenshotInTheDesktopsFolderIsCountedAsUnseenButAPhotoIsNot) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const QString folder = session.picturesFolder() + QStringLiteral("/Screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    writePng(folder + QStringLiteral("/Screenshot_before.png"));
    ASSERT_TRUE(session.startHodgebin());

    // The screenshots found at start are decoded in the background and arrive shortly after.
    auto status = session.waitForStatus(
        [](const QJsonObject& s) {
            return screenshots(s).value(QStringLiteral("count")).toInt() > 0;
        },
        15000);
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

TEST(Screenshots, StatusAnswersWhileThirtyLargeScreenshotsAreLoadedAndThenCountsThemAll) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const QString folder = session.picturesFolder() + QStringLiteral("/Screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray png = largeScreenshotPng();
    const int count = 30;
    for (int i = 0; i < count; ++i) {
        QFile file(folder + QStringLiteral("/Screenshot_%1.png").arg(i, 2, 10, QLatin1Char('0')));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(png), png.size());
    }

    // The figures are printed, not judged: the machine may be shared.
    QElapsedTimer sinceStart;
    sinceStart.start();
    ASSERT_TRUE(session.startHodgebin());
    const qint64 firstAnswer = sinceStart.elapsed();
    qint64 slowestAnswer = 0;
    int answers = 0;
    std::optional<QJsonObject> status;
    QElapsedTimer deadline;
    deadline.start();
    do {
        QElapsedTimer roundTrip;
        roundTrip.start();
        status = session.status();
        ASSERT_TRUE(status.has_value());
        slowestAnswer = std::max(slowestAnswer, roundTrip.elapsed());
        ++answers;
    } while (screenshots(*status).value(QStringLiteral("count")).toInt() < count &&
             deadline.elapsed() < 60000);
    std::printf("[ %d screenshots of 3840x2160 (%lld KB each): first --status answer %lld ms "
                "after start, all %d counted after %lld ms, slowest of %d answers meanwhile "
                "%lld ms ]\n",
                count, static_cast<long long>(png.size() / 1024),
                static_cast<long long>(firstAnswer), count,
                static_cast<long long>(sinceStart.elapsed()), answers,
                static_cast<long long>(slowestAnswer));
    EXPECT_EQ(screenshots(*status).value(QStringLiteral("count")).toInt(), count);
    EXPECT_EQ(screenshots(*status).value(QStringLiteral("unseen")).toInt(), 0);
}
