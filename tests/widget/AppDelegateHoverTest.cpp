#include "app/AppDelegate.h"
#include "app/AppModels.h"
#include "drawer/DropdownPanel.h"
#include "fakes/FakePlatform.h"
#include "notch/NotchWindow.h"
#include "settings/SettingsManager.h"

#include <QJsonObject>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr quint64 pointerMask = InputEvent::MouseMovedMask | InputEvent::LeftMouseDraggedMask;

// A launched delegate over the fakes: one 1920 x 1080 screen, the notch at its top centre
// (870..1050 across, 0..25 down) and a manual clock.
struct HoverApp {
    explicit HoverApp(const std::function<void(FakePlatform&)>& prepare = {}) {
        if (prepare) {
            prepare(fake);
        }
        platform = fake.services();
        settings = std::make_unique<SettingsManager>(fake.userDefaults);
        models = std::make_unique<AppModels>(platform);
        delegate = std::make_unique<AppDelegate>(platform, *settings, *models);
        delegate->applicationDidFinishLaunching();
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
    int pointerMonitors() const { return fake.eventMonitors.count(pointerMask); }
    void pressKey(int code, quint32 flags = 0) {
        fake.eventMonitors.pressKey(code, flags);
        fake.mainQueue.runPending();
        panel().finishAnimation();
    }

    FakePlatform fake;
    Platform platform;
    std::unique_ptr<SettingsManager> settings;
    std::unique_ptr<AppModels> models;
    std::unique_ptr<AppDelegate> delegate;
};

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
    EXPECT_FALSE(app.notch().isHovered);
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

TEST(AppDelegateHover, ClickingIntoAHoverOpenedDrawerPinsItAndTheTrayClosesOneThatIsNot) {
    HoverApp app;
    app.hoverNotch();
    app.panel().finishAnimation();
    Q_EMIT app.panel().becameKey(); // the user clicked into it
    EXPECT_EQ(app.pointerMonitors(), 0);
    EXPECT_FALSE(app.notch().isHovered);
    app.moveTo(300, 780);
    app.fake.mainQueue.advance(1);
    EXPECT_TRUE(app.shown());

    app.fake.statusBar.lastItem->click(StatusItem::LeftMouseUpMask);
    app.panel().finishAnimation();
    ASSERT_FALSE(app.panel().isVisible());

    app.hoverNotch();
    app.panel().finishAnimation();
    ASSERT_TRUE(app.notch().isHovered);
    app.fake.statusBar.lastItem->click(StatusItem::RightMouseUpMask);
    EXPECT_FALSE(app.shown());
    EXPECT_FALSE(app.notch().isHovered); // the pill shrinks back at once
    EXPECT_EQ(app.pointerMonitors(), 0);
}

TEST(AppDelegateHover, GraveKeyTogglesTheDrawerWithNoModifierButTheFunctionKey) {
    HoverApp app;
    EXPECT_EQ(app.fake.eventMonitors.count(InputEvent::KeyDownMask), 1);
    app.pressKey(InputEvent::GraveKeyCode);
    EXPECT_TRUE(app.shown());
    app.pressKey(InputEvent::GraveKeyCode);
    EXPECT_FALSE(app.panel().isVisible());

    for (const quint32 flags :
         {InputEvent::CapsLockFlag, InputEvent::ShiftFlag, InputEvent::ControlFlag,
          InputEvent::OptionFlag, InputEvent::CommandFlag, InputEvent::NumericPadFlag,
          InputEvent::HelpFlag, InputEvent::ShiftFlag | InputEvent::FunctionFlag}) {
        app.pressKey(InputEvent::GraveKeyCode, flags);
        EXPECT_FALSE(app.panel().isVisible()) << "flags " << flags;
    }
    app.pressKey(InputEvent::GraveKeyCode + 1);
    EXPECT_FALSE(app.panel().isVisible());
    app.pressKey(InputEvent::GraveKeyCode, InputEvent::FunctionFlag);
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
    EXPECT_FALSE(app.delegate->notchWindow()->isHovered);
}
