// The core desktop behaviours, each one scenario run under every window manager that Debian's
// desktops use. One X server per window manager, with a desktop background, a tray and one
// Hodgebin that the scenarios share; each scenario starts with the drawer shut and the pointer
// away from the pill.

#include "E2eSession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QJsonObject>
#include <QRect>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace {

using WindowManager = E2eSession::WindowManager;

QJsonObject part(const QJsonObject& status, const char* key) {
    return status.value(QLatin1String(key)).toObject();
}
bool drawerVisible(const QJsonObject& s) {
    return part(s, "drawer").value(QStringLiteral("visible")).toBool();
}
bool drawerHidden(const QJsonObject& s) {
    return !drawerVisible(s);
}
bool pillShown(const QJsonObject& s) {
    return part(s, "notch").value(QStringLiteral("shown")).toBool();
}
bool pillHidden(const QJsonObject& s) {
    return !pillShown(s);
}
bool notchHovered(const QJsonObject& s) {
    return part(s, "notch").value(QStringLiteral("hovered")).toBool();
}
int shelfCount(const QJsonObject& s) {
    return part(s, "shelf").value(QStringLiteral("count")).toInt();
}
QString drawerTab(const QJsonObject& s) {
    return part(s, "drawer").value(QStringLiteral("tab")).toString();
}

class Desktop : public ::testing::TestWithParam<WindowManager> {
protected:
    static void TearDownTestSuite() { sessions().clear(); }

    void SetUp() override {
        std::unique_ptr<E2eSession>& slot = sessions()[GetParam()];
        if (!slot) {
            slot = std::make_unique<E2eSession>(
                E2eSession::Options{.windowManager = GetParam(), .tray = true});
            if (slot->ok()) {
                // The desktop is drawn before Hodgebin starts, as at a real login.
                slot->spawn(QStringLiteral(HODGEBIN_DRAG_SOURCE), {QStringLiteral("--desktop")});
                E2eSession* session = slot.get();
                E2eSession::waitUntil(
                    [session] {
                        return !session
                                    ->run(QStringLiteral("xdotool"),
                                          {QStringLiteral("search"),
                                           QStringLiteral("--onlyvisible"),
                                           QStringLiteral("--name"), QStringLiteral("^desktop$")})
                                    .out.trimmed()
                                    .isEmpty();
                    },
                    5000);
            }
        }
        s = slot.get();
        ASSERT_TRUE(s->ok()) << s->error().toStdString();
        if (s->hodgebin() == nullptr || s->hodgebin()->state() != QProcess::Running) {
            ASSERT_TRUE(s->startHodgebin());
        }
        shut();
        ASSERT_TRUE(until([](const QJsonObject& st) {
            return drawerHidden(st) && !notchHovered(st);
        })) << "the drawer did not start shut";
    }

    // The drawer shut however it was opened: the pointer leaves, and a drawer that stays is
    // toggled.
    void shut() {
        movePointer(300, 800);
        if (!until(drawerHidden, 1500)) {
            hodgebin({QStringLiteral("--toggle")});
        }
    }

    // Whether the status comes to satisfy the predicate in time.
    bool until(const std::function<bool(const QJsonObject&)>& pred, int timeoutMs = 5000) {
        return s->waitForStatus(pred, timeoutMs).has_value();
    }

    void xdotool(const QStringList& args) {
        const auto r = s->run(QStringLiteral("xdotool"), args);
        ASSERT_EQ(r.exitCode, 0) << args.join(' ').toStdString() << ": " << r.err.toStdString();
    }
    QString xdotoolOut(const QStringList& args) {
        return QString::fromUtf8(s->run(QStringLiteral("xdotool"), args).out).trimmed();
    }
    // A warp makes no raw motion; a small relative move after it does, as a real mouse would.
    void movePointer(int x, int y) {
        xdotool({QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
        xdotool({QStringLiteral("mousemove_relative"), QStringLiteral("--"), QStringLiteral("1"),
                 QStringLiteral("0")});
    }
    void hodgebin(const QStringList& args) {
        ASSERT_EQ(s->runHodgebin(args).exitCode, 0) << args.join(' ').toStdString();
    }

    QRect geometry(const QString& id) {
        QHash<QString, int> v;
        for (const QString& line :
             xdotoolOut({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id})
                 .split(QLatin1Char('\n'))) {
            const QStringList kv = line.split(QLatin1Char('='));
            if (kv.size() == 2) {
                v.insert(kv[0], kv[1].toInt());
            }
        }
        return QRect(v.value(QStringLiteral("X")), v.value(QStringLiteral("Y")),
                     v.value(QStringLiteral("WIDTH")), v.value(QStringLiteral("HEIGHT")));
    }
    // Hodgebin's mapped windows with this title: the drawer and the tray icon are both
    // "Hodgebin"; the pill is "Hodgebin notch". (Searched by class: a search by name misses the
    // icon inside the tray.)
    std::vector<std::pair<QString, QRect>>
    windows(const QString& title, const QString& program = QStringLiteral("hodgebin")) {
        std::vector<std::pair<QString, QRect>> found;
        for (const QString& id :
             xdotoolOut({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                         QStringLiteral("--class"), QLatin1Char('^') + program + QLatin1Char('$')})
                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (xdotoolOut({QStringLiteral("getwindowname"), id}) == title) {
                found.emplace_back(id, geometry(id));
            }
        }
        return found;
    }
    // The drawer's window while it is mapped: none, else its id and place.
    std::optional<std::pair<QString, QRect>> drawerWindow() {
        for (const auto& w : windows(QStringLiteral("Hodgebin"))) {
            if (w.second.size() == QSize(380, 460)) {
                return w;
            }
        }
        return std::nullopt;
    }
    QRect pillFrame() {
        const auto found = windows(QStringLiteral("Hodgebin notch"));
        return found.size() == 1 ? found.front().second : QRect();
    }
    bool drawerIsActive() {
        return E2eSession::waitUntil(
            [&] {
                const auto drawer = drawerWindow();
                return drawer && xdotoolOut({QStringLiteral("getactivewindow")}) == drawer->first;
            },
            5000);
    }
    void closeWithToggle() {
        hodgebin({QStringLiteral("--toggle")});
        EXPECT_TRUE(until(drawerHidden));
    }
    // Another program's window, for the keyboard to go to.
    QString otherWindow() {
        if (other_.isEmpty()) {
            s->spawn(QStringLiteral("xev"),
                     {QStringLiteral("-name"), QStringLiteral("other program"),
                      QStringLiteral("-geometry"), QStringLiteral("300x200+1400+600")});
            E2eSession::waitUntil(
                [&] {
                    other_ =
                        xdotoolOut({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--name"), QStringLiteral("^other program$")})
                            .section(QLatin1Char('\n'), 0, 0);
                    return !other_.isEmpty();
                },
                5000);
        }
        return other_;
    }

    // The horizontal centre of the monitor the X server marks as the main one, else of the
    // first it lists.
    int mainMonitorCentre() {
        static const QRegularExpression monitor(
            QStringLiteral("^\\s*\\d+: \\+?(\\*?)\\S+ (\\d+)/\\d+x\\d+/\\d+\\+(\\d+)\\+"));
        int first = -1;
        for (const QString& line :
             QString::fromUtf8(
                 s->run(QStringLiteral("xrandr"), {QStringLiteral("--listmonitors")}).out)
                 .split(QLatin1Char('\n'))) {
            const auto m = monitor.match(line);
            if (!m.hasMatch()) {
                continue;
            }
            const int centre = m.captured(3).toInt() + m.captured(2).toInt() / 2;
            if (!m.captured(1).isEmpty()) {
                return centre;
            }
            first = first < 0 ? centre : first;
        }
        return first;
    }

    E2eSession* s = nullptr;

private:
    static std::map<WindowManager, std::unique_ptr<E2eSession>>& sessions() {
        static std::map<WindowManager, std::unique_ptr<E2eSession>> all;
        return all;
    }
    QString other_;
};

QImage grabScreen(E2eSession& session) {
    const auto shot =
        session.run(QStringLiteral("import"),
                    {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
    return QImage::fromData(shot.out, "PNG");
}

} // namespace

void PrintTo(E2eSession::WindowManager wm, std::ostream* out) {
    *out << E2eSession::name(wm);
}

TEST_P(Desktop, PillIsDrawnAtTheTopCentreAndNoWider) {
    QImage screen;
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            screen = grabScreen(*s);
            return !screen.isNull() && screen.pixelColor(960, 12) == QColor(Qt::black);
        },
        5000))
        << "no black pill at the top centre";
    // As wide as the notch and no wider; the desktop shows around and below it.
    EXPECT_EQ(screen.pixelColor(960 - 85, 5), QColor(Qt::black));
    EXPECT_EQ(screen.pixelColor(960 + 85, 5), QColor(Qt::black));
    EXPECT_NE(screen.pixelColor(960 - 95, 5), QColor(Qt::black));
    EXPECT_NE(screen.pixelColor(960 + 95, 5), QColor(Qt::black));
    EXPECT_NE(screen.pixelColor(960, 30), QColor(Qt::black));
}

TEST_P(Desktop, HoverOpensTheDrawerAndLeavingBothClosesIt) {
    movePointer(960, 5);
    ASSERT_TRUE(until([](const QJsonObject& st) { return drawerVisible(st) && notchHovered(st); }))
        << "the pointer on the pill did not open the drawer";
    // Down across the gap onto the drawer: it stays.
    movePointer(960, 200);
    EXPECT_TRUE(drawerVisible(*s->status()));

    QElapsedTimer clock;
    clock.start();
    movePointer(300, 800);
    const bool closed =
        until([](const QJsonObject& st) { return drawerHidden(st) && !notchHovered(st); }, 3000);
    EXPECT_TRUE(closed) << "the drawer did not close when the pointer left";
    std::printf("%s: pointer away to the drawer reported hidden: %lld ms\n",
                E2eSession::name(GetParam()), static_cast<long long>(clock.elapsed()));
}

TEST_P(Desktop, AClickIntoAHoverOpenedDrawerKeepsItOpen) {
    movePointer(960, 5);
    ASSERT_TRUE(until(drawerVisible));
    // Into the drawer, onto its empty list, and click.
    movePointer(960, 300);
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    movePointer(300, 800);
    // Long enough for a hover-opened drawer to have gone several times over.
    EXPECT_FALSE(until(drawerHidden, 1500)) << "the drawer closed although it was clicked into";
    closeWithToggle();
}

TEST_P(Desktop, TrayClickAndToggleOpenTheDrawerWithTheKeyboard) {
    QRect icon;
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            for (const auto& w : windows(QStringLiteral("Hodgebin"))) {
                if (w.second.width() < 64 && w.second.width() > 0) {
                    icon = w.second;
                }
            }
            return icon.isValid();
        },
        5000))
        << "no tray icon";
    movePointer(icon.center().x(), icon.center().y());
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(until(drawerVisible)) << "the tray click did not open the drawer";
    EXPECT_TRUE(drawerIsActive()) << "the drawer opened from the tray has no keyboard";
    movePointer(300, 800);
    closeWithToggle();

    hodgebin({QStringLiteral("--toggle")});
    ASSERT_TRUE(until(drawerVisible));
    EXPECT_TRUE(drawerIsActive()) << "the drawer opened by --toggle has no keyboard";
    const auto drawer = drawerWindow();
    ASSERT_TRUE(drawer);
    // Off the taskbar, as a part of the desktop rather than a program's window.
    const QByteArray state = s->run(QStringLiteral("xprop"), {QStringLiteral("-id"), drawer->first,
                                                              QStringLiteral("_NET_WM_STATE")})
                                 .out;
    EXPECT_TRUE(state.contains("_NET_WM_STATE_SKIP_TASKBAR")) << state.toStdString();
    closeWithToggle();
}

TEST_P(Desktop, EscapeAndTheKeyboardGoingElsewhereCloseTheDrawer) {
    hodgebin({QStringLiteral("--toggle")});
    ASSERT_TRUE(until(drawerVisible));
    ASSERT_TRUE(drawerIsActive());
    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_TRUE(until(drawerHidden)) << "Escape did not close the drawer";

    const QString other = otherWindow();
    ASSERT_FALSE(other.isEmpty());
    hodgebin({QStringLiteral("--toggle")});
    ASSERT_TRUE(until(drawerVisible));
    ASSERT_TRUE(drawerIsActive());
    // The user clicks into another program's window.
    const QRect frame = geometry(other);
    movePointer(frame.center().x(), frame.center().y());
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    EXPECT_TRUE(until(drawerHidden)) << "the drawer stayed when focus went elsewhere";
}

TEST_P(Desktop, AFileDraggedOverThePillAndDroppedIntoTheDrawerLandsOnTheShelf) {
    const int before = shelfCount(*s->status());
    const QString dir =
        s->home() + QStringLiteral("/Desktop/") + QString::fromLatin1(E2eSession::name(GetParam()));
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/report.txt");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("quarterly figures\n");
    }
    // A pipe dragged with it is left out.
    const QString pipe = dir + QStringLiteral("/pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // A real X client drags the files (XDND), as a file manager would; it says how the drop
    // ended.
    QProcess source;
    source.setProcessEnvironment(s->environment());
    source.start(QStringLiteral(HODGEBIN_DRAG_SOURCE),
                 {QStringLiteral("100"), QStringLiteral("400"), pipe, path});
    ASSERT_TRUE(source.waitForStarted(5000));
    QRect frame;
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            const auto found =
                windows(QStringLiteral("drag source"), QStringLiteral("hodgebin_drag_source"));
            frame = found.size() == 1 ? found.front().second : QRect();
            return frame.isValid();
        },
        5000));

    movePointer(frame.center().x(), frame.center().y());
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    // Across the screen in steps, as a hand would, onto the pill...
    const QPoint start = frame.center();
    for (int i = 1; i <= 10; ++i) {
        xdotool({QStringLiteral("mousemove"),
                 QString::number(start.x() + (962 - start.x()) * i / 10),
                 QString::number(start.y() + (8 - start.y()) * i / 10)});
    }
    ASSERT_TRUE(until([](const QJsonObject& st) {
        return drawerVisible(st) && drawerTab(st) == QStringLiteral("Shelf");
    })) << "the drag over the pill did not open the drawer on the shelf";
    // ...then down into the drawer once it stands there, and let go after a few more moves
    // over it, as a hand does (each move is one round of the drag protocol).
    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            const auto drawer = drawerWindow();
            return drawer && drawer->second.contains(960, 300);
        },
        5000));
    for (int i = 1; i <= 10; ++i) {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("960"),
                 QString::number(8 + 292 * i / 10)});
    }
    xdotool({QStringLiteral("mousemove_relative"), QStringLiteral("2"), QStringLiteral("2"),
             QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mousemove_relative"),
             QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("sleep"),
             QStringLiteral("0.1"), QStringLiteral("mouseup"), QStringLiteral("1")});

    ASSERT_TRUE(E2eSession::waitUntil(
        [&] {
            source.waitForReadyRead(50);
            return source.canReadLine();
        },
        10000))
        << "the drop never ended";
    EXPECT_EQ(source.readLine().trimmed(), QByteArray("copy"));
    EXPECT_TRUE(until([before](const QJsonObject& st) { return shelfCount(st) == before + 1; }))
        << "the file is not on the shelf, or the pipe is";
    source.kill();
    source.waitForFinished(3000);
    movePointer(300, 800);
}

TEST_P(Desktop, AWindowBroughtOverThePillIsPushedBelowIt) {
    const QString other = otherWindow();
    ASSERT_FALSE(other.isEmpty());
    xdotool({QStringLiteral("windowmove"), other, QStringLiteral("800"), QStringLiteral("0")});
    xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), other});
    QImage screen;
    EXPECT_TRUE(E2eSession::waitUntil(
        [&] {
            screen = grabScreen(*s);
            // Beside the counters the pill may show in its middle.
            return !screen.isNull() && screen.pixelColor(885, 8) == QColor(Qt::black) &&
                   screen.pixelColor(1050, 100) != QColor(Qt::black);
        },
        5000))
        << "the window brought over the pill stayed over it: "
        << screen.pixelColor(885, 8).name().toStdString() << " on the pill, "
        << screen.pixelColor(1050, 100).name().toStdString() << " on the window";
    xdotool({QStringLiteral("windowmove"), other, QStringLiteral("1400"), QStringLiteral("600")});
}

TEST_P(Desktop, AFullscreenWindowInFrontHidesThePillUntilItLeavesFullscreen) {
    QProcess window;
    window.setProcessEnvironment(s->environment());
    window.start(QStringLiteral(HODGEBIN_FULLSCREEN_WINDOW), QStringList());
    ASSERT_TRUE(window.waitForStarted(5000));
    struct Stop {
        QProcess& p;
        ~Stop() {
            p.kill();
            p.waitForFinished(3000);
        }
    } stop{window};
    EXPECT_TRUE(until(pillHidden)) << "the pill stayed over the fullscreen window";
    QImage screen;
    EXPECT_TRUE(E2eSession::waitUntil(
        [&] {
            screen = grabScreen(*s);
            return !screen.isNull() && screen.pixelColor(960, 5) == QColor(Qt::white) &&
                   screen.pixelColor(960, 12) == QColor(Qt::white);
        },
        5000))
        << "black at the top centre of a white fullscreen window";
    // Where the pill was, the pointer opens nothing.
    movePointer(960, 5);
    EXPECT_FALSE(until(drawerVisible, 1000)) << "the hidden pill opened the drawer";
    movePointer(300, 800);
    // The key still opens the drawer over the fullscreen program.
    xdotool({QStringLiteral("key"), QStringLiteral("grave")});
    EXPECT_TRUE(until(drawerVisible)) << "the key did not open the drawer";
    closeWithToggle();

    window.write("normal\n");
    window.waitForBytesWritten(2000);
    EXPECT_TRUE(until(pillShown)) << "the pill did not come back after fullscreen";
}

TEST_P(Desktop, TheScreenSaverHidesThePillAndItComesBackAfter) {
    ASSERT_TRUE(until(pillShown));
    s->run(QStringLiteral("xset"), {QStringLiteral("s"), QStringLiteral("activate")});
    EXPECT_TRUE(until(pillHidden)) << "the pill stayed while the screen saver ran";
    s->run(QStringLiteral("xset"), {QStringLiteral("s"), QStringLiteral("reset")});
    EXPECT_TRUE(until(pillShown)) << "the pill did not come back after the screen saver";
}

// Last in the suite: it restarts Hodgebin on two monitors and leaves it on one.
TEST_P(Desktop, OnTwoScreensThePillFollowsItsScreenAndTheDrawerOpensThere) {
    hodgebin({QStringLiteral("--quit")});
    ASSERT_TRUE(E2eSession::waitUntil([&] { return s->hodgebin()->waitForFinished(100); }, 5000));
    const auto xrandr = [&](const QStringList& args) {
        const auto r = s->run(QStringLiteral("xrandr"), args);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    };
    struct Unplug {
        std::function<void()> run;
        ~Unplug() { run(); }
    } unplug{[&] {
        s->run(QStringLiteral("xrandr"), {QStringLiteral("--delmonitor"), QStringLiteral("left")});
        s->run(QStringLiteral("xrandr"), {QStringLiteral("--delmonitor"), QStringLiteral("right")});
    }};
    // Two monitors side by side on the one output, as two plugged screens look to Qt; the
    // first holds the output, so no monitor of the whole output overlaps them.
    xrandr({QStringLiteral("--setmonitor"), QStringLiteral("left"),
            QStringLiteral("960/254x1080/286+0+0"), QStringLiteral("screen")});
    xrandr({QStringLiteral("--setmonitor"), QStringLiteral("right"),
            QStringLiteral("960/254x1080/286+960+0"), QStringLiteral("none")});
    ASSERT_TRUE(s->startHodgebin());

    // Where the pill and the drawer last stood, for the failure messages.
    QRect pill;
    QRect drawn;
    const auto pillCentredAt = [&](int x) {
        return E2eSession::waitUntil(
            [&] {
                pill = pillFrame();
                return pill.isValid() && pill.top() == 0 && qAbs(pill.center().x() - x) <= 1;
            },
            5000);
    };
    const auto drawerCentredAt = [&](int x) {
        return E2eSession::waitUntil(
            [&] {
                const auto drawer = drawerWindow();
                drawn = drawer ? drawer->second : QRect();
                return drawer && qAbs(drawn.center().x() - x) <= 1;
            },
            5000);
    };
    EXPECT_TRUE(pillCentredAt(480))
        << "the pill is not on the first screen but at " << pill.x() << "," << pill.y();
    movePointer(480, 5);
    ASSERT_TRUE(until(drawerVisible));
    EXPECT_TRUE(drawerCentredAt(480))
        << "the drawer did not open under the pill but at " << drawn.x() << "," << drawn.y();
    shut();

    // The first screen goes. What remains is the second and, back, the output's own monitor;
    // the pill moves to the main one of them (the one the server marks, else the first), and
    // the drawer opens there.
    xrandr({QStringLiteral("--delmonitor"), QStringLiteral("left")});
    const int main = mainMonitorCentre();
    ASSERT_NE(main, 480);
    EXPECT_TRUE(pillCentredAt(main))
        << "the pill did not follow to the remaining screen: " << pill.x() << "," << pill.y();
    movePointer(main, 5);
    ASSERT_TRUE(until(drawerVisible));
    EXPECT_TRUE(drawerCentredAt(main))
        << "the drawer did not open on the pill's screen but at " << drawn.x() << "," << drawn.y();
    shut();

    // Back to the one monitor of the whole output.
    xrandr({QStringLiteral("--delmonitor"), QStringLiteral("right")});
    EXPECT_TRUE(pillCentredAt(960));
}

INSTANTIATE_TEST_SUITE_P(Openbox, Desktop, ::testing::Values(WindowManager::openbox));
INSTANTIATE_TEST_SUITE_P(Xfwm4, Desktop, ::testing::Values(WindowManager::xfwm4));
INSTANTIATE_TEST_SUITE_P(Mutter, Desktop, ::testing::Values(WindowManager::mutter));
