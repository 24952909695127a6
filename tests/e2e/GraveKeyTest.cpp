#include "E2eSession.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>

#include <gtest/gtest.h>

// The key left of 1 as people type with it: alone it opens the drawer; in the middle of typing
// it stays with the program it was typed into; in the open drawer it is just a character.

namespace {

QJsonObject drawer(const QJsonObject& status) {
    return status.value(QStringLiteral("drawer")).toObject();
}

bool drawerVisible(const QJsonObject& status) {
    return drawer(status).value(QStringLiteral("visible")).toBool();
}

QString activeWindowName(E2eSession& session) {
    return QString::fromUtf8(session
                                 .run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow"),
                                                                  QStringLiteral("getwindowname")})
                                 .out.trimmed());
}

QStringList storedNotes(const E2eSession& session) {
    QSettings file(session.settingsFile(), QSettings::IniFormat);
    QStringList texts;
    for (const QJsonValue& note :
         QJsonDocument::fromJson(file.value(QStringLiteral("hodgebin.notes.v2")).toByteArray())
             .array()) {
        texts << note.toObject().value(QStringLiteral("text")).toString();
    }
    return texts;
}

QString fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST(GraveKey, InTheDrawerItStartsANoteAndTheDrawerStaysOpen) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    ASSERT_TRUE(session.startHodgebin());
    ASSERT_EQ(session.runHodgebin({QStringLiteral("--toggle")}).exitCode, 0);
    ASSERT_TRUE(session.waitForStatus(drawerVisible).has_value());
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] { return activeWindowName(session) == QLatin1String("Hodgebin"); }, 5000));

    session.run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("grave")});
    EXPECT_TRUE(E2eSession::waitUntil(
        [&] { return storedNotes(session) == QStringList{QStringLiteral("`")}; }, 5000))
        << storedNotes(session).join(QLatin1Char('|')).toStdString();
    const auto status = session.waitForStatus([](const QJsonObject& s) {
        return drawer(s).value(QStringLiteral("tab")).toString() == QLatin1String("Notes");
    });
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(drawerVisible(*status));
}

TEST(GraveKey, TypedAmongOtherKeysItStaysInTheProgramAndAloneItOpensTheDrawer) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    ASSERT_TRUE(session.startHodgebin());
    const QString typed = session.home() + QStringLiteral("/typed.txt");
    session.spawn(QStringLiteral(HODGEBIN_TEXT_FIELD), {typed});
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] { return activeWindowName(session) == QLatin1String("text field"); }, 5000));

    // A quick but ordinary pace: ten keys a second.
    const QString line = QStringLiteral("run `ls` now");
    session.run(QStringLiteral("xdotool"),
                {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("100"), line});
    EXPECT_TRUE(E2eSession::waitUntil([&] { return fileText(typed) == line; }, 5000))
        << fileText(typed).toStdString();
    const auto status = session.status();
    ASSERT_TRUE(status.has_value());
    EXPECT_FALSE(drawerVisible(*status));

    // After a pause the key on its own opens the drawer, and the field still gets its accent.
    session.run(QStringLiteral("xdotool"), {QStringLiteral("sleep"), QStringLiteral("1"),
                                            QStringLiteral("key"), QStringLiteral("grave")});
    EXPECT_TRUE(session.waitForStatus(drawerVisible).has_value());
    EXPECT_TRUE(
        E2eSession::waitUntil([&] { return fileText(typed) == line + QLatin1Char('`'); }, 5000))
        << fileText(typed).toStdString();
}
