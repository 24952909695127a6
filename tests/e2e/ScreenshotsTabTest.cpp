#include "E2eSession.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonObject>
#include <QRect>

#include <gtest/gtest.h>

namespace {

QJsonObject part(const QJsonObject& status, const char* name) {
    return status.value(QLatin1String(name)).toObject();
}

int screenshotCount(const QJsonObject& status) {
    return part(status, "screenshots").value(QStringLiteral("count")).toInt();
}

// The screen as it is shown, read back from the X server.
QImage grabScreen(E2eSession& session) {
    const E2eSession::Result shot = session.run(
        QStringLiteral("import"),
        {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")}, {}, 20000);
    return QImage::fromData(shot.out, "PNG");
}

// The box around the pixels of (nearly) this colour inside the area; empty when there are none.
QRect areaOfColour(const QImage& image, const QRect& area, QColor colour) {
    QRect found;
    for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y) {
        for (int x = area.left(); x <= area.right() && x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) < 12 &&
                std::abs(pixel.green() - colour.green()) < 12 &&
                std::abs(pixel.blue() - colour.blue()) < 12) {
                found |= QRect(x, y, 1, 1);
            }
        }
    }
    return found;
}

} // namespace

TEST(ScreenshotsTab, AScreenshotSavedWhileTheTabIsOpenAppearsAndAClickPutsItOnTheClipboard) {
    E2eSession::Options options;
    options.compositor = true;
    E2eSession session(options);
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const QString folder = session.picturesFolder() + QStringLiteral("/Screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    QImage before(800, 450, QImage::Format_RGB32);
    before.fill(QColor(40, 90, 200));
    ASSERT_TRUE(before.save(folder + QStringLiteral("/Screenshot_before.png")));
    ASSERT_TRUE(session.startHodgebin());
    ASSERT_TRUE(
        session.waitForStatus([](const QJsonObject& s) { return screenshotCount(s) == 1; }, 15000));

    // One more is saved before the drawer opens: it is unseen until the tab has been shown.
    QImage earlier(800, 450, QImage::Format_RGB32);
    earlier.fill(QColor(60, 170, 80));
    ASSERT_TRUE(earlier.save(folder + QStringLiteral("/Screenshot_earlier.png")));
    ASSERT_TRUE(session.waitForStatus([](const QJsonObject& s) {
        return screenshotCount(s) == 2 &&
               part(s, "screenshots").value(QStringLiteral("unseen")).toInt() == 1;
    }));

    ASSERT_EQ(session.runHodgebin({QStringLiteral("--toggle"), QStringLiteral("Shots")}).exitCode,
              0);
    ASSERT_TRUE(session.waitForStatus([](const QJsonObject& s) {
        const QJsonObject drawer = part(s, "drawer");
        return drawer.value(QStringLiteral("visible")).toBool() &&
               drawer.value(QStringLiteral("tab")).toString() == QStringLiteral("Shots") &&
               part(s, "screenshots").value(QStringLiteral("unseen")).toInt() == 0;
    }));

    // With the tab open, a screenshot tool saves a picture of a colour found nowhere else.
    const QColor colour(230, 40, 60);
    QImage picture(1280, 720, QImage::Format_RGB32);
    picture.fill(colour);
    for (int x = 0; x < picture.width(); x += 64) {
        for (int y = 0; y < picture.height(); ++y) {
            picture.setPixelColor(x, y, Qt::white);
        }
    }
    const QString path = folder + QStringLiteral("/Screenshot_2026-12-07_10-00-00.png");
    ASSERT_TRUE(picture.save(path));
    ASSERT_TRUE(
        session.waitForStatus([](const QJsonObject& s) { return screenshotCount(s) == 3; }, 10000));

    // It is shown in the drawer (380 wide, dropped from the top centre of the 1920 screen),
    // first in the grid: before the earlier one in its row, above the first one.
    const QRect drawer(1920 / 2 - 190, 0, 380, 460);
    QRect shown;
    QRect second;
    QRect third;
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            const QImage screen = grabScreen(session);
            shown = areaOfColour(screen, drawer, colour);
            second = areaOfColour(screen, drawer, earlier.pixelColor(0, 0));
            third = areaOfColour(screen, drawer, before.pixelColor(0, 0));
            return shown.width() > 60 && second.width() > 60 && third.width() > 60;
        },
        10000))
        << "the new screenshot is not shown in the drawer";
    EXPECT_LT(shown.right(), second.left());
    EXPECT_LT(shown.bottom(), third.top());

    session.run(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QString::number(shown.center().x()),
                 QString::number(shown.center().y()), QStringLiteral("click"),
                 QStringLiteral("1")});
    QImage copied;
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            const E2eSession::Result read = session.run(
                QStringLiteral("xclip"),
                {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                 QStringLiteral("image/png"), QStringLiteral("-o")});
            copied = QImage::fromData(read.out, "PNG");
            return !copied.isNull();
        },
        10000))
        << "no image on the clipboard";
    // The full picture, not the thumbnail; and the file is still there.
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), picture);
    EXPECT_TRUE(QFile::exists(path));
}
