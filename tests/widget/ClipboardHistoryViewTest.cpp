#include "clipboard/ClipboardHistoryView.h"
#include "TabViewModels.h"
#include "clipboard/ClipboardHistoryList.h"
#include "clipboard/ClipboardRow.h"
#include "support/EncodedImage.h"
#include "widgets/DrawerSearchField.h"
#include "widgets/DrawerTextButton.h"

#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

struct ClipboardHistoryViewTest : ::testing::Test {
    TabViewModels models;
    std::unique_ptr<ClipboardHistoryView> view;

    ClipboardHistoryList* list() { return view->list(); }

    void open() {
        view = std::make_unique<ClipboardHistoryView>(models.context());
        view->resize(380, 420);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    QUuid idOf(const QString& text) {
        for (const ClipboardItem& item : models.clipboard.items()) {
            if (item.content.textValue() == text) {
                return item.id;
            }
        }
        return {};
    }

    // Moves the pointer onto a row, so its buttons show, and clicks at a point of it.
    void clickRow(const QUuid& id, const std::function<QPointF(const QRectF&)>& where) {
        const QRectF row = list()->rowRect(id);
        ASSERT_FALSE(row.isEmpty());
        const QPoint point = where(row).toPoint();
        QTest::mouseMove(list()->viewport(), point);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, point);
    }

    QString toolTipAt(const QPointF& point) {
        QWidget* viewport = list()->viewport();
        QHelpEvent help(QEvent::ToolTip, point.toPoint(), viewport->mapToGlobal(point.toPoint()));
        QApplication::sendEvent(viewport, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    QString pasted() const {
        return QString::fromUtf8(models.pasteboard.contents.value(PasteboardType::string));
    }
};

} // namespace

TEST_F(ClipboardHistoryViewTest, ARowClickCopiesTheEntryAndFlashesButItsRemoveButtonOnlyRemoves) {
    models.copied(QStringLiteral("alpha"));
    models.copied(QStringLiteral("beta"));
    models.copied(QStringLiteral("gamma"));
    open();
    const QUuid alpha = idOf(QStringLiteral("alpha"));
    const QUuid beta = idOf(QStringLiteral("beta"));

    // The blank space between the text and the buttons copies, as the copy button does.
    clickRow(alpha, [](const QRectF& row) {
        const QRectF pin = ClipboardRow::buttonRect(row, ClipboardRow::Button::pin);
        return QPointF(pin.left() - 12, row.center().y());
    });
    EXPECT_EQ(pasted(), QStringLiteral("alpha"));
    EXPECT_TRUE(models.panelState.copyFlashVisible());

    clickRow(beta, [](const QRectF& row) {
        return ClipboardRow::buttonRect(row, ClipboardRow::Button::copy).center();
    });
    EXPECT_EQ(pasted(), QStringLiteral("beta"));

    const qint64 changes = models.pasteboard.count;
    models.queue.advance(PanelState::copyFlashDuration);
    ASSERT_FALSE(models.panelState.copyFlashVisible());
    clickRow(alpha, [](const QRectF& row) {
        return ClipboardRow::buttonRect(row, ClipboardRow::Button::remove).center();
    });
    EXPECT_EQ(list()->rowIds(), (QList<QUuid>{idOf(QStringLiteral("gamma")), beta}));
    EXPECT_EQ(models.pasteboard.count, changes);
    EXPECT_FALSE(models.panelState.copyFlashVisible());
}

TEST_F(ClipboardHistoryViewTest,
       PinningMovesTheRowToTheTopWithAnUnpinButtonAndUnpinningPutsItBack) {
    for (const char* text : {"one", "two", "three"}) {
        models.copied(QString::fromUtf8(text));
    }
    open();
    const QList<QUuid> before = list()->rowIds();
    const QUuid one = idOf(QStringLiteral("one"));
    auto pinButton = [](const QRectF& row) {
        return ClipboardRow::buttonRect(row, ClipboardRow::Button::pin).center();
    };
    EXPECT_EQ(toolTipAt(pinButton(list()->rowRect(before.first()))), QString());

    const qint64 changes = models.pasteboard.count;
    clickRow(one, pinButton);
    EXPECT_EQ(list()->rowIds().first(), one);
    EXPECT_TRUE(list()->isAnimating());
    // Where the row ends up is the top of the list, and its button now unpins.
    EXPECT_LT(list()->rowRect(one).top(), list()->rowRect(idOf(QStringLiteral("three"))).top());
    list()->finishAnimation();
    EXPECT_FALSE(list()->isAnimating());
    QTest::mouseMove(list()->viewport(), pinButton(list()->rowRect(one)).toPoint());
    EXPECT_EQ(toolTipAt(pinButton(list()->rowRect(one))), QStringLiteral("Unpin"));
    EXPECT_EQ(models.pasteboard.count, changes);

    clickRow(one, pinButton);
    list()->finishAnimation();
    EXPECT_EQ(list()->rowIds(), before);
    QTest::mouseMove(list()->viewport(), pinButton(list()->rowRect(one)).toPoint());
    EXPECT_EQ(toolTipAt(pinButton(list()->rowRect(one))), QStringLiteral("Pin"));
}

TEST_F(ClipboardHistoryViewTest, ClearEmptiesTheHistoryPinnedEntriesTooAndTheEmptyStateReturns) {
    open();
    EXPECT_TRUE(view->isShowingEmptyState());
    EXPECT_FALSE(view->clearButton()->isVisible());
    EXPECT_FALSE(list()->isVisible());

    models.copied(QStringLiteral("kept?"));
    models.copied(QStringLiteral("other"));
    models.clipboard.togglePin(idOf(QStringLiteral("kept?")));
    EXPECT_FALSE(view->isShowingEmptyState());
    EXPECT_TRUE(view->clearButton()->isVisible());
    EXPECT_EQ(list()->rowIds().size(), 2);

    const QList<QUuid> rows = list()->rowIds();
    const int clearAt = view->clearButton()->mapTo(view.get(), QPoint()).y();
    QTest::mouseClick(view->clearButton(), Qt::LeftButton);
    EXPECT_TRUE(models.clipboard.items().isEmpty());
    EXPECT_TRUE(view->isShowingEmptyState());
    EXPECT_TRUE(list()->rowIds().isEmpty());
    // For a few seconds the button takes the clear back, pins and all.
    EXPECT_TRUE(view->clearButton()->isVisible());
    EXPECT_EQ(view->clearButton()->text(), QStringLiteral("Undo"));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(view->clearButton()->mapTo(view.get(), QPoint()).y(), clearAt) << "where Clear stood";
    QTest::mouseClick(view->clearButton(), Qt::LeftButton);
    EXPECT_EQ(list()->rowIds(), rows);
    EXPECT_EQ(view->clearButton()->text(), QStringLiteral("Clear"));

    QTest::mouseClick(view->clearButton(), Qt::LeftButton);
    models.queue.advance(UndoOffer::duration);
    EXPECT_FALSE(view->clearButton()->isVisible());
    EXPECT_TRUE(models.clipboard.items().isEmpty());
}

TEST_F(ClipboardHistoryViewTest, ImageThumbnailsAreDecodedOnceOnAWorkerForEveryViewOfTheEntry) {
    models.pasteboard.copy({{PasteboardType::png, encodedImage("png", {640, 480}, Qt::green)}});
    models.clipboard.checkPasteboard();
    const auto image = models.clipboard.items().first().content.imageValue();
    ASSERT_TRUE(image);
    models.queue.holdBackground(true);
    open();
    view->grab();
    // Painting asked a worker for the thumbnail and did not decode it itself.
    EXPECT_EQ(models.queue.backgroundCount(), 1);
    const QSize bounds = ClipboardRow::thumbnailBounds(list()->viewport()->devicePixelRatioF());
    EXPECT_TRUE(image->cachedThumbnail(bounds).isNull());
    view->grab();
    EXPECT_EQ(models.queue.backgroundCount(), 1);

    models.queue.runBackground();
    models.queue.runPending();
    EXPECT_FALSE(image->cachedThumbnail(bounds).isNull());
    const QImage shown = view->grab().toImage();
    const QRect row = list()->rowRect(models.clipboard.items().first().id).toRect();
    const QPoint inThumbnail = list()->viewport()->mapTo(view.get(), row.topLeft()) +
                               QPoint(row.width() / 5, row.height() / 2);
    EXPECT_GT(QColor(shown.pixel(inThumbnail)).green(), 128);

    // A view opened later (the tab shown again) paints the same thumbnail without new work.
    view.reset();
    open();
    view->grab();
    EXPECT_EQ(models.queue.backgroundCount(), 0);
}

TEST(ClipboardRowLayout, AwkwardContentStaysInsideItsRow) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    auto text = [&](const QString& s) {
        return ClipboardItem::make(
            ClipboardContent::text(s), now,
            QStringLiteral("Very Long Application Name That Goes On And On"));
    };
    auto image = [&](QSize size) {
        return ClipboardItem::make(
            ClipboardContent::image(ClipboardImage::fromData(encodedImage("png", size))), now,
            std::nullopt);
    };
    QString emoji;
    for (int i = 0; i < 60; ++i) {
        emoji += QStringLiteral("👩‍👩‍👧‍👦🏳️‍🌈👍🏽");
    }
    const ClipboardItem twoLines = text(QStringLiteral("first line\nsecond line"));
    const ClipboardItem fourThreeImage = image({400, 300});
    const QList<ClipboardItem> awkward = {
        text(QString(5000, QLatin1Char('x'))),
        text(QStringLiteral("a\nb\nc\nd\ne")),
        text(QStringLiteral("مرحبا بالعالم، هذا نص طويل من اليمين إلى اليسار يمتد على أكثر من "
                            "سطر واحد في الصف")),
        text(emoji),
        image({1, 20000}),
        image({20000, 1}),
    };
    const qreal width = 372;
    for (const ClipboardItem& item : awkward) {
        const qreal height = ClipboardRow::height(item, width);
        const bool isImage = item.content.kind() == ClipboardContent::Kind::image;
        // However long the text, a row holds at most two lines; an image row no more than a
        // row with an ordinary picture.
        EXPECT_LE(height, ClipboardRow::height(isImage ? fourThreeImage : twoLines, width))
            << item.preview().toStdString();
        for (bool hovered : {false, true}) {
            const QRect row(10, 10, int(width), qCeil(height));
            QImage canvas(row.adjusted(-10, -10, 10, 10).size(),
                          QImage::Format_ARGB32_Premultiplied);
            canvas.fill(Qt::transparent);
            {
                QPainter painter(&canvas);
                const QImage thumbnail =
                    isImage ? item.content.imageValue()->thumbnail(ClipboardRow::thumbnailBounds(1))
                            : QImage();
                if (isImage) {
                    EXPECT_FALSE(thumbnail.isNull());
                }
                ClipboardRow(item, hovered, false).paint(painter, row, thumbnail, now);
            }
            int outside = 0;
            int inside = 0;
            for (int y = 0; y < canvas.height(); ++y) {
                for (int x = 0; x < canvas.width(); ++x) {
                    const bool painted = qAlpha(canvas.pixel(x, y)) != 0;
                    (row.contains(x, y) ? inside : outside) += painted ? 1 : 0;
                }
            }
            EXPECT_EQ(outside, 0) << item.preview().toStdString();
            EXPECT_GT(inside, 0);
        }
    }
}

namespace {

// Sends a key to a widget as the keyboard would; whether anything along the way took it.
bool press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {},
           const QString& text = {}) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &event);
    return event.isAccepted();
}

} // namespace

TEST_F(ClipboardHistoryViewTest, KeysMoveTheSelectionThePointerSharesAndActOnTheSelectedEntry) {
    for (int i = 0; i < 30; ++i) {
        models.copied(QStringLiteral("entry %1").arg(i));
    }
    open();
    ClipboardHistoryList* rows = list();
    QSignalSpy closes(view.get(), &DrawerTabView::closeRequested);
    auto selected = [&] {
        const std::optional<QUuid> id = rows->selectedId();
        return id ? rows->entry(*id)->content.textValue() : QString();
    };
    auto selectedInView = [&] {
        const QRectF row = rows->rowRect(*rows->selectedId());
        return row.top() >= 0 && row.bottom() <= rows->viewport()->height();
    };
    EXPECT_EQ(rows->selectedId(), std::nullopt);

    press(rows, Qt::Key_Down);
    EXPECT_EQ(selected(), QStringLiteral("entry 29"));
    press(rows, Qt::Key_Down);
    EXPECT_EQ(selected(), QStringLiteral("entry 28"));
    press(rows, Qt::Key_PageDown);
    const int afterPage = selected().mid(6).toInt();
    EXPECT_LT(afterPage, 27);
    EXPECT_GT(afterPage, 10);
    EXPECT_TRUE(selectedInView());
    press(rows, Qt::Key_PageUp);
    EXPECT_EQ(selected(), QStringLiteral("entry 28"));
    press(rows, Qt::Key_End);
    EXPECT_EQ(selected(), QStringLiteral("entry 0"));
    EXPECT_TRUE(selectedInView());
    press(rows, Qt::Key_Home);
    EXPECT_EQ(selected(), QStringLiteral("entry 29"));
    EXPECT_TRUE(selectedInView());
    press(rows, Qt::Key_Up);
    EXPECT_EQ(selected(), QStringLiteral("entry 29"));

    // The pointer moves the same selection, and the keys go on from there.
    QTest::mouseMove(rows->viewport(),
                     rows->rowRect(idOf(QStringLiteral("entry 27"))).center().toPoint());
    EXPECT_EQ(selected(), QStringLiteral("entry 27"));
    press(rows, Qt::Key_Down);
    EXPECT_EQ(selected(), QStringLiteral("entry 26"));

    // Ctrl+P pins: the row goes to the top and stays selected; again unpins.
    const QUuid pinned = idOf(QStringLiteral("entry 26"));
    EXPECT_TRUE(press(rows, Qt::Key_P, Qt::ControlModifier));
    EXPECT_TRUE(models.clipboard.pinnedIds().contains(pinned));
    EXPECT_EQ(rows->rowIds().first(), pinned);
    EXPECT_EQ(rows->selectedId(), pinned);
    EXPECT_TRUE(selectedInView());

    // Delete removes it, and the row that takes its place is selected.
    EXPECT_TRUE(press(rows, Qt::Key_Delete));
    rows->finishAnimation();
    EXPECT_EQ(rows->entry(pinned), nullptr);
    EXPECT_EQ(selected(), QStringLiteral("entry 29"));

    // Shift+Return copies as a click does and keeps the drawer; Return also asks to close it.
    press(rows, Qt::Key_Down);
    press(rows, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(pasted(), QStringLiteral("entry 28"));
    EXPECT_TRUE(models.panelState.copyFlashVisible());
    EXPECT_EQ(closes.count(), 0);
    press(rows, Qt::Key_Down);
    press(rows, Qt::Key_Return);
    EXPECT_EQ(pasted(), QStringLiteral("entry 27"));
    EXPECT_EQ(closes.count(), 1);

    // Text and Escape are the drawer's: the list lets them pass.
    EXPECT_FALSE(press(rows, Qt::Key_A, {}, QStringLiteral("a")));
    EXPECT_FALSE(press(rows, Qt::Key_Escape));

    // Shown again (the drawer reopened), nothing is selected.
    view->hide();
    view->show();
    EXPECT_EQ(rows->selectedId(), std::nullopt);
}

TEST_F(ClipboardHistoryViewTest, SearchNarrowsTheRowsAsTheUserTypesAndEscapeClearsItFirst) {
    for (const char* text : {"Alpha one", "beta", "ÁLPHA two", "gamma"}) {
        models.copied(QString::fromUtf8(text));
    }
    open();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    list()->setFocus();
    QSignalSpy closes(view.get(), &DrawerTabView::closeRequested);
    DrawerSearchField* field = view->searchField();
    EXPECT_FALSE(field->isVisible());

    QTest::keyClick(list(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(field->isVisible());
    EXPECT_TRUE(field->hasFocus());
    QTest::keyClicks(field, QStringLiteral("alp"));
    EXPECT_EQ(list()->rowIds(),
              QList<QUuid>({idOf(QStringLiteral("ÁLPHA two")), idOf(QStringLiteral("Alpha one"))}));
    QTest::keyClick(field, Qt::Key_X);
    EXPECT_TRUE(list()->rowIds().isEmpty());
    QTest::keyClick(field, Qt::Key_Backspace);

    // Down goes into the results, Up on the first one back to the field.
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_TRUE(list()->hasFocus());
    EXPECT_EQ(list()->selectedId(), idOf(QStringLiteral("ÁLPHA two")));
    QTest::keyClick(list(), Qt::Key_Up);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(list()->selectedId(), std::nullopt);

    // Return in the field copies the first match (Shift keeps the drawer open).
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(pasted(), QStringLiteral("ÁLPHA two"));
    EXPECT_EQ(closes.count(), 0);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(closes.count(), 1);

    // Escape clears the search and stays in the tab; only an empty search lets it close.
    EXPECT_TRUE(press(field, Qt::Key_Escape));
    EXPECT_FALSE(field->isVisible());
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(list()->rowIds().size(), 4);
    EXPECT_TRUE(list()->hasFocus());
    EXPECT_FALSE(press(list(), Qt::Key_Escape));
    QTest::keyClick(list(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(press(field, Qt::Key_Escape));

    // The search ends when the drawer closes.
    QTest::keyClick(list(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(field, QStringLiteral("gam"));
    EXPECT_EQ(list()->rowIds().size(), 1);
    view->hide();
    view->show();
    EXPECT_FALSE(field->isVisible());
    EXPECT_EQ(list()->rowIds().size(), 4);
}

TEST_F(ClipboardHistoryViewTest, AssistiveTechnologyReadsEachRowByNameAndRunsItsActions) {
    models.copied(QStringLiteral("  alpha\nsecond line"));
    models.workspace.activeApplication = QStringLiteral("GIMP");
    models.pasteboard.copy({{PasteboardType::png, encodedImage("png", QSize(640, 480))}});
    models.clipboard.checkPasteboard();
    models.workspace.activeApplication.reset();
    models.copied(QStringLiteral("beta"));
    open();

    QAccessibleInterface* listInterface = QAccessible::queryAccessibleInterface(list());
    ASSERT_NE(listInterface, nullptr);
    EXPECT_EQ(listInterface->role(), QAccessible::List);
    ASSERT_EQ(listInterface->childCount(), 3);
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        QAccessibleInterface* row = listInterface->child(i);
        EXPECT_EQ(row->role(), QAccessible::ListItem);
        EXPECT_EQ(listInterface->indexOfChild(row), i);
        EXPECT_EQ(row->parent(), listInterface);
        names.append(row->text(QAccessible::Name));
    }
    EXPECT_EQ(names, QStringList({QStringLiteral("beta"), QStringLiteral("Image, 640×480"),
                                  QStringLiteral("alpha\nsecond line")}));
    QAccessibleInterface* image = listInterface->child(1);
    EXPECT_TRUE(image->text(QAccessible::Description).contains(QStringLiteral("GIMP")));
    EXPECT_FALSE(image->rect().isEmpty());

    // The actions are the row's buttons: copy, pin (unpin once pinned), remove.
    QAccessibleInterface* alpha = listInterface->child(2);
    QAccessibleActionInterface* actions = alpha->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_EQ(actions->actionNames(), QStringList({QStringLiteral("Copy"), QStringLiteral("Pin"),
                                                   QStringLiteral("Remove")}));
    actions->doAction(QStringLiteral("Copy"));
    EXPECT_EQ(pasted(), QStringLiteral("  alpha\nsecond line"));
    actions->doAction(QStringLiteral("Pin"));
    list()->finishAnimation();
    // The same entry, now first, is the same accessible item.
    EXPECT_EQ(listInterface->child(0), alpha);
    EXPECT_EQ(alpha->actionInterface()->actionNames().value(1), QStringLiteral("Unpin"));
    alpha->actionInterface()->doAction(QStringLiteral("Remove"));
    list()->finishAnimation();
    EXPECT_EQ(listInterface->childCount(), 2);
    EXPECT_FALSE(alpha->isValid());
}

TEST_F(ClipboardHistoryViewTest, ClearIsReachedWithShiftTabFromTheListAndPressedWithSpace) {
    models.copied(QStringLiteral("alpha"));
    models.copied(QStringLiteral("beta"));
    open();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_TRUE(view->clearButton()->hasFocus());
    QTest::keyClick(view->clearButton(), Qt::Key_Space);
    EXPECT_TRUE(models.clipboard.items().isEmpty());
}
