#include "app/HoverController.h"
#include "app/AppModels.h"
#include "drawer/DropdownPanel.h"
#include "fakes/FakePlatform.h"
#include "notch/NotchWindow.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// The pill can be switched off while a drawer it opened still shows: the controller then
// measures the pointer against the drawer alone, and closes it as before.
TEST(HoverController, APillSwitchedOffUnderAHoverOpenedDrawerLeavesItClosingOnTheDrawerAlone) {
    QTemporaryDir shots;
    FakePlatform fake;
    fake.screenCapture.answer = shots.path();
    const Platform platform = fake.services();
    AppModels models(platform);
    DropdownPanel panel(models.drawerContext());
    HoverController hover(panel, fake.screens, fake.eventMonitors, fake.mainQueue);
    auto notch = std::make_unique<NotchWindow>(models.drawerContext(), fake.screens);
    hover.setNotch(notch.get());
    QObject::connect(notch.get(), &NotchWindow::hovered, &hover,
                     &HoverController::showPanelFromHover);

    fake.screens.pointer = notch->frame().center();
    notch->trackMouse(fake.screens.pointer);
    panel.finishAnimation();
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
