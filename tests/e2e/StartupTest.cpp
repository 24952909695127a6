#include "E2eSession.h"

#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

TEST(Startup, FreshUserGetsDefaultsOneInstanceAndACleanQuit) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    ASSERT_TRUE(session.startHodgebin());

    const auto status = session.status();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(status->value(QStringLiteral("running")).toBool());
    EXPECT_EQ(status->value(QStringLiteral("pid")).toInteger(), session.hodgebin()->processId());
    const QJsonObject settings = status->value(QStringLiteral("settings")).toObject();
    EXPECT_TRUE(settings.value(QStringLiteral("showNotch")).toBool());
    EXPECT_TRUE(settings.value(QStringLiteral("soundsEnabled")).toBool());
    EXPECT_EQ(settings.value(QStringLiteral("maxClipboardItems")).toInt(), 100);

    // The defaults were written to the settings file on first launch.
    QSettings file(session.settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(file.value(QStringLiteral("replaceNotch")).toString(), QStringLiteral("true"));
    EXPECT_EQ(file.value(QStringLiteral("soundsEnabled")).toString(), QStringLiteral("true"));
    EXPECT_EQ(file.value(QStringLiteral("maxClipboardItems")).toString(), QStringLiteral("100"));

    // A second start finds the first and leaves it alone.
    const auto second = session.runHodgebin({});
    EXPECT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.err.contains("already running")) << second.err.toStdString();
    const auto after = session.status();
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->value(QStringLiteral("pid")).toInteger(), session.hodgebin()->processId());

    const auto quit = session.runHodgebin({QStringLiteral("--quit")});
    EXPECT_EQ(quit.exitCode, 0) << quit.err.toStdString();
    EXPECT_TRUE(session.hodgebin()->waitForFinished(5000));
    EXPECT_EQ(session.hodgebin()->exitCode(), 0);

    const auto none = session.runHodgebin({QStringLiteral("--status")});
    EXPECT_NE(none.exitCode, 0);
    EXPECT_TRUE(none.err.contains("not running"));
    EXPECT_NE(session.runHodgebin({QStringLiteral("--quit")}).exitCode, 0);
}

TEST(Startup, StoredSettingsAreKeptAndACrashedInstanceDoesNotBlockTheNext) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    {
        QSettings file(session.settingsFile(), QSettings::IniFormat);
        file.setValue(QStringLiteral("replaceNotch"), false);
        file.setValue(QStringLiteral("maxClipboardItems"), QStringLiteral("not a number"));
    }
    ASSERT_TRUE(session.startHodgebin());
    auto status = session.status();
    ASSERT_TRUE(status.has_value());
    const QJsonObject settings = status->value(QStringLiteral("settings")).toObject();
    EXPECT_FALSE(settings.value(QStringLiteral("showNotch")).toBool());
    EXPECT_EQ(settings.value(QStringLiteral("maxClipboardItems")).toInt(), 0);

    // Killed outright: its lock and socket stay behind.
    session.hodgebin()->kill();
    ASSERT_TRUE(session.hodgebin()->waitForFinished(5000));
    ASSERT_TRUE(session.startHodgebin());
    EXPECT_TRUE(session.status().has_value());
}

TEST(CommandLine, HelpAndVersionNeedNoDisplayAndNonsenseIsRefused) {
    E2eSession::Options noServer;
    E2eSession session(noServer);
    QProcessEnvironment env = session.environment();
    env.remove(QStringLiteral("DISPLAY"));

    auto run = [&](const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(HODGEBIN_BINARY), args);
        p.waitForFinished(10000);
        return std::make_pair(p.exitCode(), p.readAllStandardOutput() + p.readAllStandardError());
    };
    auto help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.first, 0);
    EXPECT_TRUE(help.second.contains("--status"));
    auto version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.first, 0);
    EXPECT_TRUE(version.second.startsWith("hodgebin "));

    for (const QStringList& args :
         {QStringList{QStringLiteral("--status"), QStringLiteral("x")},
          QStringList{QStringLiteral("--quit=now")}, QStringList{QStringLiteral("--bogus")},
          QStringList{QStringLiteral("positional")}}) {
        auto r = run(args);
        EXPECT_EQ(r.first, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.second.contains("Usage:"));
    }
    // Starting without any display says so instead of crashing.
    auto headless = run({});
    EXPECT_EQ(headless.first, 1);
    EXPECT_TRUE(headless.second.contains("display"));
}

TEST(Startup, SettingsCommandOpensTheSettingsWindowOfTheRunningInstance) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    ASSERT_TRUE(session.startHodgebin());

    EXPECT_EQ(session.runHodgebin({QStringLiteral("--settings")}).exitCode, 0);
    EXPECT_TRUE(E2eSession::waitUntil(
        [&] {
            return session
                       .run(QStringLiteral("xdotool"),
                            {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                             QStringLiteral("--name"), QStringLiteral("^Hodgebin Settings$")})
                       .exitCode == 0;
        },
        5000));
    // Asking again brings the same window back rather than a second one.
    EXPECT_EQ(session.runHodgebin({QStringLiteral("--settings")}).exitCode, 0);
    const auto windows =
        session.run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"),
                                                QStringLiteral("^Hodgebin Settings$")});
    EXPECT_EQ(windows.out.trimmed().split('\n').size(), 1) << windows.out.toStdString();
}
