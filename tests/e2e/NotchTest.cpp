#include "E2eSession.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

QJsonObject part(const QJsonObject& status, const char* key) {
    return status.value(QLatin1String(key)).toObject();
}

bool drawerVisible(const QJsonObject& status) {
    return part(status, "drawer").value(QStringLiteral("visible")).toBool();
}

void xdotool(E2eSession& session, const QStringList& args) {
    const auto r = session.run(QStringLiteral("xdotool"), args);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
}

} // namespace

TEST(Notch, GraveKeyInAnotherProgramTogglesTheDrawerAndStillReachesThatProgram) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    ASSERT_TRUE(session.startHodgebin());

    // xev stands for the program the user types in: it prints every key it receives.
    QProcess xev;
    xev.setProcessEnvironment(session.environment());
    xev.start(QStringLiteral("xev"), {QStringLiteral("-event"), QStringLiteral("keyboard"),
                                      QStringLiteral("-name"), QStringLiteral("keytarget")});
    ASSERT_TRUE(xev.waitForStarted());
    QByteArray seen;
    const auto received = [&](const char* keysym) {
        return E2eSession::waitUntil(
            [&] {
                xev.waitForReadyRead(50);
                seen += xev.readAllStandardOutput();
                return seen.contains(keysym);
            },
            5000);
    };
    QByteArray window;
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            window = session
                         .run(QStringLiteral("xdotool"),
                              {QStringLiteral("search"), QStringLiteral("--name"),
                               QStringLiteral("keytarget")})
                         .out.trimmed();
            return !window.isEmpty();
        },
        5000));
    window = window.split('\n').first();
    xdotool(session, {QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                      QString::fromLatin1(window)});

    // Shift held: the key is typed, the drawer stays shut.
    xdotool(session, {QStringLiteral("key"), QStringLiteral("shift+grave")});
    EXPECT_TRUE(received("asciitilde"));
    // Caps Lock on: the same.
    xdotool(session, {QStringLiteral("key"), QStringLiteral("Caps_Lock")});
    xdotool(session, {QStringLiteral("key"), QStringLiteral("grave")});
    EXPECT_TRUE(received("grave"));
    xdotool(session, {QStringLiteral("key"), QStringLiteral("Caps_Lock")});
    EXPECT_FALSE(drawerVisible(*session.status()));
    seen.clear();

    // On its own, after a pause in the typing (just after a typed key it is typing too).
    xdotool(session, {QStringLiteral("sleep"), QStringLiteral("1"), QStringLiteral("key"),
                      QStringLiteral("grave")});
    EXPECT_TRUE(received("grave")) << "the program in front lost the key";
    EXPECT_TRUE(session.waitForStatus([](const QJsonObject& s) { return drawerVisible(s); }));

    xev.terminate();
    xev.waitForFinished(3000);
}
