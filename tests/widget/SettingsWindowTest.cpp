#include "settings/SettingsWindow.h"
#include "fakes/MemoryUserDefaults.h"
#include "settings/SettingsManager.h"

#include <QCheckBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {
struct SettingsWindowFixture : ::testing::Test {
    MemoryUserDefaults defaults;
    SettingsManager settings{defaults};
    SettingsWindowController controller{settings};
    QList<bool> notchCalls;

    SettingsContentView* view() { return qobject_cast<SettingsContentView*>(controller.window()); }
    void show() {
        controller.show([this](bool on) { notchCalls.append(on); });
    }
};
} // namespace

TEST_F(SettingsWindowFixture, ShowingTwiceReusesOneFixedFloatingWindow) {
    show();
    QWidget* first = controller.window();
    ASSERT_NE(first, nullptr);
    show();
    EXPECT_EQ(controller.window(), first);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Hodgebin Settings"));
    EXPECT_EQ(first->size(), QSize(350, 240));
    EXPECT_EQ(first->minimumSize(), first->maximumSize());
    EXPECT_TRUE(first->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(first->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(notchCalls.isEmpty());
}

TEST_F(SettingsWindowFixture, SwitchingTheNotchOffStoresItAndCallsBackOnceWithFalse) {
    show();
    defaults.writes.clear();
    QTest::mouseClick(view()->showNotchToggle(), Qt::LeftButton);

    EXPECT_EQ(notchCalls, QList<bool>{false});
    EXPECT_FALSE(settings.showNotch());
    EXPECT_EQ(defaults.values.value(QStringLiteral("replaceNotch")), QVariant(false));
    EXPECT_EQ(defaults.writes, QStringList{QStringLiteral("replaceNotch")});
}

TEST_F(SettingsWindowFixture, SwitchingSoundsStoresOnlySoundsAndCallsNothing) {
    show();
    defaults.writes.clear();
    QTest::mouseClick(view()->soundsToggle(), Qt::LeftButton);

    EXPECT_TRUE(notchCalls.isEmpty());
    EXPECT_FALSE(settings.soundsEnabled());
    EXPECT_EQ(defaults.writes, QStringList{QStringLiteral("soundsEnabled")});
}

TEST_F(SettingsWindowFixture, ClosedAndShownAgainTheSameWindowShowsCurrentValues) {
    show();
    QWidget* first = controller.window();
    first->close();
    EXPECT_FALSE(first->isVisible());
    settings.setSoundsEnabled(false);
    settings.setShowNotch(false);

    show();
    EXPECT_EQ(controller.window(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(view()->soundsToggle()->isChecked());
    EXPECT_FALSE(view()->showNotchToggle()->isChecked());
}
