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

    // A second start finds the first, hands it the request to show its drawer, and ends.
    const auto second = session.runHodgebin({});
    EXPECT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.err.contains("already running")) << second.err.toStdString();
    for (const char* tab : {"notes", "SHOTS", "Clips"}) {
        const auto toggle = session.runHodgebin({QStringLiteral("--toggle"), QLatin1String(tab)});
        EXPECT_EQ(toggle.exitCode, 0) << tab << toggle.err.toStdString();
    }
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
    for (const char* option : {"--toggle", "--settings", "--status", "--quit", "--version"}) {
        EXPECT_TRUE(help.second.contains(option)) << option;
    }
    auto version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.first, 0);
    EXPECT_TRUE(version.second.startsWith("hodgebin "));

    // Each mistake is named, followed by the usage, with exit status 2.
    const std::pair<QStringList, const char*> mistakes[] = {
        {{QStringLiteral("--toggle"), QStringLiteral("bogus")}, "clips, shelf, notes, shots"},
        {{QStringLiteral("--toggle"), QStringLiteral("notes"), QStringLiteral("shelf")},
         "one tab name"},
        {{QStringLiteral("--toggle"), QStringLiteral("--status")}, "choose one"},
        {{QStringLiteral("--status"), QStringLiteral("x")}, "unexpected argument \"x\""},
        {{QStringLiteral("--quit=now")}, "--quit"},
        {{QStringLiteral("--bogus")}, "Unknown option 'bogus'"},
        {{QStringLiteral("positional")}, "positional"},
    };
    for (const auto& [args, message] : mistakes) {
        auto r = run(args);
        EXPECT_EQ(r.first, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.second.contains(message) && r.second.contains("Usage:"))
            << r.second.toStdString();
    }
    // Commands for a running instance say when there is none.
    for (const char* command : {"--status", "--quit", "--settings"}) {
        auto r = run({QLatin1String(command)});
        EXPECT_EQ(r.first, 1) << command;
        EXPECT_TRUE(r.second.contains("not running")) << r.second.toStdString();
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

TEST(Startup, TwoStartsAtTheSameInstantLeaveOneInstance) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    QProcess* first = session.spawn(QStringLiteral(HODGEBIN_BINARY), {});
    QProcess* second = session.spawn(QStringLiteral(HODGEBIN_BINARY), {});

    // One of them hands over to the other and ends; the other keeps running.
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] { return first->waitForFinished(50) || second->waitForFinished(50); }, 15000));
    QProcess* ended = first->state() == QProcess::NotRunning ? first : second;
    QProcess* running = ended == first ? second : first;
    EXPECT_EQ(ended->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(ended->exitCode(), 0);
    const auto status = session.waitForStatus([](const QJsonObject&) { return true; });
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->value(QStringLiteral("pid")).toInteger(), running->processId());
    EXPECT_EQ(running->state(), QProcess::Running);
}
