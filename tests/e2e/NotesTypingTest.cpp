#include "E2eSession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>

#include <gtest/gtest.h>

#include <signal.h>

// Typing into the drawer keeps notes, as the user sees them, across restarts and a kill.

namespace {

// The texts of the notes in the settings file, as another program reads them off the disk.
QStringList storedTexts(const E2eSession& session) {
    QSettings file(session.settingsFile(), QSettings::IniFormat);
    const QJsonArray notes =
        QJsonDocument::fromJson(file.value(QStringLiteral("hodgebin.notes.v2")).toByteArray())
            .array();
    QStringList texts;
    for (const QJsonValue& note : notes) {
        texts << note.toObject().value(QStringLiteral("text")).toString();
    }
    return texts;
}

QJsonObject drawer(const QJsonObject& status) {
    return status.value(QStringLiteral("drawer")).toObject();
}

// Opens the drawer and waits until it has the keyboard.
bool openDrawer(E2eSession& session) {
    if (session.runHodgebin({QStringLiteral("--toggle")}).exitCode != 0) {
        return false;
    }
    if (!session.waitForStatus([](const QJsonObject& s) {
            return drawer(s).value(QStringLiteral("visible")).toBool();
        })) {
        return false;
    }
    return E2eSession::waitUntil(
        [&] {
            const QString active = QString::fromUtf8(
                session
                    .run(QStringLiteral("xdotool"),
                         {QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")})
                    .out.trimmed());
            return active == QLatin1String("Hodgebin");
        },
        5000);
}

// Types like a person: a pause between keys.
void type(E2eSession& session, const QString& text) {
    session.run(QStringLiteral("xdotool"),
                {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("120"), text});
}

} // namespace

TEST(NotesTyping, TypingIntoTheDrawerMakesANoteThatARestartAndAKillKeep) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    ASSERT_TRUE(session.startHodgebin());
    ASSERT_TRUE(openDrawer(session));

    // No text field has the keyboard on the clipboard tab: the first key opens the notes tab and
    // starts a note, and the next keys go on in it.
    type(session, QStringLiteral("milk"));
    EXPECT_TRUE(session
                    .waitForStatus([](const QJsonObject& s) {
                        return drawer(s).value(QStringLiteral("tab")).toString() ==
                               QLatin1String("Notes");
                    })
                    .has_value());
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] { return storedTexts(session) == QStringList{QStringLiteral("milk")}; }, 5000))
        << storedTexts(session).join(QLatin1Char('|')).toStdString();

    // Return starts the next line; a kill one keystroke after "eggs" keeps "eggs".
    session.run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
    type(session, QStringLiteral("eggs"));
    type(session, QStringLiteral("!"));
    ASSERT_EQ(::kill(pid_t(session.hodgebin()->processId()), SIGKILL), 0);
    session.hodgebin()->waitForFinished(5000);
    const QStringList afterKill = storedTexts(session);
    ASSERT_EQ(afterKill.size(), 2) << afterKill.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(afterKill[0], QStringLiteral("milk"));
    EXPECT_TRUE(afterKill[1].startsWith(QStringLiteral("eggs"))) << afterKill[1].toStdString();

    // A restart shows them again, and typing goes on at the end of the last line.
    ASSERT_TRUE(session.startHodgebin());
    const auto status = session.status();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->value(QStringLiteral("notes")).toObject().value(QStringLiteral("count")), 2);
    ASSERT_TRUE(openDrawer(session));
    session.run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("x")});
    EXPECT_TRUE(E2eSession::waitUntil(
        [&] {
            const QStringList texts = storedTexts(session);
            return texts.size() == 3 && texts[2] == QLatin1String("x");
        },
        5000))
        << storedTexts(session).join(QLatin1Char('|')).toStdString();
}
