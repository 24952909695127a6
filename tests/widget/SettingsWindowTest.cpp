#include "settings/SettingsWindow.h"
#include "fakes/MemoryUserDefaults.h"
#include "settings/AutostartEntry.h"
#include "settings/SettingsManager.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {
struct SettingsWindowFixture : ::testing::Test {
    MemoryUserDefaults defaults;
    SettingsManager settings{defaults};
    QTemporaryDir configHome;
    AutostartEntry autostart{configHome.path(), QStringLiteral("/opt/My Apps/hodgebin")};
    SettingsWindowController controller{settings, autostart};
    QList<bool> notchCalls;

    SettingsContentView* view() { return qobject_cast<SettingsContentView*>(controller.window()); }
    SettingsWindowFixture() {
        QObject::connect(&settings, &SettingsManager::showNotchChanged,
                         [this](bool on) { notchCalls.append(on); });
    }
    void show() { controller.show(); }
};
} // namespace

TEST_F(SettingsWindowFixture, ShowingTwiceReusesOneFixedFloatingWindow) {
    show();
    QWidget* first = controller.window();
    ASSERT_NE(first, nullptr);
    show();
    EXPECT_EQ(controller.window(), first);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Hodgebin Settings"));
    EXPECT_EQ(first->width(), 350);
    EXPECT_GE(first->height(), first->sizeHint().height());
    EXPECT_EQ(first->minimumSize(), first->maximumSize());
    EXPECT_TRUE(first->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(first->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(notchCalls.isEmpty());
}

TEST_F(SettingsWindowFixture, TheWindowCallsTheOverlayThePillAndKeepsTheSettingsWords) {
    show();
    EXPECT_EQ(view()->showNotchToggle()->text(), QStringLiteral("Show the pill"));
    EXPECT_EQ(view()->soundsToggle()->text(), QStringLiteral("Enable sounds"));
    EXPECT_EQ(view()->startAtLoginToggle()->text(), QStringLiteral("Start at login"));
    QStringList texts{controller.window()->windowTitle()};
    for (const QLabel* label : view()->findChildren<QLabel*>()) {
        texts.append(label->text());
    }
    for (const QAbstractButton* button : view()->findChildren<QAbstractButton*>()) {
        texts.append(button->text());
    }
    for (const QString& text : texts) {
        EXPECT_FALSE(text.contains(QStringLiteral("notch"), Qt::CaseInsensitive))
            << text.toStdString();
    }
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

namespace {
QStringList warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg &&
        QLatin1String(context.category) == QLatin1String("hodgebin.settings")) {
        warnings.append(message);
    }
}
} // namespace

TEST_F(SettingsWindowFixture, StartAtLoginWritesAndRemovesTheAutostartEntry) {
    show();
    QCheckBox* toggle = view()->startAtLoginToggle();
    EXPECT_FALSE(toggle->isChecked());

    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle->isChecked());
    const QString file = configHome.path() + QStringLiteral("/autostart/hodgebin.desktop");
    {
        QSettings entry(file, QSettings::IniFormat);
        entry.beginGroup(QStringLiteral("Desktop Entry"));
        EXPECT_EQ(entry.value(QStringLiteral("X-GNOME-Autostart-enabled")).toString(),
                  QStringLiteral("true"));
        EXPECT_EQ(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
        entry.endGroup();
    }
    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray content = raw.readAll();
    // The path with a space is quoted, in the main group and in the drawer action.
    EXPECT_TRUE(content.contains("\nExec=\"/opt/My Apps/hodgebin\"\n")) << content.data();
    EXPECT_TRUE(content.contains("\nExec=\"/opt/My Apps/hodgebin\" --toggle\n"));
    EXPECT_LT(content.indexOf("X-GNOME-Autostart-enabled"), content.indexOf("[Desktop Action"));
    EXPECT_TRUE(notchCalls.isEmpty());

    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(QFile::exists(file));

    // Made outside while the window was closed: shown checked on the next show.
    controller.window()->close();
    ASSERT_TRUE(autostart.setEnabled(true));
    show();
    EXPECT_TRUE(toggle->isChecked());
}

TEST_F(SettingsWindowFixture, StartAtLoginThatCannotBeWrittenStaysOffAndSaysWhy) {
    // A file where the autostart folder should be.
    QFile blocker(configHome.path() + QStringLiteral("/autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    show();
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    QTest::mouseClick(view()->startAtLoginToggle(), Qt::LeftButton);
    qInstallMessageHandler(previous);

    EXPECT_FALSE(view()->startAtLoginToggle()->isChecked());
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.first().contains(QStringLiteral("autostart")))
        << warnings.first().toStdString();
}

TEST_F(SettingsWindowFixture, TabAndSpaceDriveTheTogglesAndEscapeClosesTheWindow) {
    show();
    QWidget* window = controller.window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_TRUE(view()->showNotchToggle()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(view()->soundsToggle()->hasFocus());
    const bool sounds = settings.soundsEnabled();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(settings.soundsEnabled(), !sounds);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    // Shown again, it is the same window.
    show();
    EXPECT_EQ(controller.window(), window);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(SettingsWindowFixture, TheShortcutIsChosenAndRecordedByKeysAndStored) {
    show();
    QWidget* window = controller.window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QComboBox* choice = view()->shortcutChoice();
    ShortcutRecorder* recorder = view()->shortcutRecorder();
    EXPECT_EQ(choice->currentIndex(), int(SettingsManager::ShortcutKind::grave));
    EXPECT_FALSE(recorder->isVisible());

    // "A recorded shortcut" with nothing recorded yet starts recording; the choice waits.
    choice->setFocus();
    QTest::keyClick(choice, Qt::Key_Down);
    ASSERT_TRUE(recorder->isRecording());
    EXPECT_EQ(settings.shortcutKind(), SettingsManager::ShortcutKind::grave);
    // A letter alone would fire in every word; Escape stops without a change and without
    // closing the window.
    QTest::keyClick(recorder, Qt::Key_J);
    EXPECT_TRUE(recorder->isRecording());
    QTest::keyClick(recorder, Qt::Key_Escape);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(choice->currentIndex(), int(SettingsManager::ShortcutKind::grave));
    EXPECT_FALSE(defaults.values.contains(SettingsManager::shortcutKindKey));

    QTest::keyClick(choice, Qt::Key_Down);
    ASSERT_TRUE(recorder->isRecording());
    QTest::keyClick(recorder, Qt::Key_Control, Qt::ControlModifier); // a modifier alone waits
    QTest::keyClick(recorder, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_TRUE(recorder->hasFocus());
    EXPECT_EQ(settings.shortcutKind(), SettingsManager::ShortcutKind::combination);
    EXPECT_EQ(defaults.values.value(SettingsManager::shortcutCombinationKey),
              QVariant(QStringLiteral("Ctrl+Alt+J")));
    EXPECT_EQ(choice->currentIndex(), int(SettingsManager::ShortcutKind::combination));

    // "No shortcut" hides the recording but keeps it.
    QTest::keyClick(choice, Qt::Key_Down);
    EXPECT_EQ(defaults.values.value(SettingsManager::shortcutKindKey),
              QVariant(QStringLiteral("none")));
    EXPECT_FALSE(recorder->isVisible());
    QTest::keyClick(choice, Qt::Key_Up);
    EXPECT_EQ(settings.shortcutKind(), SettingsManager::ShortcutKind::combination);
    EXPECT_EQ(recorder->text(),
              QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J).toString(QKeySequence::NativeText));
}
