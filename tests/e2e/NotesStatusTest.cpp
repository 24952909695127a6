#include "E2eSession.h"

#include <QJsonDocument>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

const QString notesKey = QStringLiteral("hodgebin.notes.v2");

QVariant storedNotes(const E2eSession& session) {
    QSettings file(session.settingsFile(), QSettings::IniFormat);
    return file.value(notesKey);
}

qint64 count(const QJsonObject& status, const char* block) {
    return status.value(QString::fromLatin1(block))
        .toObject()
        .value(QStringLiteral("count"))
        .toInteger(-1);
}

bool quit(E2eSession& session) {
    return session.runHodgebin({QStringLiteral("--quit")}).exitCode == 0 &&
           session.hodgebin()->waitForFinished(5000);
}

} // namespace

TEST(Notes, StoredNotesAreCountedAndSurviveRestartsUntouched) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const QByteArray notes =
        QStringLiteral(
            "[{\"id\":\"0F4C2A9E-1B3D-4E5F-8A7B-6C5D4E3F2A1B\",\"text\":\"buy milk, eggs\","
            "\"done\":true,\"indent\":0},"
            "{\"id\":\"9A8B7C6D-5E4F-4A3B-9C2D-1E0F9A8B7C6D\",\"text\":\"🙂 ünïcödé\","
            "\"done\":false,\"indent\":2},"
            "{\"id\":\"11111111-2222-4333-8444-555555555555\",\"text\":\"\",\"done\":false,"
            "\"indent\":7}]")
            .toUtf8();
    {
        // The same form the program writes: a byte array value.
        QSettings file(session.settingsFile(), QSettings::IniFormat);
        file.setValue(notesKey, notes);
    }

    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(session.startHodgebin()) << "run " << run;
        const auto status = session.status();
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(count(*status, "notes"), 3) << "run " << run;
        EXPECT_EQ(count(*status, "shelf"), 0);
        EXPECT_FALSE(QJsonDocument(*status).toJson().contains("milk"));
        ASSERT_TRUE(quit(session));
        EXPECT_EQ(storedNotes(session).toByteArray(), notes) << "run " << run;
    }
}

TEST(Notes, UnreadableNotesGiveOneNoteAndStayOnDiskAsTheyWere) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const QByteArray corrupt("[{\"id\":\"0F4C2A9E-1B3D-4E5F-8A7B-6C5D4E3F2A1B\",\"text\":\"half");
    {
        QSettings file(session.settingsFile(), QSettings::IniFormat);
        file.setValue(notesKey, corrupt);
    }
    ASSERT_TRUE(session.startHodgebin());
    const auto status = session.status();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(count(*status, "notes"), 1);
    ASSERT_TRUE(quit(session));
    EXPECT_EQ(storedNotes(session).toByteArray(), corrupt);
}
