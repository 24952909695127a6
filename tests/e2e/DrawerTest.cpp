#include "E2eSession.h"

#include <QFile>
#include <QJsonObject>
#include <QRect>

#include <gtest/gtest.h>

namespace {

QJsonObject drawer(const QJsonObject& status) {
    return status.value(QStringLiteral("drawer")).toObject();
}

bool drawerVisible(const QJsonObject& status) {
    return drawer(status).value(QStringLiteral("visible")).toBool();
}

QString xdotool(E2eSession& session, const QStringList& args) {
    return QString::fromUtf8(session.run(QStringLiteral("xdotool"), args).out).trimmed();
}

// The mapped windows called "Hodgebin" that have the drawer's size, with their geometry.
std::vector<std::pair<QString, QRect>> drawerWindows(E2eSession& session) {
    std::vector<std::pair<QString, QRect>> found;
    const QString ids = xdotool(session, {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                          QStringLiteral("--name"), QStringLiteral("^Hodgebin$")});
    for (const QString& id : ids.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString shell =
            xdotool(session, {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id});
        QHash<QString, int> values;
        for (const QString& line : shell.split(QLatin1Char('\n'))) {
            const QStringList kv = line.split(QLatin1Char('='));
            if (kv.size() == 2) {
                values.insert(kv[0], kv[1].toInt());
            }
        }
        const QRect geometry(values.value(QStringLiteral("X")), values.value(QStringLiteral("Y")),
                             values.value(QStringLiteral("WIDTH")),
                             values.value(QStringLiteral("HEIGHT")));
        if (geometry.size() == QSize(380, 460)) {
            found.emplace_back(id, geometry);
        }
    }
    return found;
}

} // namespace

TEST(Drawer, ToggleOpensItAtTheTopCentreWithTheKeyboardAndToggleAgainClosesIt) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    ASSERT_TRUE(session.startHodgebin());
    auto status = session.status();
    ASSERT_TRUE(status.has_value());
    EXPECT_FALSE(drawerVisible(*status));
    EXPECT_EQ(drawer(*status).value(QStringLiteral("tab")).toString(), QStringLiteral("Clips"));

    ASSERT_EQ(session.runHodgebin({QStringLiteral("--toggle")}).exitCode, 0);
    ASSERT_TRUE(session.waitForStatus(drawerVisible).has_value());
    std::vector<std::pair<QString, QRect>> windows;
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            windows = drawerWindows(session);
            // Just below the pill at the top of the screen: never under it, since the pill
            // stays above every window and would cover the tab bar.
            return windows.size() == 1 && windows[0].second.top() > 0 &&
                   windows[0].second.top() < 100;
        },
        5000));
    // No tray here: the drawer drops from the top centre of the screen.
    EXPECT_EQ(windows[0].second.center().x(), 1920 / 2 - 1);
    const QString id = windows[0].first;
    EXPECT_TRUE(E2eSession::waitUntil(
        [&] { return xdotool(session, {QStringLiteral("getactivewindow")}) == id; }, 5000));
    const QString state =
        QString::fromUtf8(session
                              .run(QStringLiteral("xprop"),
                                   {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_STATE")})
                              .out);
    EXPECT_TRUE(state.contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")))
        << state.toStdString();

    // Hidden as far as the status goes from the moment the toggle is answered, while the
    // drawer still fades out.
    ASSERT_EQ(session.runHodgebin({QStringLiteral("--toggle")}).exitCode, 0);
    status = session.status();
    ASSERT_TRUE(status.has_value());
    EXPECT_FALSE(drawerVisible(*status));
    EXPECT_TRUE(E2eSession::waitUntil([&] { return drawerWindows(session).empty(); }, 5000));

    // Open again: Escape closes it, the keyboard being the drawer's.
    ASSERT_EQ(session.runHodgebin({QStringLiteral("--toggle")}).exitCode, 0);
    ASSERT_TRUE(session.waitForStatus(drawerVisible).has_value());
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] { return xdotool(session, {QStringLiteral("getactivewindow")}) == id; }, 5000));
    session.run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_TRUE(
        session.waitForStatus([](const QJsonObject& s) { return !drawerVisible(s); }).has_value());
}
