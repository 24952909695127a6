#include "E2eSession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

namespace {

QJsonObject part(const QJsonObject& status, const char* key) {
    return status.value(QLatin1String(key)).toObject();
}

bool drawerVisible(const QJsonObject& status) {
    return part(status, "drawer").value(QStringLiteral("visible")).toBool();
}

bool notchHovered(const QJsonObject& status) {
    return part(status, "notch").value(QStringLiteral("hovered")).toBool();
}

QImage grabScreen(E2eSession& session) {
    const auto shot =
        session.run(QStringLiteral("import"),
                    {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
    return QImage::fromData(shot.out, "PNG");
}

void xdotool(E2eSession& session, const QStringList& args) {
    const auto r = session.run(QStringLiteral("xdotool"), args);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
}

// A warp makes no raw motion; a small relative move after it does, as a real mouse would.
void movePointer(E2eSession& session, int x, int y) {
    xdotool(session, {QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
    xdotool(session, {QStringLiteral("mousemove_relative"), QStringLiteral("--"),
                      QStringLiteral("1"), QStringLiteral("0")});
}

} // namespace

TEST(Notch, BlackPillAtTheTopCentreOpensTheDrawerOnHoverAndClosesItWhenThePointerLeaves) {
    E2eSession session({.compositor = true});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    movePointer(session, 960, 700);
    ASSERT_TRUE(session.startHodgebin());
    ASSERT_TRUE(session.waitForStatus([](const QJsonObject& s) {
        return part(s, "notch").value(QStringLiteral("shown")).toBool();
    }));

    QImage screen;
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            screen = grabScreen(session);
            return !screen.isNull() && screen.pixelColor(960, 12) == QColor(Qt::black);
        },
        5000));
    // Centred, as wide as the notch and no wider; the desktop shows around it.
    EXPECT_EQ(screen.pixelColor(960 - 85, 5), QColor(Qt::black));
    EXPECT_EQ(screen.pixelColor(960 + 85, 5), QColor(Qt::black));
    EXPECT_NE(screen.pixelColor(960 - 95, 5), QColor(Qt::black));
    EXPECT_NE(screen.pixelColor(960 + 95, 5), QColor(Qt::black));
    EXPECT_NE(screen.pixelColor(960, 30), QColor(Qt::black));

    QElapsedTimer clock;
    clock.start();
    movePointer(session, 960, 5);
    ASSERT_TRUE(session.waitForStatus(
        [](const QJsonObject& s) { return drawerVisible(s) && notchHovered(s); }));
    std::printf("pointer on the pill to the drawer reported open: %lld ms\n",
                static_cast<long long>(clock.elapsed()));

    // Down across the gap onto the drawer: it stays.
    movePointer(session, 960, 200);
    EXPECT_TRUE(drawerVisible(*session.status()));

    clock.restart();
    movePointer(session, 300, 800);
    const auto closed = session.waitForStatus(
        [](const QJsonObject& s) { return !drawerVisible(s) && !notchHovered(s); }, 3000);
    ASSERT_TRUE(closed && !drawerVisible(*closed)) << "the drawer did not close";
    std::printf("pointer away to the drawer reported hidden: %lld ms\n",
                static_cast<long long>(clock.elapsed()));
}

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

    xdotool(session, {QStringLiteral("key"), QStringLiteral("grave")});
    EXPECT_TRUE(received("grave")) << "the program in front lost the key";
    EXPECT_TRUE(session.waitForStatus([](const QJsonObject& s) { return drawerVisible(s); }));

    xev.terminate();
    xev.waitForFinished(3000);
}

TEST(Notch, FileDraggedFromAnotherProgramOntoThePillLandsOnTheShelfAndAPipeDoesNot) {
    E2eSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    ASSERT_TRUE(session.startHodgebin());
    const QString path = session.home() + QStringLiteral("/Desktop/report.txt");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("quarterly figures\n");
    }
    const QString pipe = session.home() + QStringLiteral("/Desktop/pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // A real X client drags the files (XDND), as a file manager would; it says how the drop
    // ended.
    QProcess source;
    source.setProcessEnvironment(session.environment());
    source.start(QStringLiteral(HODGEBIN_DRAG_SOURCE),
                 {QStringLiteral("100"), QStringLiteral("400"), pipe, path});
    ASSERT_TRUE(source.waitForStarted(5000));
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            return !session
                        .run(QStringLiteral("xdotool"),
                             {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                              QStringLiteral("--name"), QStringLiteral("^drag source$")})
                        .out.trimmed()
                        .isEmpty();
        },
        5000));

    movePointer(session, 150, 450);
    xdotool(session, {QStringLiteral("mousedown"), QStringLiteral("1")});
    // Across the screen in steps, as a hand would, ending on the pill.
    for (int i = 1; i <= 10; ++i) {
        xdotool(session, {QStringLiteral("mousemove"), QString::number(150 + 81 * i),
                          QString::number(450 - 44 * i)});
    }
    xdotool(session, {QStringLiteral("mousemove"), QStringLiteral("962"), QStringLiteral("8")});
    ASSERT_TRUE(session.waitForStatus([](const QJsonObject& s) { return drawerVisible(s); }))
        << "the drag over the pill did not open the drawer";
    xdotool(session, {QStringLiteral("mouseup"), QStringLiteral("1")});

    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            source.waitForReadyRead(50);
            return source.canReadLine();
        },
        10000))
        << "the drop never ended";
    EXPECT_EQ(source.readLine().trimmed(), QByteArray("copy"));
    // The file is on the shelf; the pipe beside it is not.
    const std::optional<QJsonObject> status = session.status();
    ASSERT_TRUE(status);
    EXPECT_EQ(part(*status, "shelf").value(QStringLiteral("count")).toInt(), 1);
    source.kill();
    source.waitForFinished(3000);
}
