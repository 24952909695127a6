#include "E2eSession.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRect>

#include <gtest/gtest.h>

namespace {

int clipboardCount(const QJsonObject& status) {
    return status.value(QStringLiteral("clipboard"))
        .toObject()
        .value(QStringLiteral("count"))
        .toInt();
}

bool drawerVisible(const QJsonObject& status) {
    return status.value(QStringLiteral("drawer"))
        .toObject()
        .value(QStringLiteral("visible"))
        .toBool();
}

QString output(const E2eSession::Result& result) {
    return QString::fromUtf8(result.out).trimmed();
}

// The drawer's window ("Hodgebin", 380 x 460) once mapped; empty when it is not.
QRect drawerGeometry(E2eSession& session) {
    const QString ids = output(session.run(
        QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--name"), QStringLiteral("^Hodgebin$")}));
    for (const QString& id : ids.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString shell =
            output(session.run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"),
                                                           QStringLiteral("--shell"), id}));
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
            return geometry;
        }
    }
    return {};
}

void copy(E2eSession& session, const QByteArray& text) {
    const auto result = session.run(
        QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard")}, text);
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
}

QString pasted(E2eSession& session) {
    return output(session.run(
        QStringLiteral("xclip"),
        {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")}, {},
        3000));
}

} // namespace

TEST(ClipboardTab, ClickingAnOlderRowPutsItsTextBackOnTheClipboard) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    ASSERT_TRUE(session.startHodgebin());
    copy(session, "the older entry");
    ASSERT_TRUE(
        session.waitForStatus([](const QJsonObject& s) { return clipboardCount(s) == 1; }, 3000)
            .has_value());
    copy(session, "the newest entry");
    ASSERT_TRUE(
        session.waitForStatus([](const QJsonObject& s) { return clipboardCount(s) == 2; }, 3000)
            .has_value());

    ASSERT_EQ(session.runHodgebin({QStringLiteral("--toggle")}).exitCode, 0);
    ASSERT_TRUE(session.waitForStatus(drawerVisible).has_value());
    QRect drawer;
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            drawer = drawerGeometry(session);
            return !drawer.isEmpty();
        },
        5000));

    // Below the tab bar and the "Clear" header stand two one-line rows, the newest first; the
    // second one's blank middle is clicked.
    const QPoint secondRow = drawer.topLeft() + QPoint(drawer.width() / 2, 122);
    auto xdo = [&](const QStringList& args) { session.run(QStringLiteral("xdotool"), args); };
    xdo({QStringLiteral("mousemove"), QString::number(secondRow.x()),
         QString::number(secondRow.y())});
    xdo({QStringLiteral("mousemove_relative"), QStringLiteral("1"), QStringLiteral("0")});
    xdo({QStringLiteral("click"), QStringLiteral("1")});

    QString text;
    EXPECT_TRUE(E2eSession::waitUntil(
        [&] {
            text = pasted(session);
            return text == QStringLiteral("the older entry");
        },
        5000))
        << text.toStdString();
    // The copy-back is a change like any other: it comes back as a new entry at the top.
    EXPECT_TRUE(
        session.waitForStatus([](const QJsonObject& s) { return clipboardCount(s) == 3; }, 3000)
            .has_value());
}

namespace {

// Three copies, oldest first, each seen by the history before the next.
bool copyThree(E2eSession& session) {
    int count = 0;
    for (const char* text : {"the oldest entry", "the middle entry", "the newest entry"}) {
        copy(session, text);
        ++count;
        if (!session
                 .waitForStatus(
                     [count](const QJsonObject& s) { return clipboardCount(s) == count; }, 3000)
                 .has_value()) {
            return false;
        }
    }
    return true;
}

// Opens the drawer with --toggle and waits until it has the keyboard.
bool openDrawer(E2eSession& session) {
    if (session.runHodgebin({QStringLiteral("--toggle")}).exitCode != 0 ||
        !session.waitForStatus(drawerVisible).has_value()) {
        return false;
    }
    return E2eSession::waitUntil(
        [&] {
            return output(
                       session.run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow"),
                                                               QStringLiteral("getwindowname")})) ==
                   QLatin1String("Hodgebin");
        },
        5000);
}

} // namespace

TEST(ClipboardTab, DownDownReturnPutsTheSecondEntryBackAndClosesTheDrawer) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    ASSERT_TRUE(session.startHodgebin());
    ASSERT_TRUE(copyThree(session));
    ASSERT_TRUE(openDrawer(session));

    session.run(QStringLiteral("xdotool"),
                {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80"),
                 QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return")});

    QString text;
    EXPECT_TRUE(E2eSession::waitUntil(
        [&] {
            text = pasted(session);
            return text == QStringLiteral("the middle entry");
        },
        5000))
        << text.toStdString();
    EXPECT_TRUE(session.waitForStatus([](const QJsonObject& s) { return !drawerVisible(s); }, 3000)
                    .has_value());
}

TEST(ClipboardTab, AScreenReaderReadsTheEntriesInOrderAndCopiesOneWithItsAction) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    // The accessibility bridge, as a desktop with a screen reader switches it on; the
    // accessibility bus starts on the test's own session bus when first asked for.
    session.setEnvironment(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    ASSERT_TRUE(session.startHodgebin());
    ASSERT_TRUE(copyThree(session));
    ASSERT_TRUE(openDrawer(session));

    const E2eSession::Result read = session.run(QStringLiteral("/usr/bin/python3"),
                                                {QStringLiteral(HODGEBIN_E2E_DIR "/atspi_clips.py"),
                                                 QStringLiteral("2"), QStringLiteral("Copy")},
                                                {}, 40000);
    const QJsonObject tree = QJsonDocument::fromJson(read.out).object();
    ASSERT_TRUE(tree.value(QStringLiteral("list")).toBool())
        << read.out.toStdString() << read.err.toStdString();
    EXPECT_EQ(tree.value(QStringLiteral("names")).toVariant().toStringList(),
              QStringList({QStringLiteral("the newest entry"), QStringLiteral("the middle entry"),
                           QStringLiteral("the oldest entry")}));
    EXPECT_EQ(tree.value(QStringLiteral("roles")).toVariant().toStringList(),
              QStringList(3, QStringLiteral("list item")));
    EXPECT_EQ(
        tree.value(QStringLiteral("actions")).toVariant().toStringList(),
        QStringList({QStringLiteral("Copy"), QStringLiteral("Pin"), QStringLiteral("Remove")}));
    EXPECT_TRUE(tree.value(QStringLiteral("done")).toBool());

    QString text;
    EXPECT_TRUE(E2eSession::waitUntil(
        [&] {
            text = pasted(session);
            return text == QStringLiteral("the oldest entry");
        },
        5000))
        << text.toStdString();
}
