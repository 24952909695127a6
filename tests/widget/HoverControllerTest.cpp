#include "app/HoverController.h"
#include "app/AppModels.h"
#include "drawer/DropdownPanel.h"
#include "fakes/FakePlatform.h"
#include "notch/NotchWindow.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A drawer and a pill over the fakes, the controller between them.
struct HoverRig {
    HoverRig() {
        QObject::connect(notch.get(), &NotchWindow::hovered, &hover,
                         &HoverController::showPanelFromHover);
        hover.setNotch(notch.get());
    }

    // The pointer arrives on the pill and the drawer has dropped.
    void openFromPill() {
        panel.finishAnimation();
        fake.screens.pointer = notch->frame().center();
        notch->trackMouse(fake.screens.pointer);
        panel.finishAnimation();
    }

    QTemporaryDir shots;
    FakePlatform fake;
    // Screenshots are looked for in a folder of the test's own from the start.
    Platform platform = [this] {
        fake.screenCapture.answer = shots.path();
        return fake.services();
    }();
    AppModels models{platform};
    DropdownPanel panel{models.drawerContext()};
    HoverController hover{panel, fake.screens, fake.eventMonitors, fake.mainQueue};
    std::unique_ptr<NotchWindow> notch =
        std::make_unique<NotchWindow>(models.drawerContext(), fake.screens);
};

} // namespace

// The pill can be switched off while a drawer it opened still shows: the controller then
// measures the pointer against the drawer alone, and closes it as before.
TEST(HoverController, APillSwitchedOffUnderAHoverOpenedDrawerLeavesItClosingOnTheDrawerAlone) {
    HoverRig rig;
    auto [fake, panel, hover, notch] = std::tie(rig.fake, rig.panel, rig.hover, rig.notch);
    rig.openFromPill();
    ASSERT_TRUE(panel.isVisible());
    ASSERT_TRUE(hover.isTracking());
    // Just off the pill on the side away from the drawer: near the pill, not the drawer.
    const QPointF pill = notch->frame().center();
    const double away = pill.y() > panel.geometry().center().y() ? 1 : -1;
    fake.screens.pointer = pill + QPointF(0, away * (notch->frame().height() * 0.5 + 10));
    fake.eventMonitors.moveMouse();
    fake.mainQueue.advance(1);
    ASSERT_TRUE(panel.isVisible() && !panel.isHiding());

    notch.reset();
    fake.eventMonitors.moveMouse();
    fake.mainQueue.advance(HoverController::hoverHideDelay * 2);
    EXPECT_TRUE(panel.isHiding());
    EXPECT_FALSE(hover.isTracking());
    EXPECT_EQ(fake.eventMonitors.count(InputEvent::MouseMove), 0);

    // Without a pill the drawer opens hanging from the screen's top edge.
    panel.finishAnimation();
    hover.showPanelFromHover();
    panel.finishAnimation();
    EXPECT_EQ(panel.geometry().top(), 0);
    EXPECT_EQ(fake.eventMonitors.count(InputEvent::MouseMove), 2);
}

// Where the display may lose the pointer without a word, a hover-opened drawer also closes
// once the pointer has stood still where it was last seen on its way out: on the pill or near
// the drawer's edge. Resting deep inside keeps it, and elsewhere stillness never closes it.
TEST(HoverController, WhereThePointerMayLeaveUnseenStillnessOnTheWayOutClosesTheDrawer) {
    HoverRig rig;
    auto [fake, panel, hover, notch] = std::tie(rig.fake, rig.panel, rig.hover, rig.notch);
    const auto openFromPill = [&] {
        rig.openFromPill();
        ASSERT_TRUE(hover.isTracking());
    };
    const auto moveTo = [&](QPointF to) {
        fake.screens.pointer = to;
        fake.eventMonitors.moveMouse();
    };
    const double stillFor = HoverController::quietCloseDelay;

    // Told nothing, the display is trusted: a pointer resting on the pill keeps the drawer.
    openFromPill();
    fake.mainQueue.advance(stillFor * 4);
    EXPECT_TRUE(panel.isVisible() && !panel.isHiding());
    panel.animateOut();
    hover.panelClosed();

    // On the pill people also rest the pointer to look at the drawer: a longer wait there.
    hover.setPointerMayLeaveUnseen(true);
    openFromPill();
    const double onPill = HoverController::quietOnPillDelay;
    fake.mainQueue.advance(onPill * 0.95);
    EXPECT_FALSE(panel.isHiding());
    fake.mainQueue.advance(onPill * 0.1);
    EXPECT_TRUE(panel.isHiding());
    EXPECT_FALSE(notch->isHovered());

    openFromPill();
    const QRectF drawer(panel.geometry());
    moveTo(drawer.center());
    fake.mainQueue.advance(stillFor * 4);
    EXPECT_FALSE(panel.isHiding()) << "resting deep inside the drawer";

    // Near the left edge; a move meanwhile starts the stillness over.
    moveTo(QPointF(drawer.left() + HoverController::exitBand / 2, drawer.center().y()));
    fake.mainQueue.advance(stillFor * 0.5);
    moveTo(QPointF(drawer.left() + HoverController::exitBand / 2 + 1, drawer.center().y()));
    fake.mainQueue.advance(stillFor * 0.9);
    EXPECT_FALSE(panel.isHiding());
    fake.mainQueue.advance(stillFor * 0.2);
    EXPECT_TRUE(panel.isHiding());
}
