#include "clipboard/ClipboardManager.h"
#include "fakes/FakePlatform.h"
#include "notch/NotchPillContent.h"
#include "notch/NotchPillView.h"
#include "notch/NotchWindow.h"
#include "notes/NotesManager.h"
#include "panel/DrawerContext.h"
#include "panel/PanelNotifications.h"
#include "panel/PanelState.h"
#include "platform/DragPasteboard.h"
#include "screenshots/ScreenshotManager.h"
#include "shelf/FileShelfManager.h"

#include <QAccessible>
#include <QApplication>
#include <QDragEnterEvent>
#include <QImage>
#include <QMimeData>
#include <QVariantAnimation>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A notch window over fake screens, a manual clock and fresh models.
struct NotchOverFakes {
    NotchOverFakes() {
        clipboard =
            std::make_unique<ClipboardManager>(fake.pasteboard, fake.workspace, fake.mainQueue);
        shelf = std::make_unique<FileShelfManager>(&fake.workspace, fake.mainQueue);
        notes = std::make_unique<NotesManager>(fake.userDefaults);
        screenshots = std::make_unique<ScreenshotManager>(fake.mainQueue, fake.directoryWatcher,
                                                          fake.screenCapture);
        panelState = std::make_unique<PanelState>(fake.mainQueue);
        // The screenshot folder's listing at start is in.
        fake.mainQueue.runPending();
    }

    DrawerContext context() {
        return DrawerContext{*clipboard,     *shelf,         *notes,
                             *screenshots,   *panelState,    fake.notificationCenter,
                             fake.mainQueue, fake.workspace, fake.pasteboard};
    }

    NotchWindow& open(const DesktopSession& session = {}) {
        window = std::make_unique<NotchWindow>(context(), fake.screens, session);
        QObject::connect(window.get(), &NotchWindow::hovered, [this] { ++hovers; });
        return *window;
    }

    void pointAt(double x, double y) {
        fake.screens.pointer = QPointF(x, y);
        window->trackMouse(fake.screens.pointer);
    }

    FakePlatform fake;
    std::unique_ptr<ClipboardManager> clipboard;
    std::unique_ptr<FileShelfManager> shelf;
    std::unique_ptr<NotesManager> notes;
    std::unique_ptr<ScreenshotManager> screenshots;
    std::unique_ptr<PanelState> panelState;
    std::unique_ptr<NotchWindow> window;
    int hovers = 0;
};

QImage render(NotchPillView& view) {
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Antialiased edges leave a little coverage either way.
bool opaque(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y)) > 240;
}
bool clear(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y)) < 15;
}

} // namespace

TEST(NotchPillView, RestingBarHasSquareTopAndRoundLowerCornersAndHoveredOneGrowsEars) {
    NotchPillView view;
    view.resize(180, 25);
    view.show();
    QImage resting = render(view);
    EXPECT_EQ(resting.pixel(90, 12), qRgba(0, 0, 0, 255));
    EXPECT_TRUE(opaque(resting, 0, 0)); // square top corners
    EXPECT_TRUE(opaque(resting, 179, 0));
    EXPECT_TRUE(clear(resting, 0, 24)); // rounded lower corners
    EXPECT_TRUE(clear(resting, 179, 24));
    EXPECT_TRUE(opaque(resting, 90, 24)); // the lower edge between them

    view.resize(200, 27);
    view.setHovered(true);
    QImage body = render(view);
    EXPECT_TRUE(clear(body, 5, 26)); // no ears yet: the body is inset 10 on each side
    EXPECT_TRUE(clear(body, 5, 2));
    EXPECT_TRUE(opaque(body, 15, 2));
    EXPECT_TRUE(opaque(body, 15, 26)); // with square lower corners

    view.setEarProtrusion(10);
    QImage ears = render(view);
    EXPECT_TRUE(opaque(ears, 5, 26)); // the ears flare out at the bottom
    EXPECT_TRUE(opaque(ears, 194, 26));
    EXPECT_TRUE(clear(ears, 5, 20)); // and curve back in above it
    EXPECT_TRUE(clear(ears, 5, 2));

    // Without an area the last outline is kept.
    const QPainterPath before = view.path();
    view.resize(0, 27);
    view.setEarProtrusion(3);
    EXPECT_EQ(view.path(), before);
}

TEST(NotchPillContent, RowShowsOnlyWhatThereIsToCount) {
    NotchOverFakes app;
    NotchPillContent content(*app.clipboard, *app.shelf, *app.screenshots);
    content.resize(180, 25);
    const auto kinds = [&content] {
        QStringList out;
        for (const auto& e : content.layoutRow()) {
            out << (e.kind == NotchPillContent::Element::Kind::dot ? QStringLiteral("dot")
                                                                   : e.text);
        }
        return out;
    };
    EXPECT_TRUE(kinds().isEmpty()); // nothing to count, at rest: only the black pill
    content.setHovering(true);
    EXPECT_EQ(kinds(), QStringList{QStringLiteral("tray")});

    for (int i = 0; i < 7; ++i) {
        app.clipboard->insertAtTop(ClipboardItem::make(ClipboardContent::text(QString::number(i)),
                                                       QDateTime::currentDateTime(), {}));
    }
    app.screenshots->setUnseenCount(2);
    content.setHovering(false);
    EXPECT_EQ(kinds(), (QStringList{QStringLiteral("tray"), QStringLiteral("doc.on.clipboard"),
                                    QStringLiteral("7"), QStringLiteral("dot")}));

    // The row sits centred, lifted a little above the middle.
    const auto row = content.layoutRow();
    const double left = row.first().rect.left();
    const double right = row.last().rect.right();
    EXPECT_NEAR((left + right) / 2, 90, 0.5);
    EXPECT_LT(row.last().rect.center().y(), 12.5);
}

TEST(NotchWindow, SitsAtTheTopCentreOfTheBuiltInScreenElseThePrimaryOne) {
    NotchOverFakes app;
    // A primary external screen on the right of the notebook's own panel, their lower edges
    // in line.
    app.fake.screens.list = {
        FakeScreens::standard(QStringLiteral("DP-2"), 1440, 2560, 1440, 30),
        FakeScreens::standard(QStringLiteral("eDP-1"), 0, 1440, 900, 20, 1440 - 900)};
    NotchWindow& notch = app.open();
    EXPECT_EQ(notch.frame(), QRectF(720 - 90, 1440 - 900, 180, 25)); // bar lower than 25

    // The notebook's lid closed: the primary screen, whose bar is taller.
    app.fake.screens.rearrange(
        {FakeScreens::standard(QStringLiteral("DP-2"), 1440, 2560, 1440, 30)});
    EXPECT_EQ(notch.frame(), QRectF(1440 + 1280 - 90, 0, 180, 30));

    // Every screen gone: the window stays where it was and ignores the pointer.
    app.fake.screens.rearrange({});
    EXPECT_EQ(notch.frame(), QRectF(1440 + 1280 - 90, 0, 180, 30));
    app.pointAt(2720, 0);
    EXPECT_FALSE(notch.isHovered());
}

TEST(NotchWindow, PointerOnTheNotchGrowsThePillAndLeavingShrinksItUnlessTheDrawerIsOpen) {
    NotchOverFakes app;
    NotchWindow& notch = app.open();
    const QRectF resting(960 - 90, 0, 180, 25);
    ASSERT_EQ(notch.frame(), resting);

    app.pointAt(960, 0); // the very top edge of the screen counts
    EXPECT_TRUE(notch.isHovered());
    EXPECT_EQ(app.hovers, 1);
    EXPECT_EQ(notch.frame(), resting.adjusted(-10, 0, 10, 2));
    EXPECT_TRUE(notch.pillView()->isHovered());
    EXPECT_TRUE(notch.pillContent()->isHovering());
    app.pointAt(900, 20);
    EXPECT_EQ(app.hovers, 2); // every move inside tells the owner again

    // Out of the notch while the drawer shows: the pill stays grown.
    notch.setPanelVisible(true);
    app.pointAt(900, 180);
    EXPECT_TRUE(notch.isHovered());
    notch.setPanelVisible(false);
    app.pointAt(862, 10); // inside the grown window, but outside the notch itself
    EXPECT_FALSE(notch.isHovered());
    EXPECT_EQ(notch.frame(), resting);
    EXPECT_FALSE(notch.pillView()->isHovered());
    EXPECT_EQ(app.hovers, 2);

    // A screen change while hovered puts the window back to its resting size at once.
    app.pointAt(960, 10);
    app.fake.screens.rearrange({FakeScreens::standard(QStringLiteral("HDMI-1"), 0, 1280, 1024)});
    EXPECT_EQ(notch.frame(), QRectF(640 - 90, 0, 180, 25));
    EXPECT_TRUE(notch.isHovered());
}

TEST(NotchWindow, BesideGnomeShellsBarItRestsAsAStripThatLeavesTheClockAndGrowsOnHover) {
    // The session decides: GNOME Shell's bar has its clock at the centre, XFCE's does not.
    EXPECT_TRUE(DesktopSession{QStringLiteral("GNOME")}.barHoldsTopCentre());
    EXPECT_TRUE(DesktopSession{QStringLiteral("ubuntu:GNOME")}.barHoldsTopCentre());
    EXPECT_FALSE(DesktopSession{QStringLiteral("XFCE")}.barHoldsTopCentre());
    EXPECT_FALSE(DesktopSession{}.barHoldsTopCentre());

    NotchOverFakes app;
    app.fake.screens.list = {FakeScreens::standard(QStringLiteral("HDMI-1"), 0, 1920, 1080, 32)};
    app.shelf->addFile(QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt")));
    NotchWindow& notch = app.open(DesktopSession{QStringLiteral("ubuntu:GNOME")});
    const QRectF full(960 - 90, 0, 180, 32);
    // At rest: a strip on the top edge, above the clock's text, without the counters; its
    // outline stays inside it.
    EXPECT_TRUE(notch.isSlim());
    EXPECT_EQ(notch.frame().top(), 0);
    EXPECT_EQ(notch.frame().center().x(), 960);
    EXPECT_LT(notch.frame().bottom(), 8);
    EXPECT_FALSE(notch.pillContent()->isVisibleTo(&notch));
    EXPECT_TRUE(
        QRectF(QPointF(), notch.frame().size()).contains(notch.pillView()->path().boundingRect()));
    // The clock itself is no hover zone: the pointer on it leaves the pill as it is.
    app.pointAt(960, 16);
    EXPECT_FALSE(notch.isHovered());
    EXPECT_EQ(app.hovers, 0);

    // The top edge is: the full pill grows with its counters, and the pointer may go down it.
    app.pointAt(960, 0);
    EXPECT_TRUE(notch.isHovered());
    EXPECT_EQ(notch.frame(), full.adjusted(-10, 0, 10, 2));
    EXPECT_TRUE(notch.pillContent()->isVisibleTo(&notch));
    app.pointAt(960, 20);
    EXPECT_TRUE(notch.isHovered());
    EXPECT_EQ(app.hovers, 2);
    app.pointAt(960, 300);
    EXPECT_FALSE(notch.isHovered());
    EXPECT_LT(notch.frame().bottom(), 8);
    EXPECT_FALSE(notch.pillContent()->isVisibleTo(&notch));

    // A screen with no bar at its top (GNOME's bar is on the primary screen only): the full
    // pill, as everywhere else.
    app.fake.screens.rearrange({FakeScreens::standard(QStringLiteral("HDMI-2"), 0, 1280, 1024, 0)});
    EXPECT_FALSE(notch.isSlim());
    EXPECT_EQ(notch.frame(), QRectF(640 - 90, 0, 180, 25));
    EXPECT_TRUE(notch.pillContent()->isVisibleTo(&notch));
}

TEST(NotchWindow, EarsGrowToTheTargetOrStopWhenThePointerLeaves) {
    NotchOverFakes app;
    NotchWindow& notch = app.open();
    QVariantAnimation* ears = notch.earAnimation();
    app.pointAt(960, 10);
    EXPECT_EQ(notch.pillView()->earProtrusion(), 0);
    EXPECT_TRUE(notch.isAnimatingEars());

    ears->setCurrentTime(ears->duration());
    EXPECT_EQ(notch.pillView()->earProtrusion(), NotchWindow::earTarget);
    EXPECT_FALSE(notch.isAnimatingEars());
    EXPECT_EQ(app.fake.mainQueue.pendingCount(), 0);

    // Leaving half way: the resting pill gets no ears afterwards.
    app.pointAt(500, 580);
    app.pointAt(960, 10);
    EXPECT_EQ(notch.pillView()->earProtrusion(), 0) << "each hover grows them from nothing";
    ears->setCurrentTime(ears->duration() / 2);
    app.pointAt(500, 580);
    EXPECT_FALSE(notch.isAnimatingEars());
    EXPECT_EQ(notch.pillView()->earProtrusion(), 0);
    EXPECT_FALSE(notch.pillView()->isHovered());
}

TEST(NotchWindow, DragEnteringAsksForTheShelfUnderTheNotchAndTheDropGoesToTheIntake) {
    NotchOverFakes app;
    NotchWindow& notch = app.open();
    int shelfRequests = 0;
    app.fake.notificationCenter.addObserver(PanelNotifications::switchToFileShelf, nullptr,
                                            [&shelfRequests] { ++shelfRequests; });
    QMimeData data;
    data.setText(QStringLiteral("/tmp/a file"));
    QDragEnterEvent enter(QPoint(90, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::NoButton,
                          Qt::NoModifier);
    QApplication::sendEvent(&notch, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    EXPECT_EQ(app.panelState->requestedTab(), DrawerTab::shelf);
    EXPECT_EQ(shelfRequests, 1);
    EXPECT_EQ(app.hovers, 1);
    // A drag holds the pointer, so no enter event comes: the drag itself grows the pill.
    EXPECT_TRUE(notch.isHovered());
    EXPECT_TRUE(notch.pillView()->isHovered());

    // A path to no file: the intake keeps the text as a history entry.
    QDropEvent drop(QPointF(90, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::NoButton,
                    Qt::NoModifier);
    QApplication::sendEvent(&notch, &drop);
    ASSERT_EQ(app.clipboard->items().size(), 1);
    EXPECT_EQ(app.clipboard->items().first().content.textValue(), QStringLiteral("/tmp/a file"));
    EXPECT_TRUE(drop.isAccepted());

    // Nothing the intake can use: refused, and nothing changes.
    QMimeData nothing;
    QDropEvent refused(QPointF(90, 10), Qt::CopyAction, &nothing, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&notch, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_EQ(app.clipboard->items().size(), 1);

    // A drag that leaves for elsewhere, with no drawer open, shrinks the pill.
    QDragEnterEvent again(QPoint(90, 10), Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&notch, &again);
    app.fake.screens.pointer = QPointF(500, 600);
    QDragLeaveEvent leave;
    QApplication::sendEvent(&notch, &leave);
    EXPECT_FALSE(notch.isHovered());
}

TEST(NotchWindow, AScreenReaderFindsThePillAsAButtonThatSaysWhatItCountsAndOpensTheDrawer) {
    NotchOverFakes app;
    NotchWindow& window = app.open();
    for (int i = 0; i < 3; ++i) {
        app.clipboard->insertAtTop(ClipboardItem::make(ClipboardContent::text(QString::number(i)),
                                                       QDateTime::currentDateTime(), {}));
    }
    app.screenshots->setUnseenCount(1);
    QAccessibleInterface* pill = QAccessible::queryAccessibleInterface(window.pillContent());
    ASSERT_NE(pill, nullptr);
    EXPECT_EQ(pill->role(), QAccessible::Button);
    EXPECT_EQ(pill->text(QAccessible::Name), QStringLiteral("Hodgebin"));
    EXPECT_EQ(pill->text(QAccessible::Description),
              QStringLiteral("3 clips, 0 files on the shelf, new screenshots"));
    const int before = app.hovers;
    pill->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(app.hovers, before + 1);
}
