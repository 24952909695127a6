#include "shelf/FileShelfView.h"
#include "TabViewModels.h"
#include "shelf/FileShelfCell.h"
#include "shelf/FileShelfGrid.h"
#include "widgets/DrawerTextButton.h"

#include <QAccessible>
#include <QFile>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct FileShelfViewTest : ::testing::Test {
    TabViewModels models;
    QTemporaryDir files;
    std::unique_ptr<FileShelfView> view;

    void open() {
        view = std::make_unique<FileShelfView>(models.context());
        view->resize(380, 420);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    QUrl dropped(const QString& name) {
        QFile file(files.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("contents");
        file.close();
        const QUrl url = QUrl::fromLocalFile(file.fileName());
        models.shelf.addFile(url);
        return url;
    }

    QUuid idOf(const QUrl& url) const {
        for (const ShelfFile& file : models.shelf.files()) {
            if (file.url() == url) {
                return file.id();
            }
        }
        return {};
    }

    QList<QUrl> shelved() const {
        QList<QUrl> urls;
        for (const ShelfFile& file : models.shelf.files()) {
            urls.append(file.url());
        }
        return urls;
    }
};

} // namespace

TEST_F(FileShelfViewTest, TheDropAreaGivesWayToTheGridAndClearAllBringsItBack) {
    open();
    EXPECT_TRUE(view->isShowingEmptyState());
    EXPECT_FALSE(view->clearAllButton()->isVisible());
    EXPECT_FALSE(view->grid()->isVisible());

    const QUrl a = dropped(QStringLiteral("a.txt"));
    const QUrl b = dropped(QStringLiteral("b.txt"));
    EXPECT_FALSE(view->isShowingEmptyState());
    EXPECT_TRUE(view->clearAllButton()->isVisible());
    EXPECT_TRUE(view->grid()->isVisible());
    // Newest first.
    EXPECT_LT(view->grid()->cellRect(idOf(b)).left(), view->grid()->cellRect(idOf(a)).left());

    QCoreApplication::sendPostedEvents();
    const int clearAt = view->clearAllButton()->mapTo(view.get(), QPoint()).y();
    QTest::mouseClick(view->clearAllButton(), Qt::LeftButton);
    EXPECT_TRUE(models.shelf.files().isEmpty());
    EXPECT_TRUE(view->isShowingEmptyState());
    // For a few seconds "Undo" stands in its place, and Ctrl+Z does the same.
    EXPECT_EQ(view->clearAllButton()->text(), QStringLiteral("Undo"));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(view->clearAllButton()->mapTo(view.get(), QPoint()).y(), clearAt);
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QTest::keyClick(view.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(models.shelf.files().size(), 2);
    EXPECT_EQ(view->clearAllButton()->text(), QStringLiteral("Clear All"));

    QTest::mouseClick(view->clearAllButton(), Qt::LeftButton);
    models.queue.advance(UndoOffer::duration);
    EXPECT_FALSE(view->clearAllButton()->isVisible());
    QTest::keyClick(view.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(models.shelf.files().isEmpty());
}

TEST_F(FileShelfViewTest, OnlyTheHoveredCellsRemoveButtonTakesTheFileOff) {
    const QUrl a = dropped(QStringLiteral("a.txt"));
    const QUrl b = dropped(QStringLiteral("b.txt"));
    open();
    FileShelfGrid* grid = view->grid();
    QWidget* viewport = grid->viewport();

    // A click on the cell's body removes nothing.
    const QRectF cellA = grid->cellRect(idOf(a));
    QTest::mouseMove(viewport, cellA.center().toPoint());
    EXPECT_EQ(grid->selectedId(), idOf(a));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellA.center().toPoint());
    EXPECT_EQ(shelved(), (QList<QUrl>{b, a}));

    // Leaving the grid hides every remove button.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(viewport, &leave);
    EXPECT_EQ(grid->selectedId(), std::nullopt);

    const QPoint button = FileShelfCell::removeButtonRect(cellA).center().toPoint();
    QTest::mouseMove(viewport, button);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, button);
    EXPECT_EQ(shelved(), (QList<QUrl>{b}));
}

TEST_F(FileShelfViewTest, CellsFitTheWidthInColumnsWithoutOverlapping) {
    for (int i = 0; i < 9; ++i) {
        dropped(QStringLiteral("file-with-a-rather-long-name-%1.pdf").arg(i));
    }
    open();
    FileShelfGrid* grid = view->grid();
    int columns = 0;
    for (int width : {200, 300, 380, 520, 700}) {
        view->resize(width, 600);
        QApplication::processEvents();
        EXPECT_GE(grid->columnCount(), columns) << width;
        columns = grid->columnCount();
        QList<QRectF> cells;
        for (const ShelfFile& file : models.shelf.files()) {
            const QRectF cell = grid->cellRect(file.id());
            EXPECT_GE(cell.left(), 0) << width;
            EXPECT_LE(cell.right(), grid->viewport()->width()) << width;
            for (const QRectF& other : cells) {
                EXPECT_FALSE(cell.intersects(other)) << width;
            }
            cells.append(cell);
        }
    }
    EXPECT_GT(columns, 1);
}

TEST_F(FileShelfViewTest, TilesOfARowLineUpWhateverTheirNamesAndIconsWhichKeepTheirShape) {
    // A theme's icons are not all square: one tall, one wide, and a file without one.
    const auto solid = [](QSize size, QColor colour) {
        QPixmap pixmap(size);
        pixmap.fill(colour);
        return QIcon(pixmap);
    };
    models.workspace.icons.insert(files.filePath(QStringLiteral("tall.txt")),
                                  solid(QSize(20, 40), Qt::red));
    const QString longName = QStringLiteral("a-name-long-enough-to-wrap-onto-two-lines.txt");
    models.workspace.icons.insert(files.filePath(longName), solid(QSize(40, 20), Qt::blue));
    const QUuid tall = idOf(dropped(QStringLiteral("tall.txt")));
    const QUuid wide = idOf(dropped(longName));
    const QUuid plain = idOf(dropped(QStringLiteral("b.txt")));
    open();
    FileShelfGrid* grid = view->grid();
    ASSERT_GE(grid->columnCount(), 3);
    const QRectF tallCell = grid->cellRect(tall);
    for (const QUuid& id : {wide, plain}) {
        const QRectF cell = grid->cellRect(id);
        EXPECT_EQ(cell.top(), tallCell.top());
        EXPECT_EQ(cell.height(), tallCell.height());
        EXPECT_EQ(FileShelfCell::iconRect(cell).top(), FileShelfCell::iconRect(tallCell).top());
    }

    // Each icon is drawn whole inside its frame, at its own shape.
    const QImage painted = grid->viewport()->grab().toImage();
    const auto paintedBounds = [&](QRgb colour) {
        QRect bounds;
        for (int y = 0; y < painted.height(); ++y) {
            for (int x = 0; x < painted.width(); ++x) {
                if (painted.pixel(x, y) == colour) {
                    bounds |= QRect(x, y, 1, 1);
                }
            }
        }
        return bounds;
    };
    const QRect red = paintedBounds(qRgb(255, 0, 0));
    const QRect blue = paintedBounds(qRgb(0, 0, 255));
    EXPECT_TRUE(FileShelfCell::iconRect(tallCell).adjusted(-1, -1, 1, 1).contains(red));
    EXPECT_TRUE(
        FileShelfCell::iconRect(grid->cellRect(wide)).adjusted(-1, -1, 1, 1).contains(blue));
    EXPECT_NEAR(double(red.width()) / red.height(), 0.5, 0.1);
    EXPECT_NEAR(double(blue.width()) / blue.height(), 2.0, 0.3);
}

TEST(FileShelfGrid, ADraggedFileCarriesItsUrlForFileManagersAndBrowsers) {
    QTemporaryDir dir;
    const QUrl url = QUrl::fromLocalFile(dir.filePath(QStringLiteral("Report Q3 ✓.pdf")));
    const ShelfFile file = ShelfFile::make(url, nullptr, QDateTime::currentDateTimeUtc());
    std::unique_ptr<QMimeData> data(FileShelfGrid::dragData(file));
    ASSERT_TRUE(data->hasFormat(QStringLiteral("text/uri-list")));
    EXPECT_EQ(data->urls(), (QList<QUrl>{url}));
    EXPECT_TRUE(data->data(QStringLiteral("text/uri-list")).startsWith("file:///"));
}

TEST_F(FileShelfViewTest, ArrowsWalkTheGridByRowsAndColumnsReturnOpensAndDeleteUnshelves) {
    QList<QUrl> urls;
    for (int i = 0; i < 7; ++i) {
        urls.prepend(dropped(QStringLiteral("file%1.txt").arg(i)));
    }
    open();
    FileShelfGrid* grid = view->grid();
    const int columns = grid->columnCount();
    ASSERT_GE(columns, 2);
    ASSERT_LT(columns, 7);
    auto at = [&](int index) { return idOf(urls[index]); };
    auto key = [&](Qt::Key k) { QTest::keyClick(grid, k); };
    EXPECT_EQ(grid->selectedId(), std::nullopt);

    key(Qt::Key_Right); // the first key selects the first file
    EXPECT_EQ(grid->selectedId(), at(0));
    key(Qt::Key_Right);
    EXPECT_EQ(grid->selectedId(), at(1));
    key(Qt::Key_Down);
    EXPECT_EQ(grid->selectedId(), at(1 + columns));
    key(Qt::Key_Up);
    key(Qt::Key_Up); // nothing above the first row
    EXPECT_EQ(grid->selectedId(), at(1));
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    EXPECT_EQ(grid->selectedId(), at(0));
    key(Qt::Key_End);
    EXPECT_EQ(grid->selectedId(), at(6));
    key(Qt::Key_Home);
    EXPECT_EQ(grid->selectedId(), at(0));

    key(Qt::Key_Return);
    EXPECT_EQ(models.workspace.opened, QList<QUrl>{urls[0]});

    // Delete takes the file off the shelf, not off the disk, and selects the next one.
    key(Qt::Key_Delete);
    EXPECT_EQ(idOf(urls[0]), QUuid());
    EXPECT_TRUE(QFile::exists(urls[0].toLocalFile()));
    EXPECT_EQ(grid->selectedId(), at(1));

    // To assistive technology each cell is a named item with open and remove.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(grid);
    ASSERT_EQ(list->childCount(), 6);
    QAccessibleInterface* cell = list->child(0);
    EXPECT_EQ(cell->role(), QAccessible::ListItem);
    EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("file5.txt"));
    EXPECT_TRUE(cell->state().selected);
    cell->actionInterface()->doAction(QStringLiteral("Remove"));
    EXPECT_EQ(list->childCount(), 5);
}
