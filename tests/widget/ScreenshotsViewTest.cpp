#include "screenshots/ScreenshotsView.h"
#include "ScreenshotFiles.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/FakePlatform.h"
#include "notes/NotesManager.h"
#include "panel/PanelState.h"
#include "screenshots/ScreenshotCell.h"
#include "screenshots/ScreenshotManager.h"
#include "shelf/FileShelfManager.h"
#include "widgets/DrawerSearchField.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QEnterEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVariantAnimation>

#include <gtest/gtest.h>

namespace {

// A screenshots tab over fakes and a real folder of screenshots, at the drawer's size.
struct Tab {
    explicit Tab(const QStringList& names = {}) {
        fake.screenCapture.answer = dir.path();
        for (const QString& name : names) {
            add(name);
        }
        clipboard =
            std::make_unique<ClipboardManager>(fake.pasteboard, fake.workspace, fake.mainQueue);
        shelf = std::make_unique<FileShelfManager>(&fake.workspace, fake.mainQueue);
        notes = std::make_unique<NotesManager>(fake.userDefaults);
        shots = std::make_unique<ScreenshotManager>(fake.mainQueue, fake.directoryWatcher,
                                                    fake.screenCapture);
        panelState = std::make_unique<PanelState>(fake.mainQueue);
    }

    // The thumbnails found at start land, and the tab opens.
    ScreenshotsView& open() {
        fake.mainQueue.runPending();
        return openNow();
    }
    ScreenshotsView& openNow() {
        view = std::make_unique<ScreenshotsView>(context());
        view->resize(380, 420);
        view->show();
        return *view;
    }
    DrawerContext context() {
        return {*clipboard,     *shelf,         *notes,
                *shots,         *panelState,    fake.notificationCenter,
                fake.mainQueue, fake.workspace, fake.pasteboard};
    }

    // Each picture has a colour of its own, so copies can be told apart.
    QString add(const QString& name) {
        // Each file is newer than the one before, so the list's order is the order written.
        if (!lastWritten.isEmpty()) {
            waitForLaterFileDates(QDir(dir.path()), lastWritten);
        }
        const QColor colour = QColor::fromHsv(int(written++ * 47 % 360), 160, 200);
        lastWritten = writePicture(dir.filePath(name), QSize(64, 36), colour);
        return lastWritten;
    }
    // A file written while the tab is open, and the half second before it is read.
    void arrive(const QString& name) {
        add(name);
        fake.directoryWatcher.fire(shots->screenshotPath());
        fake.mainQueue.advance(ScreenshotManager::additionDelay);
    }
    // Brings a running arrival or removal to its end.
    void settle() {
        for (QVariantAnimation* animation : view->findChildren<QVariantAnimation*>()) {
            if (animation->state() == QAbstractAnimation::Running) {
                animation->setCurrentTime(animation->duration());
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QStringList shownNames() const {
        QStringList names;
        for (ScreenshotCell* cell : view->cells()) {
            names.append(QFileInfo(cell->item().url().toLocalFile()).fileName());
        }
        return names;
    }
    QStringList filesOnDisk() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir dir;
    QString lastWritten;
    int written = 0;
    FakePlatform fake;
    std::unique_ptr<ClipboardManager> clipboard;
    std::unique_ptr<FileShelfManager> shelf;
    std::unique_ptr<NotesManager> notes;
    std::unique_ptr<ScreenshotManager> shots;
    std::unique_ptr<PanelState> panelState;
    std::unique_ptr<ScreenshotsView> view;
};

void hover(ScreenshotCell* cell, bool entering) {
    if (entering) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(cell, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(cell, &leave);
    }
}

QStringList toolTips(const ScreenshotCell* cell) {
    QStringList tips;
    for (const ScreenshotCellButton* button : cell->buttons()) {
        if (button->isVisible()) {
            tips.append(button->toolTip());
        }
    }
    return tips;
}

} // namespace

TEST(ScreenshotsView, HeaderCountsTheEntriesAndOffersClearOnlyWhenThereAreSome) {
    Tab tab;
    ScreenshotsView& view = tab.open();
    EXPECT_EQ(view.headerText(), QStringLiteral("0 screenshots"));
    EXPECT_FALSE(view.clearButton()->isVisible());
    EXPECT_TRUE(view.showsEmptyState());

    tab.arrive(QStringLiteral("Screenshot 1.png"));
    EXPECT_EQ(view.headerText(), QStringLiteral("1 screenshot"));
    EXPECT_TRUE(view.clearButton()->isVisible());
    EXPECT_FALSE(view.showsEmptyState());

    tab.arrive(QStringLiteral("Screenshot 2.png"));
    EXPECT_EQ(view.headerText(), QStringLiteral("2 screenshots"));
}

TEST(ScreenshotsView, ThumbnailsStillBeingBuiltWhenTheTabOpensShowUpWhenTheyLand) {
    Tab tab({QStringLiteral("Screenshot a.png"), QStringLiteral("Screenshot b.png")});
    tab.fake.mainQueue.holdBackground(true);
    ScreenshotsView& view = tab.openNow();
    EXPECT_TRUE(view.cells().isEmpty());
    // Not "appear here automatically" while there are some on their way.
    EXPECT_FALSE(view.showsEmptyState());

    tab.fake.mainQueue.runBackground();
    tab.fake.mainQueue.runPending();
    EXPECT_EQ(tab.shownNames(), (QStringList{QStringLiteral("Screenshot b.png"),
                                             QStringLiteral("Screenshot a.png")}));
    EXPECT_FALSE(view.showsEmptyState());
}

TEST(ScreenshotsView, HoveringACellShowsItsThreeButtonsAndMovingOnMovesThem) {
    Tab tab({QStringLiteral("Screenshot a.png"), QStringLiteral("Screenshot b.png")});
    ScreenshotsView& view = tab.open();
    ASSERT_EQ(view.cells().size(), 2);
    ScreenshotCell* first = view.cells()[0];
    ScreenshotCell* second = view.cells()[1];
    EXPECT_TRUE(toolTips(first).isEmpty());

    hover(first, true);
    EXPECT_EQ(view.selectedId(), first->item().id());
    EXPECT_EQ(toolTips(first),
              (QStringList{QStringLiteral("Copy to clipboard"), QStringLiteral("Show in Files"),
                           QStringLiteral("Remove")}));
    // The buttons sit over the thumbnail's top right, inside the cell.
    for (const ScreenshotCellButton* button : first->buttons()) {
        EXPECT_TRUE(first->rect().contains(button->mapTo(first, button->rect().bottomRight())));
        EXPECT_GT(button->mapTo(first, QPoint(0, 0)).x(), first->width() / 2);
    }

    // Qt announces the leave of one cell and the entry of the next in either order.
    hover(second, true);
    hover(first, false);
    EXPECT_EQ(view.selectedId(), second->item().id());
    EXPECT_TRUE(toolTips(first).isEmpty());
    EXPECT_EQ(toolTips(second).size(), 3);

    hover(second, false);
    EXPECT_FALSE(view.selectedId().has_value());
    EXPECT_TRUE(toolTips(second).isEmpty());
}

TEST(ScreenshotsView, AClickCopiesThePictureAndFlashesCopiedButNotForAFileThatIsGone) {
    Tab tab({QStringLiteral("Screenshot a.png"), QStringLiteral("Screenshot b.png")});
    ScreenshotsView& view = tab.open();
    ASSERT_EQ(view.cells().size(), 2);
    ScreenshotCell* newer = view.cells()[0];
    ScreenshotCell* older = view.cells()[1];
    const auto copiedPicture = [&] {
        return QImage::fromData(tab.fake.pasteboard.contents.value(PasteboardType::png))
            .convertToFormat(QImage::Format_RGB32);
    };
    const auto pictureOf = [](ScreenshotCell* cell) {
        return QImage(cell->item().url().toLocalFile()).convertToFormat(QImage::Format_RGB32);
    };

    // The picture is read on a worker; the clipboard and the badge change when it is in.
    QTest::mouseClick(newer, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_FALSE(tab.panelState->copyFlashVisible());
    tab.fake.mainQueue.runPending();
    EXPECT_EQ(copiedPicture(), pictureOf(newer));
    EXPECT_TRUE(tab.panelState->copyFlashVisible());
    tab.fake.mainQueue.advance(PanelState::copyFlashDuration);
    ASSERT_FALSE(tab.panelState->copyFlashVisible());

    // Two quick clicks: the second one's picture ends on the clipboard, whichever is read first.
    QTest::mouseClick(older, Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseClick(newer, Qt::LeftButton, {}, QPoint(30, 30));
    tab.fake.mainQueue.holdBackground(true);
    tab.fake.mainQueue.runBackgroundInReverse();
    tab.fake.mainQueue.runPending();
    EXPECT_EQ(copiedPicture(), pictureOf(newer));
    tab.fake.mainQueue.holdBackground(false);
    tab.fake.mainQueue.advance(PanelState::copyFlashDuration);

    // The file goes while its cell is shown: the cell stays, a click copies nothing and says so
    // by not flashing; the clipboard keeps what it had.
    tab.fake.pasteboard.copyText(QStringLiteral("kept"));
    ASSERT_TRUE(QFile::remove(older->item().url().toLocalFile()));
    QTest::mouseClick(older, Qt::LeftButton, {}, QPoint(30, 30));
    tab.fake.mainQueue.runPending();
    EXPECT_EQ(tab.fake.pasteboard.contents.value(PasteboardType::string), QByteArray("kept"));
    EXPECT_FALSE(tab.panelState->copyFlashVisible());
    EXPECT_EQ(view.cells().size(), 2);
}

TEST(ScreenshotsView, TheCopyButtonCopiesTheFolderButtonRevealsAndADoubleClickOpens) {
    Tab tab({QStringLiteral("Screenshot a.png")});
    ScreenshotsView& view = tab.open();
    ScreenshotCell* cell = view.cells().value(0);
    ASSERT_NE(cell, nullptr);
    const QUrl url = cell->item().url();
    hover(cell, true);
    const QList<ScreenshotCellButton*> buttons = cell->buttons();
    ASSERT_EQ(buttons.size(), 3);

    QTest::mouseClick(buttons[1], Qt::LeftButton);
    EXPECT_EQ(tab.fake.workspace.revealed, (QList<QUrl>{url}));
    EXPECT_FALSE(tab.panelState->copyFlashVisible());
    EXPECT_FALSE(tab.fake.pasteboard.contents.contains(PasteboardType::png));

    QTest::mouseClick(buttons[0], Qt::LeftButton);
    tab.fake.mainQueue.runPending();
    EXPECT_TRUE(tab.fake.pasteboard.contents.contains(PasteboardType::png));
    EXPECT_TRUE(tab.panelState->copyFlashVisible());

    QTest::mouseDClick(cell, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(tab.fake.workspace.opened, (QList<QUrl>{url}));
}

TEST(ScreenshotsView, RemoveAndClearForgetEntriesButLeaveTheFilesOnDisk) {
    Tab tab({QStringLiteral("Screenshot a.png"), QStringLiteral("Screenshot b.png"),
             QStringLiteral("Screenshot c.png")});
    ScreenshotsView& view = tab.open();
    const QStringList files = tab.filesOnDisk();
    ASSERT_EQ(tab.shownNames().size(), 3);

    ScreenshotCell* middle = view.cells()[1];
    hover(middle, true);
    QTest::mouseClick(middle->buttons().value(2), Qt::LeftButton);
    EXPECT_EQ(tab.shownNames(), (QStringList{QStringLiteral("Screenshot c.png"),
                                             QStringLiteral("Screenshot a.png")}));
    EXPECT_FALSE(view.selectedId().has_value());
    tab.settle();
    // The remaining two close the gap: the older one takes the second place of the first row.
    EXPECT_EQ(view.cells()[1]->geometry().top(), view.cells()[0]->geometry().top());
    EXPECT_EQ(tab.filesOnDisk(), files);

    QTest::mouseClick(view.clearButton(), Qt::LeftButton);
    EXPECT_TRUE(view.cells().isEmpty());
    EXPECT_EQ(view.headerText(), QStringLiteral("0 screenshots"));
    tab.settle();
    EXPECT_TRUE(view.showsEmptyState());
    EXPECT_FALSE(view.clearButton()->isVisible());
    EXPECT_TRUE(view.findChildren<ScreenshotCell*>().isEmpty());
    EXPECT_EQ(tab.filesOnDisk(), files);
}

TEST(ScreenshotsView, ANewScreenshotArrivesAtTheFrontAndTheOthersMoveOnePlace) {
    Tab tab({QStringLiteral("Screenshot a.png"), QStringLiteral("Screenshot b.png")});
    ScreenshotsView& view = tab.open();
    const QRect firstPlace = view.cells()[0]->geometry();
    const QRect secondPlace = view.cells()[1]->geometry();
    ScreenshotCell* formerFirst = view.cells()[0];

    tab.arrive(QStringLiteral("Screenshot new.png"));
    ASSERT_EQ(view.cells().size(), 3);
    ScreenshotCell* arrived = view.cells()[0];
    EXPECT_EQ(QFileInfo(arrived->item().url().toLocalFile()).fileName(),
              QStringLiteral("Screenshot new.png"));
    // On its way in: fading in, while the former first still stands where it was.
    EXPECT_LT(arrived->opacity(), 1.0);
    EXPECT_EQ(formerFirst->geometry(), firstPlace);

    tab.settle();
    EXPECT_EQ(arrived->opacity(), 1.0);
    EXPECT_EQ(arrived->geometry(), firstPlace);
    EXPECT_EQ(formerFirst->geometry(), secondPlace);
}

TEST(ScreenshotsView, TheGridFitsAsManyColumnsAsTheWidthHoldsWithinTheirWidthRange) {
    for (const int width : {120, 300, 364, 380, 500, 700, 1000}) {
        const ScreenshotsView::GridMetrics m = ScreenshotsView::gridMetrics(width);
        SCOPED_TRACE(width);
        EXPECT_GE(m.columnWidth, ScreenshotsView::minColumnWidth);
        EXPECT_LE(m.columnWidth, ScreenshotsView::maxColumnWidth);
        const int used = m.columns * m.columnWidth + (m.columns - 1) * ScreenshotsView::gridSpacing;
        if (width >= ScreenshotsView::minColumnWidth + 2 * ScreenshotsView::gridPadding) {
            EXPECT_LE(m.left + used, width - ScreenshotsView::gridPadding);
            // Centred, and no room left for one more column.
            EXPECT_LE(std::abs((width - m.left - used) - m.left), 1);
            EXPECT_LT(width - 2 * ScreenshotsView::gridPadding - used,
                      ScreenshotsView::minColumnWidth + ScreenshotsView::gridSpacing);
        }
    }
}

TEST(ScreenshotsView, ALongListHasCellsNearTheScreenOnlyAndScrollingBringsTheRest) {
    QStringList names;
    for (int i = 0; i < 40; ++i) {
        names.append(QStringLiteral("Screenshot %1.png").arg(i, 2, 10, QLatin1Char('0')));
    }
    Tab tab(names);
    ScreenshotsView& view = tab.open();
    ASSERT_EQ(tab.shots->items().size(), 40);
    EXPECT_EQ(view.headerText(), QStringLiteral("40 screenshots"));
    EXPECT_LT(view.cells().size(), 40);
    EXPECT_EQ(tab.shownNames().value(0), QStringLiteral("Screenshot 39.png"));

    QScrollBar* bar = view.findChild<QScrollArea*>()->verticalScrollBar();
    bar->setValue(bar->maximum());
    EXPECT_LT(view.cells().size(), 40);
    EXPECT_EQ(tab.shownNames().value(tab.shownNames().size() - 1),
              QStringLiteral("Screenshot 00.png"));
    // The last cell is where the grid ends, inside the scrolled-to area.
    const QRect last = view.cells().last()->geometry();
    const QWidget* viewport = view.findChild<QScrollArea*>()->viewport();
    EXPECT_TRUE(QRect(0, bar->value(), viewport->width(), viewport->height()).contains(last));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(view.findChildren<ScreenshotCell*>().size(), view.cells().size());
}

TEST(ScreenshotsView, KeysWalkTheGridCopyAndRemoveAndTheSearchFiltersByFileName) {
    Tab tab({QStringLiteral("Screenshot café 1.png"), QStringLiteral("Screenshot 2.png"),
             QStringLiteral("Screenshot CAFE 3.png"), QStringLiteral("Screenshot 4.png")});
    ScreenshotsView& view = tab.open();
    QSignalSpy closes(&view, &DrawerTabView::closeRequested);
    const QList<QUuid> ids = view.shownIds(); // newest first: 4, CAFE 3, 2, café 1
    ASSERT_EQ(ids.size(), 4);
    ASSERT_EQ(view.columnCount(), 2);
    auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(&view, k, m); };

    key(Qt::Key_Down);
    EXPECT_EQ(view.selectedId(), ids[0]);
    key(Qt::Key_Right);
    key(Qt::Key_Down);
    EXPECT_EQ(view.selectedId(), ids[3]);
    key(Qt::Key_Left);
    key(Qt::Key_Up);
    EXPECT_EQ(view.selectedId(), ids[0]);
    // The selected cell is drawn as a hovered one, with its buttons.
    EXPECT_TRUE(view.cells()[0]->isHovered());

    // Return copies the picture as a click does and closes the drawer; Shift keeps it open.
    key(Qt::Key_Return, Qt::ShiftModifier);
    tab.fake.mainQueue.runBackground();
    tab.fake.mainQueue.runPending();
    EXPECT_TRUE(tab.fake.pasteboard.contents.contains(PasteboardType::png));
    EXPECT_TRUE(tab.panelState->copyFlashVisible());
    EXPECT_EQ(closes.count(), 0);
    key(Qt::Key_Return);
    EXPECT_EQ(closes.count(), 1);

    // Delete takes it out of the tab, never off the disk, and selects the next one.
    key(Qt::Key_Delete);
    tab.settle();
    EXPECT_EQ(view.shownIds(), ids.mid(1));
    EXPECT_EQ(tab.filesOnDisk().size(), 4);
    EXPECT_EQ(view.selectedId(), ids[1]);

    // The search keeps the screenshots whose names match, whatever the accents and case.
    key(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(view.searchField(), QStringLiteral("cafe"));
    EXPECT_EQ(view.shownIds(), (QList<QUuid>{ids[1], ids[3]}));
    EXPECT_EQ(view.headerText(), QStringLiteral("3 screenshots"));
    QTest::keyClicks(view.searchField(), QStringLiteral("z"));
    EXPECT_TRUE(view.shownIds().isEmpty());
    EXPECT_FALSE(view.showsEmptyState());
    QTest::keyClick(view.searchField(), Qt::Key_Escape);
    EXPECT_EQ(view.shownIds().size(), 3);
    EXPECT_FALSE(view.searchField()->isVisible());

    // To assistive technology each cell is a list item named by its file.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&view);
    ASSERT_EQ(list->childCount(), 3);
    EXPECT_EQ(list->child(0)->text(QAccessible::Name), QStringLiteral("Screenshot CAFE 3.png"));
    list->child(0)->actionInterface()->doAction(QStringLiteral("Open"));
    EXPECT_EQ(tab.fake.workspace.opened.size(), 1);
}

TEST(ScreenshotsView, ThumbnailsShowTheWholePictureAndAgesFollowTheClock) {
    Tab tab;
    const QString tall = writePicture(tab.dir.filePath("Screenshot tall.png"), QSize(40, 100));
    tab.fake.mainQueue.setWallClock(fileDate(tall).addSecs(5));
    ScreenshotsView& view = tab.open();
    ScreenshotCell* cell = view.cells().value(0);
    ASSERT_NE(cell, nullptr);
    ASSERT_FALSE(cell->thumbnail().isNull());
    const QRect shown = cell->thumbnailRect();
    EXPECT_TRUE(cell->rect().contains(shown));
    EXPECT_NEAR(double(shown.width()) / shown.height(), 0.4, 0.02);
    EXPECT_LE(std::abs(shown.center().x() - cell->rect().center().x()), 1);

    EXPECT_EQ(cell->ageLabel(), QStringLiteral("5s ago"));
    tab.fake.mainQueue.advance(60);
    EXPECT_EQ(cell->ageLabel(), QStringLiteral("1m ago"));
}

TEST(ScreenshotsView, EveryAgeOnScreenMovesOnWhenThePointerMovesToAnotherCell) {
    Tab tab({QStringLiteral("Screenshot a.png"), QStringLiteral("Screenshot b.png")});
    tab.fake.mainQueue.setWallClock(fileDate(tab.lastWritten).addSecs(5));
    ScreenshotsView& view = tab.open();
    ASSERT_EQ(view.cells().size(), 2);
    // The age each cell last drew.
    struct PaintedAges : QObject {
        QHash<QObject*, QString> ages;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                ages.insert(watched, static_cast<ScreenshotCell*>(watched)->ageLabel());
            }
            return false;
        }
    } painted;
    for (ScreenshotCell* cell : view.cells()) {
        cell->installEventFilter(&painted);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(painted.ages.value(view.cells()[0]), QStringLiteral("5s ago"));

    tab.fake.mainQueue.advance(60);
    QCoreApplication::processEvents();
    painted.ages.clear();
    hover(view.cells()[1], true);
    QCoreApplication::processEvents();
    // The newest cell was not hovered, yet its age is redrawn as the clipboard's rows are.
    EXPECT_EQ(painted.ages.value(view.cells()[0]), QStringLiteral("1m ago"));
}
