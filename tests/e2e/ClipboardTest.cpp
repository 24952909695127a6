#include "E2eSession.h"
#include "EncodedImage.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// A copy shows in the status within milliseconds; the deadline only bounds a failure on a
// loaded machine.
constexpr int patience = 10000;

QStringList kinds(const QJsonObject& status) {
    QStringList out;
    const QJsonArray array = status.value(QStringLiteral("clipboard"))
                                 .toObject()
                                 .value(QStringLiteral("kinds"))
                                 .toArray();
    for (const auto& v : array) {
        out.append(v.toString());
    }
    return out;
}

// Each copy owns the clipboard before the next one starts, so they reach Hodgebin in order.
void copy(E2eSession& session, const QByteArray& bytes, const QString& type = QString()) {
    ASSERT_TRUE(session.copyWithXclip(bytes, type)) << type.toStdString();
}

std::optional<QJsonObject> waitForKinds(E2eSession& session, const QStringList& expected) {
    return session.waitForStatus([&](const QJsonObject& s) { return kinds(s) == expected; },
                                 patience);
}

} // namespace

TEST(Clipboard, CopiesOfEachKindMadeWithXclipBecomeEntries) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    copy(session, "copied before Hodgebin started");
    ASSERT_TRUE(session.startHodgebin());

    copy(session, "Hello from the terminal\n");
    auto status = waitForKinds(session, {QStringLiteral("text")});
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(kinds(*status), QStringList{QStringLiteral("text")});
    const QJsonObject clipboard = status->value(QStringLiteral("clipboard")).toObject();
    EXPECT_EQ(clipboard.value(QStringLiteral("count")).toInt(), 1);
    EXPECT_EQ(clipboard.value(QStringLiteral("pinned")).toInt(), 0);
    // Contents never show in the status.
    EXPECT_FALSE(QJsonDocument(*status).toJson().contains("terminal"));

    copy(session, encodedImage("png", {320, 200}, Qt::darkGreen), QStringLiteral("image/png"));
    status = waitForKinds(session, {QStringLiteral("image"), QStringLiteral("text")});
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(kinds(*status), (QStringList{QStringLiteral("image"), QStringLiteral("text")}));

    copy(session,
         "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\froman Times New Roman;}}"
         "\\pard\\f0\\fs24 Rich \\b text\\b0  from a word processor\\par}",
         QStringLiteral("text/rtf"));
    status = waitForKinds(session,
                          {QStringLiteral("rtf"), QStringLiteral("image"), QStringLiteral("text")});
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(kinds(*status).value(0), QStringLiteral("rtf"));

    const QString file = session.home() + QStringLiteral("/Desktop/report.txt");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("report");
    }
    copy(session, QUrl::fromLocalFile(file).toEncoded() + "\r\n", QStringLiteral("text/uri-list"));
    status = waitForKinds(session, {QStringLiteral("file"), QStringLiteral("rtf"),
                                    QStringLiteral("image"), QStringLiteral("text")});
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(kinds(*status).value(0), QStringLiteral("file"));

    // The same text again right after itself adds nothing; garbage adds nothing.
    copy(session, "Hello again");
    status = waitForKinds(session,
                          {QStringLiteral("text"), QStringLiteral("file"), QStringLiteral("rtf"),
                           QStringLiteral("image"), QStringLiteral("text")});
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(kinds(*status).size(), 5);
    copy(session, "Hello again");
    copy(session, QByteArray(2000, '\x01'), QStringLiteral("image/png"));
    copy(session, "final");
    status = session.waitForStatus(
        [](const QJsonObject& s) {
            return s.value(QStringLiteral("clipboard"))
                       .toObject()
                       .value(QStringLiteral("count"))
                       .toInt() >= 6;
        },
        patience);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(kinds(*status).size(), 6);
}
