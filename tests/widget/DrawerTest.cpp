#include "app/AppDelegate.h"
#include "app/AppModels.h"
#include "app/HoverController.h"
#include "clipboard/ClipboardHistoryList.h"
#include "clipboard/ClipboardHistoryView.h"
#include "clipboard/ClipboardManager.h"
#include "drawer/CopiedBadge.h"
#include "drawer/DropHostingView.h"
#include "drawer/DropdownPanel.h"
#include "drawer/PanelContentView.h"
#include "drawer/TabButton.h"
#include "fakes/FakePlatform.h"
#include "notch/NotchWindow.h"
#include "notes/NotesManager.h"
#include "panel/PanelNotifications.h"
#include "panel/PanelState.h"
#include "platform/DragPasteboard.h"
#include "screenshots/ScreenshotManager.h"
#include "settings/AutostartEntry.h"
#include "shelf/FileShelfManager.h"
#include "widgets/FadingSnapshot.h"
#include "widgets/SymbolCatalogue.h"

#include <QAccessible>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QJsonObject>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A drawer over the fakes and fresh models, as the application builds it.
class DrawerTest : public ::testing::Test {
protected:
    DrawerTest() {
        fake.screenCapture.answer = shots.path();
        platform = fake.services();
        models = std::make_unique<AppModels>(platform);
        panel = std::make_unique<DropdownPanel>(models->drawerContext());
    }

    PanelContentView& content() const { return *panel->content(); }
    PanelState& state() const { return models->panelState(); }

    void showPanel() {
        panel->animateIn();
        panel->finishAnimation();
    }

    QTemporaryDir shots;
    FakePlatform fake;
    Platform platform;
    std::unique_ptr<AppModels> models;
    std::unique_ptr<DropdownPanel> panel;
};

} // namespace

TEST_F(DrawerTest, TabsSwitchByButtonAndNotificationEachTimeWithAFreshView) {
    EXPECT_EQ(content().activeTab(), DrawerTab::clipboard);
    EXPECT_TRUE(content().tabButton(DrawerTab::clipboard)->isActive());
    QPointer<QWidget> clipsView = content().activeTabView();

    QTest::mouseClick(content().tabButton(DrawerTab::shelf), Qt::LeftButton);
    EXPECT_EQ(content().activeTab(), DrawerTab::shelf);
    EXPECT_TRUE(content().tabButton(DrawerTab::shelf)->isActive());
    EXPECT_FALSE(content().tabButton(DrawerTab::clipboard)->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(clipsView.isNull());

    QSignalSpy switches(&content(), &PanelContentView::activeTabChanged);
    fake.notificationCenter.post(PanelNotifications::switchToNotes);
    EXPECT_EQ(content().activeTab(), DrawerTab::notes);
    QWidget* notesView = content().activeTabView();
    fake.notificationCenter.post(PanelNotifications::switchToNotes);
    EXPECT_EQ(content().activeTabView(), notesView);
    fake.notificationCenter.post(PanelNotifications::switchToFileShelf);
    EXPECT_EQ(content().activeTab(), DrawerTab::shelf);
    EXPECT_EQ(switches.count(), 2);
}

TEST_F(DrawerTest, ASwitchFadesTheTabLeftOutOverTheNewOneButArrivingOnARequestedTabDoesNot) {
    showPanel();
    QTest::mouseClick(content().tabButton(DrawerTab::notes), Qt::LeftButton);
    FadingSnapshot* leaving = content().leavingTab();
    ASSERT_NE(leaving, nullptr);
    QWidget* notesView = content().activeTabView();
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // It covers the new tab, which takes the pointer (and the keyboard) at once.
    EXPECT_EQ(leaving->geometry(),
              QRect(notesView->mapTo(&content(), QPoint(0, 0)), notesView->size()));
    QWidget* underPointer = content().childAt(leaving->geometry().center());
    EXPECT_TRUE(underPointer == notesView || notesView->isAncestorOf(underPointer));
    // The badge stays in front of it.
    const QList<QWidget*> stacked = content().findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    EXPECT_GT(stacked.indexOf(content().badge()), stacked.indexOf(leaving));

    // A quick second switch ends the first fade: one picture at a time.
    QTest::mouseClick(content().tabButton(DrawerTab::shelf), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(content().findChildren<FadingSnapshot*>().size(), 1);
    content().leavingTab()->finish();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(content().leavingTab(), nullptr);
    EXPECT_TRUE(content().findChildren<FadingSnapshot*>().isEmpty());

    // Opening on a requested tab shows it as it is.
    panel->hide();
    state().setRequestedTab(DrawerTab::clipboard);
    showPanel();
    EXPECT_EQ(content().activeTab(), DrawerTab::clipboard);
    EXPECT_EQ(content().leavingTab(), nullptr);
}

TEST_F(DrawerTest, ComingOnScreenTakesTheRequestedTabAndTheShotsTabClearsTheUnseenCount) {
    state().setRequestedTab(DrawerTab::shelf);
    showPanel();
    EXPECT_EQ(content().activeTab(), DrawerTab::shelf);
    EXPECT_EQ(state().requestedTab(), std::nullopt);

    ScreenshotManager& shots = models->screenshots();
    shots.setUnseenCount(3);
    QTest::mouseClick(content().tabButton(DrawerTab::screenshots), Qt::LeftButton);
    EXPECT_EQ(shots.unseenCount(), 0);

    // Shown again on the shots tab, the count that grew meanwhile is cleared again.
    panel->hide();
    shots.setUnseenCount(2);
    showPanel();
    EXPECT_EQ(shots.unseenCount(), 0);
}

TEST_F(DrawerTest, TheBadgeShowsAtOnceAndGoesWithTheFirstFlashOfARun) {
    showPanel();
    CopiedBadge* badge = content().badge();
    EXPECT_FALSE(badge->isShowing());

    state().showCopyFlash();
    EXPECT_TRUE(badge->isShowing());
    fake.mainQueue.advance(0.5);
    state().showCopyFlash();
    fake.mainQueue.advance(0.29);
    EXPECT_TRUE(badge->isShowing());
    fake.mainQueue.advance(0.01); // 0.8 s after the first flash
    EXPECT_FALSE(state().copyFlashVisible());
    badge->finishAnimation();
    EXPECT_FALSE(badge->isShowing());
    fake.mainQueue.advance(1.0);
    EXPECT_FALSE(badge->isShowing());
}

TEST_F(DrawerTest, TypingStartsANoteUnlessItIsAShortcutAControlKeyOrGoesToATextField) {
    showPanel();
    int switches = 0;
    fake.notificationCenter.addObserver(PanelNotifications::switchToNotes, nullptr,
                                        [&] { ++switches; });

    QTest::keyClick(panel.get(), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(panel.get(), Qt::Key_X, Qt::AltModifier);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Tab, Qt::Key_Backspace, Qt::Key_Delete,
                        Qt::Key_Left, Qt::Key_Shift}) {
        QTest::keyClick(panel.get(), key);
    }
    EXPECT_EQ(switches, 0);
    EXPECT_EQ(state().pendingNoteText(), std::nullopt);

    QTest::keyClick(panel.get(), 'A');
    EXPECT_EQ(switches, 1);
    EXPECT_EQ(content().activeTab(), DrawerTab::notes);
    // The notes tab took the typed text over as a note.
    EXPECT_EQ(state().pendingNoteText(), std::nullopt);
    EXPECT_EQ(models->notes().items().last().text, QStringLiteral("A"));

    // A text field with the keyboard gets the key itself.
    state().setPendingNoteText(std::nullopt);
    auto* field = new QLineEdit(content().activeTabView());
    field->show();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_B);
    EXPECT_EQ(field->text(), QStringLiteral("b"));
    EXPECT_EQ(state().pendingNoteText(), std::nullopt);

    // Escape closes the drawer, from a field too.
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(panel->isHiding());
    panel->finishAnimation();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(switches, 1);
}

TEST_F(DrawerTest, AShowDuringTheHideKeepsTheDrawerAndEveryHideEndsOpaque) {
    showPanel();
    const QPoint place = panel->pos();
    panel->animateOut();
    EXPECT_TRUE(panel->isVisible());
    panel->animateIn();
    panel->finishAnimation();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(panel->isHiding());
    EXPECT_EQ(panel->windowOpacity(), 1.0);

    panel->animateOut();
    panel->finishAnimation();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->windowOpacity(), 1.0);
    // It rose while leaving; the next show places it afresh.
    EXPECT_LT(panel->pos().y(), place.y());
}

TEST_F(DrawerTest, DragsAreAnsweredWithCopyAndADropGoesThroughTheIntake) {
    showPanel();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("dropped.txt"));
    QFile(path).open(QIODevice::WriteOnly);
    int shelfRequests = 0;
    fake.notificationCenter.addObserver(PanelNotifications::switchToFileShelf, nullptr,
                                        [&] { ++shelfRequests; });

    DropHostingView* host = panel->hostingView();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPointF at(50, 200);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(host, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    EXPECT_EQ(shelfRequests, 1);
    EXPECT_EQ(content().activeTab(), DrawerTab::shelf);

    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(host, &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_EQ(models->shelf().files().size(), 1);
    EXPECT_EQ(models->shelf().files().first().url(), QUrl::fromLocalFile(path));

    QMimeData nothing;
    QDropEvent refused(at, Qt::CopyAction, &nothing, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(host, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_EQ(models->shelf().files().size(), 1);
}

namespace {

class ToggleTest : public DrawerTest {
protected:
    ToggleTest() {
        delegate = std::make_unique<AppDelegate>(platform, *models, autostart);
        delegate->start();
    }

    QJsonObject drawerStatus() const {
        return delegate->status().value(QStringLiteral("drawer")).toObject();
    }

    QTemporaryDir configHome;
    AutostartEntry autostart{configHome.path(), QStringLiteral("hodgebin")};
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

TEST_F(ToggleTest, TheTrayTogglesTheDrawerUnderItsIconInsideTheScreen) {
    DropdownPanel* drawer = delegate->panel();
    ASSERT_NE(drawer, nullptr);
    EXPECT_FALSE(drawerStatus().value(QStringLiteral("visible")).toBool());

    // An icon at the right edge of a screen whose tray reserves no space: the drawer stays on
    // the screen, and drops below the icon rather than cover it.
    FakeStatusItem* item = fake.statusBar.lastItem;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    item->rect = QRectF(screen.right() - 20, screen.top(), 20, 24);
    item->click();
    drawer->finishAnimation();
    EXPECT_TRUE(drawer->isVisible());
    EXPECT_EQ(drawer->geometry().right(), screen.right());
    EXPECT_EQ(drawer->geometry().top(), item->rect.bottom());
    EXPECT_EQ(drawerStatus(), (QJsonObject{{QStringLiteral("visible"), true},
                                           {QStringLiteral("tab"), QStringLiteral("Clips")}}));

    item->click();
    drawer->finishAnimation();
    EXPECT_FALSE(drawer->isVisible());
    // A tray that cannot say where its icon is gets a stand-in place: nothing to keep clear.
    item->known = false;
    item->click();
    drawer->finishAnimation();
    EXPECT_EQ(drawer->geometry().top(), screen.top());
    item->click();
    drawer->finishAnimation();

    // Toggled onto a tab: opens on it; asked for another tab while open, it switches instead.
    delegate->togglePanel(DrawerTab::notes);
    drawer->finishAnimation();
    EXPECT_TRUE(drawer->isVisible());
    EXPECT_EQ(drawerStatus().value(QStringLiteral("tab")).toString(), QStringLiteral("Notes"));
    delegate->togglePanel(DrawerTab::screenshots);
    EXPECT_FALSE(drawer->isHiding());
    EXPECT_EQ(drawer->content()->activeTab(), DrawerTab::screenshots);
    delegate->togglePanel(DrawerTab::screenshots);
    EXPECT_TRUE(drawer->isHiding());
}

TEST_F(ToggleTest, LosingTheKeyboardHidesTheDrawerUnlessAWindowOfItsOwnIsOpen) {
    DropdownPanel* drawer = delegate->panel();
    delegate->togglePanel();
    drawer->finishAnimation();
    QApplication::setActiveWindow(drawer);
    ASSERT_TRUE(drawer->isActiveWindow());

    QWidget other;
    other.show();
    auto* attached = new QWidget(drawer, Qt::Tool);
    attached->show();
    QApplication::setActiveWindow(&other);
    EXPECT_FALSE(drawer->isHiding());

    delete attached;
    QApplication::setActiveWindow(drawer);
    QApplication::setActiveWindow(&other);
    EXPECT_TRUE(drawer->isHiding());
    drawer->finishAnimation();
    EXPECT_FALSE(drawer->isVisible());
}

// Some window managers make the drawer active without Qt seeing it take the keyboard: their
// word that another program is active closes a drawer that is not following the pointer.
TEST_F(ToggleTest, AnotherWindowMadeActiveByTheWindowManagerClosesTheDrawer) {
    DropdownPanel* drawer = delegate->panel();
    delegate->togglePanel();
    drawer->finishAnimation();
    fake.desktopActivity.activate(quint64(drawer->winId()));
    EXPECT_FALSE(drawer->isHiding()) << "the drawer itself";
    fake.desktopActivity.activate(0x1234567);
    EXPECT_TRUE(drawer->isHiding());
    drawer->finishAnimation();

    // Hover-opened and not clicked into: the pointer decides, as before.
    delegate->notchWindow()->trackMouse(delegate->notchWindow()->frame().center());
    drawer->finishAnimation();
    ASSERT_TRUE(delegate->hover()->isTracking());
    fake.desktopActivity.activate(0x1234567);
    EXPECT_FALSE(drawer->isHiding());
}

TEST(SymbolCatalogue, EverySymbolTheDrawerNamesIsAGlyphOfTheInstalledFontAtItsWeight) {
    ASSERT_FALSE(SymbolCatalogue::fontFamily().isEmpty()) << "no glyph font found by fontconfig";
    const auto ink = [](const QPixmap& pixmap) {
        const QImage image = pixmap.toImage();
        qint64 sum = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                sum += qAlpha(image.pixel(x, y));
            }
        }
        return sum;
    };
    const QColor white(Qt::white);
    const QImage fallback =
        SymbolCatalogue::pixmap(QStringLiteral("no.such.symbol"), 24, white).toImage();
    for (const char* name : {"tray",
                             "tray.full",
                             "tray.and.arrow.down",
                             "doc.on.clipboard",
                             "clipboard",
                             "doc.on.doc",
                             "doc.text",
                             "doc.richtext",
                             "doc",
                             "photo",
                             "note.text",
                             "camera.viewfinder",
                             "pin",
                             "pin.fill",
                             "pin.slash.fill",
                             "checkmark.circle.fill",
                             "circle",
                             "xmark",
                             "xmark.circle.fill",
                             "folder",
                             "ellipsis"}) {
        const QString symbol = QString::fromLatin1(name);
        EXPECT_TRUE(SymbolCatalogue::isKnown(symbol)) << name;
        const QPixmap regular = SymbolCatalogue::pixmap(symbol, 24, white);
        EXPECT_NE(regular.toImage(), fallback) << name;
        EXPECT_GT(
            ink(SymbolCatalogue::pixmap(symbol, 24, white, 1.0, SymbolCatalogue::Weight::Bold)),
            ink(regular))
            << name;
    }
    // Drawn at the device's pixel ratio, for sharp glyphs on HiDPI screens.
    const QPixmap sharp = SymbolCatalogue::pixmap(QStringLiteral("tray"), 10, white, 2.0);
    EXPECT_EQ(sharp.width(), 20);
    EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(10, 10));
}

TEST_F(DrawerTest, KeysSwitchTabsReachTheTabBarAndReturnInTheClipsTabCopiesAndCloses) {
    for (const char* text : {"first", "second", "third"}) {
        fake.pasteboard.copyText(QString::fromUtf8(text));
        models->clipboard().checkPasteboard();
    }
    showPanel();
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    auto* clips = qobject_cast<ClipboardHistoryView*>(content().activeTabView());
    ASSERT_NE(clips, nullptr);
    // The keyboard starts in the list, with nothing selected.
    EXPECT_TRUE(clips->list()->hasFocus());
    EXPECT_EQ(clips->list()->selectedId(), std::nullopt);

    auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) {
        QTest::keyClick(QApplication::focusWidget(), k, m);
    };
    key(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(content().activeTab(), DrawerTab::shelf);
    key(Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(content().activeTab(), DrawerTab::notes);
    // From a note's line too, where Tab alone indents.
    ASSERT_NE(qobject_cast<QPlainTextEdit*>(QApplication::focusWidget()), nullptr);
    key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(content().activeTab(), DrawerTab::screenshots);
    key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(content().activeTab(), DrawerTab::clipboard);
    key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(content().activeTab(), DrawerTab::screenshots);
    key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(content().activeTab(), DrawerTab::clipboard);
    EXPECT_EQ(content().activeTabView()->focusProxy(), QApplication::focusWidget());

    // Tab reaches the tab bar, where Left and Right switch tabs and keep the keyboard.
    for (int i = 0; i < 8 && qobject_cast<TabButton*>(QApplication::focusWidget()) == nullptr;
         ++i) {
        key(Qt::Key_Tab);
    }
    auto* button = qobject_cast<TabButton*>(QApplication::focusWidget());
    ASSERT_NE(button, nullptr);
    content().tabButton(DrawerTab::clipboard)->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Right);
    EXPECT_EQ(content().activeTab(), DrawerTab::shelf);
    EXPECT_TRUE(content().tabButton(DrawerTab::shelf)->hasFocus());
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    EXPECT_EQ(content().activeTab(), DrawerTab::screenshots);
    key(Qt::Key_Right);
    EXPECT_EQ(content().activeTab(), DrawerTab::clipboard);

    // Down, Down, Return: the second entry goes back on the clipboard and the drawer closes.
    content().activeTabView()->setFocus();
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(fake.pasteboard.contents.value(PasteboardType::string), QByteArray("second"));
    EXPECT_TRUE(panel->isHiding());
}

TEST_F(DrawerTest, TheTabBarAndTheMenuButtonTellAssistiveTechnologyWhatTheyAreAndDo) {
    showPanel();
    QAccessibleInterface* notes =
        QAccessible::queryAccessibleInterface(content().tabButton(DrawerTab::notes));
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->role(), QAccessible::PageTab);
    EXPECT_EQ(notes->text(QAccessible::Name), QStringLiteral("Notes"));
    EXPECT_FALSE(notes->state().selected);
    EXPECT_EQ(notes->parent()->role(), QAccessible::PageTabList);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(content().tabButton(DrawerTab::clipboard))
                    ->state()
                    .selected);
    notes->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(content().activeTab(), DrawerTab::notes);
    EXPECT_TRUE(notes->state().selected);

    QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(content().menuButton());
    EXPECT_EQ(menu->role(), QAccessible::ButtonMenu);
    EXPECT_EQ(menu->text(QAccessible::Name), QStringLiteral("Menu"));
    EXPECT_TRUE(menu->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::showMenuAction()));
}
