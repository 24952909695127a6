#include "app/AppDelegate.h"
#include "app/AppModels.h"
#include "drawer/DropdownPanel.h"
#include "drawer/PanelContentView.h"
#include "drawer/TabButton.h"
#include "fakes/FakePlatform.h"
#include "notch/NotchWindow.h"
#include "settings/AutostartEntry.h"

#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

// A launched delegate over the fakes: one 1920 x 1080 screen, the notch at its top centre
// (870..1050 across, 0..25 down) and a manual clock.
struct HoverApp {
    explicit HoverApp(const std::function<void(FakePlatform&)>& prepare = {}) {
        if (prepare) {
            prepare(fake);
        }
        platform = fake.services();
        models = std::make_unique<AppModels>(platform);
        delegate = std::make_unique<AppDelegate>(platform, *models, autostart);
        delegate->start();
    }

    DropdownPanel& panel() const { return *delegate->panel(); }
    NotchWindow& notch() const { return *delegate->notchWindow(); }

    // The pointer arrives on the notch, as its window sees it.
    void hoverNotch() {
        fake.screens.pointer = QPointF(960, 10);
        notch().trackMouse(fake.screens.pointer);
    }
    // The pointer moves to a place, as the input monitors see it.
    void moveTo(double x, double y) {
        fake.screens.pointer = QPointF(x, y);
        fake.eventMonitors.moveMouse();
    }
    bool shown() const { return panel().isVisible() && !panel().isHiding(); }
    int pointerMonitors() const { return fake.eventMonitors.count(InputEvent::MouseMove); }
    void pressKey(const InputEvent& key) {
        fake.eventMonitors.pressKey(key);
        fake.mainQueue.runPending();
        panel().finishAnimation();
    }

    FakePlatform fake;
    Platform platform;
    QTemporaryDir configHome;
    AutostartEntry autostart{configHome.path(), QStringLiteral("hodgebin")};
    std::unique_ptr<AppModels> models;
    std::unique_ptr<AppDelegate> delegate;
};

// The key left of 1 as a US layout types it.
InputEvent grave(Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool capsLock = false) {
    InputEvent key;
    key.key = Qt::Key_QuoteLeft;
    key.isKeyLeftOfOne = true;
    key.modifiers = modifiers;
    key.capsLock = capsLock;
    return key;
}

QJsonObject notchStatus(const HoverApp& app) {
    return app.delegate->status().value(QStringLiteral("notch")).toObject();
}

} // namespace

TEST(AppDelegateHover, HoverOpensTheDrawerAtTheTopAndItClosesOnlyOnceThePointerStaysAway) {
    HoverApp app;
    EXPECT_EQ(app.pointerMonitors(), 0); // nothing watches the pointer while resting
    app.hoverNotch();
    ASSERT_TRUE(app.shown());
    const QRectF frame(app.panel().geometry());
    EXPECT_DOUBLE_EQ(frame.center().x(), 960);
    app.panel().finishAnimation();
    EXPECT_EQ(app.panel().geometry().top(), 25); // hanging from the notch
    EXPECT_EQ(app.pointerMonitors(), 2);

    // Down from the notch across the drawer, and just beside it: still near.
    app.moveTo(960, 30);
    app.moveTo(frame.left() - 10, 180);
    app.fake.mainQueue.advance(0.1);
    EXPECT_TRUE(app.shown());

    // Away and back within the delay: the drawer stays.
    app.moveTo(300, 780);
    app.fake.mainQueue.advance(0.03);
    app.moveTo(960, 180);
    app.fake.mainQueue.advance(0.2);
    EXPECT_TRUE(app.shown());

    // Moving about outside does not push the deadline back.
    app.moveTo(300, 780);
    app.fake.mainQueue.advance(0.04);
    app.moveTo(320, 770);
    app.fake.mainQueue.advance(0.019);
    EXPECT_TRUE(app.shown());
    app.fake.mainQueue.advance(0.002);
    EXPECT_FALSE(app.shown());
    app.panel().finishAnimation();
    EXPECT_FALSE(app.panel().isVisible());
    EXPECT_FALSE(app.notch().isHovered());
    EXPECT_EQ(app.pointerMonitors(), 0);
}

TEST(AppDelegateHover, ACheckThatFindsThePointerBackLetsTheNextDepartureCloseTheDrawer) {
    HoverApp app;
    app.hoverNotch();
    app.panel().finishAnimation();
    app.moveTo(300, 780);
    // Back on the drawer without a move being seen before the check runs.
    app.fake.screens.pointer = QPointF(960, 180);
    app.fake.mainQueue.advance(0.1);
    EXPECT_TRUE(app.shown());

    // Staying away without moving after one move still closes it.
    app.moveTo(300, 780);
    app.fake.mainQueue.advance(0.1);
    EXPECT_FALSE(app.shown());
}

// Through XWayland the pointer can leave for a Wayland window, where the display no longer
// sees it and keeps a stale position that may lie inside the drawer: the leave itself closes
// the drawer, whether the pointer left the drawer or the pill.
TEST(AppDelegateHover, APointerLeavingForWhatTheDisplayCannotSeeClosesAHoverOpenedDrawer) {
    HoverApp app;
    for (const bool fromPill : {false, true}) {
        SCOPED_TRACE(fromPill ? "from the pill" : "from the drawer");
        app.hoverNotch();
        app.panel().finishAnimation();
        if (!fromPill) {
            app.moveTo(960, 180);
        }
        app.fake.screens.pointer = std::nullopt;
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(fromPill ? static_cast<QWidget*>(&app.notch()) : &app.panel(),
                                    &leave);
        app.fake.mainQueue.advance(0.1);
        EXPECT_FALSE(app.shown());
        EXPECT_FALSE(app.notch().isHovered());
        app.panel().finishAnimation();
    }
}

TEST(AppDelegateHover, OnlyAPressOrAKeyInAHoverOpenedDrawerPinsItNeverTheKeyboardAlone) {
    HoverApp app;
    // Some window managers hand the keyboard to the drawer although it was shown without
    // activation: it still closes once the pointer leaves.
    app.hoverNotch();
    app.panel().finishAnimation();
    app.panel().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&app.panel()));
    EXPECT_EQ(app.pointerMonitors(), 2);
    app.moveTo(300, 780);
    app.fake.mainQueue.advance(0.1);
    EXPECT_FALSE(app.shown());
    app.panel().finishAnimation();

    const std::vector<std::pair<const char*, std::function<void()>>> pins = {
        {"a press on a tab button",
         [&] {
             QTest::mousePress(app.panel().content()->tabButton(DrawerTab::notes), Qt::LeftButton);
         }},
        {"a key typed into it", [&] { QTest::keyClick(&app.panel(), Qt::Key_Shift); }},
    };
    for (const auto& [what, pin] : pins) {
        app.hoverNotch();
        app.panel().finishAnimation();
        ASSERT_TRUE(app.shown()) << what;
        pin();
        EXPECT_EQ(app.pointerMonitors(), 0) << what;
        EXPECT_FALSE(app.notch().isHovered()) << what;
        app.moveTo(300, 780);
        app.fake.mainQueue.advance(1);
        EXPECT_TRUE(app.shown()) << what;
        app.fake.statusBar.lastItem->click();
        app.panel().finishAnimation();
        ASSERT_FALSE(app.panel().isVisible()) << what;
    }

    app.hoverNotch();
    app.panel().finishAnimation();
    ASSERT_TRUE(app.notch().isHovered());
    app.fake.statusBar.lastItem->click();
    EXPECT_FALSE(app.shown());
    EXPECT_FALSE(app.notch().isHovered()); // the pill shrinks back at once
    EXPECT_EQ(app.pointerMonitors(), 0);
}

TEST(AppDelegateHover, WhenTheDrawerGoesThePillLooksWhereThePointerIsWithoutAMove) {
    HoverApp app;
    const auto drawerVisible = [&] {
        return app.delegate->status()
            .value(QStringLiteral("drawer"))
            .toObject()
            .value(QStringLiteral("visible"))
            .toBool();
    };
    // Opened from the tray; the pointer crosses the pill and goes back into the drawer.
    app.fake.statusBar.lastItem->click();
    app.panel().finishAnimation();
    app.hoverNotch();
    app.fake.screens.pointer = QPointF(960, 200);
    app.notch().trackMouse(app.fake.screens.pointer);
    ASSERT_TRUE(app.notch().isHovered());

    // Another window is clicked and the drawer goes; no pointer event follows. The status says
    // hidden from the start of the fade.
    app.fake.screens.pointer = QPointF(300, 780);
    app.panel().hideUnlessAttached();
    EXPECT_TRUE(app.panel().isVisible());
    EXPECT_FALSE(drawerVisible());
    EXPECT_FALSE(app.notch().isHovered());

    // With the pointer resting on the pill when the drawer goes, the pill stays grown and the
    // drawer stays shut.
    app.panel().finishAnimation();
    app.fake.statusBar.lastItem->click();
    app.panel().finishAnimation();
    ASSERT_TRUE(drawerVisible());
    app.hoverNotch();
    Q_EMIT app.panel().content()->closeRequested();
    app.panel().finishAnimation();
    EXPECT_FALSE(app.panel().isVisible());
    EXPECT_TRUE(app.notch().isHovered());
}

TEST(AppDelegateHover, ThePillStepsAsideForAFullscreenWindowOnItsScreenAndWhileLocked) {
    HoverApp app([](FakePlatform& fake) {
        fake.screens.list = {FakeScreens::standard(),
                             FakeScreens::standard(QStringLiteral("HDMI-2"), 1920)};
    });
    FakeDesktopActivity& desktop = app.fake.desktopActivity;
    EXPECT_EQ(desktop.keptOnTop, app.notch().windowHandle());
    const auto pillShown = [&] { return notchStatus(app).value(QStringLiteral("shown")).toBool(); };
    ASSERT_TRUE(pillShown());

    desktop.setFullscreen(QRectF(1920, 0, 1920, 1080));
    EXPECT_TRUE(pillShown()) << "a fullscreen window on the other screen";

    // On the pill's own screen: the pill goes, and its place opens nothing; the key and the
    // tray still do.
    desktop.setFullscreen(QRectF(0, 0, 1920, 1080));
    EXPECT_FALSE(pillShown());
    app.hoverNotch();
    EXPECT_FALSE(app.panel().isVisible());
    app.pressKey(grave());
    EXPECT_TRUE(app.shown());
    app.fake.statusBar.lastItem->click();
    EXPECT_FALSE(app.shown());
    desktop.setFullscreen(std::nullopt);
    EXPECT_TRUE(pillShown());

    // Locked: gone, whatever the active window does meanwhile, until unlocked.
    desktop.setLocked(true);
    EXPECT_FALSE(pillShown());
    desktop.setFullscreen(QRectF(0, 0, 1920, 1080));
    desktop.setFullscreen(std::nullopt);
    EXPECT_FALSE(pillShown());
    desktop.setLocked(false);
    EXPECT_TRUE(pillShown());
}

TEST(AppDelegateHover, TheKeyLeftOfOneTogglesTheDrawerOnlyWithNoModifierAndNoCapsLock) {
    HoverApp app;
    EXPECT_EQ(app.fake.eventMonitors.count(InputEvent::KeyPress), 1);
    app.pressKey(grave());
    EXPECT_TRUE(app.shown());
    app.pressKey(grave());
    EXPECT_FALSE(app.panel().isVisible());

    app.pressKey(grave(Qt::NoModifier, true));
    EXPECT_FALSE(app.panel().isVisible()) << "Caps Lock";
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
          Qt::KeyboardModifiers(Qt::AltModifier), Qt::KeyboardModifiers(Qt::MetaModifier),
          Qt::KeyboardModifiers(Qt::KeypadModifier),
          Qt::KeyboardModifiers(Qt::GroupSwitchModifier)}) {
        app.pressKey(grave(modifiers));
        EXPECT_FALSE(app.panel().isVisible()) << "modifiers " << modifiers.toInt();
    }
    // The key the layout types a grave accent with elsewhere is not the hotkey.
    InputEvent elsewhere = grave();
    elsewhere.isKeyLeftOfOne = false;
    app.pressKey(elsewhere);
    EXPECT_FALSE(app.panel().isVisible());
    // Whatever the layout types with the key left of 1, it is the hotkey (once a pause shows
    // that the accent just pressed was not part of typing).
    app.fake.mainQueue.advance(1);
    InputEvent deadCircumflex = grave();
    deadCircumflex.key = Qt::Key_Dead_Circumflex;
    app.pressKey(deadCircumflex);
    EXPECT_TRUE(app.shown());
}

TEST(AppDelegateHover, TheNotchSettingBuildsAndDropsTheOverlayAndStatusSaysSo) {
    HoverApp app([](FakePlatform& fake) {
        fake.userDefaults.values = {{QStringLiteral("replaceNotch"), false}};
    });
    EXPECT_EQ(app.delegate->notchWindow(), nullptr);
    EXPECT_EQ(notchStatus(app),
              (QJsonObject{{QStringLiteral("shown"), false}, {QStringLiteral("hovered"), false}}));

    app.delegate->setNotchVisible(true);
    NotchWindow* first = app.delegate->notchWindow();
    ASSERT_NE(first, nullptr);
    app.delegate->setNotchVisible(true);
    EXPECT_EQ(app.delegate->notchWindow(), first);
    app.hoverNotch();
    EXPECT_EQ(notchStatus(app),
              (QJsonObject{{QStringLiteral("shown"), true}, {QStringLiteral("hovered"), true}}));

    app.delegate->setNotchVisible(false);
    EXPECT_EQ(app.delegate->notchWindow(), nullptr);
    app.delegate->setNotchVisible(true);
    EXPECT_NE(app.delegate->notchWindow(), nullptr);
    EXPECT_FALSE(app.delegate->notchWindow()->isHovered());
}
