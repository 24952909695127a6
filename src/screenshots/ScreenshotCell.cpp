#include "screenshots/ScreenshotCell.h"

#include "platform/MainQueue.h"
#include "widgets/DrawerStyle.h"

#include <QApplication>
#include <QDrag>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <cmath>

namespace {

constexpr int padding = 6;
constexpr int spacing = 4;
constexpr int buttonSpacing = 4;
constexpr int buttonInset = 4;
constexpr qreal plateRadius = 8;
constexpr qreal pictureRadius = 6;
constexpr qreal buttonRadius = 4;
constexpr qreal captionSize = 9;
// The picture a drag carries under the pointer.
constexpr int dragPictureSide = 72;

QFont captionFont() {
    return DrawerStyle::font(captionSize);
}

// Two overlapping sheets, the front one lower right.
void paintCopySymbol(QPainter& p, const QRectF& box) {
    const qreal sheet = box.width() * 0.72;
    const QRectF back(box.left(), box.top(), sheet, sheet);
    const QRectF front(box.right() - sheet, box.bottom() - sheet, sheet, sheet);
    QPainterPath backOutline;
    backOutline.addRoundedRect(back, 1.5, 1.5);
    QPainterPath frontOutline;
    frontOutline.addRoundedRect(front, 1.5, 1.5);
    // The back sheet shows only where the front one does not cover it.
    p.drawPath(backOutline.subtracted(frontOutline));
    p.drawPath(frontOutline);
}

void paintFolderSymbol(QPainter& p, const QRectF& box) {
    const qreal top = box.top() + box.height() * 0.12;
    const qreal tabBottom = top + box.height() * 0.2;
    QPainterPath path;
    path.moveTo(box.left(), box.bottom() - 1);
    path.lineTo(box.left(), top + 1);
    path.quadTo(box.left(), top, box.left() + 1, top);
    path.lineTo(box.left() + box.width() * 0.36, top);
    path.lineTo(box.left() + box.width() * 0.48, tabBottom);
    path.lineTo(box.right() - 1, tabBottom);
    path.quadTo(box.right(), tabBottom, box.right(), tabBottom + 1);
    path.lineTo(box.right(), box.bottom() - 1);
    path.quadTo(box.right(), box.bottom(), box.right() - 1, box.bottom());
    path.lineTo(box.left() + 1, box.bottom());
    path.quadTo(box.left(), box.bottom(), box.left(), box.bottom() - 1);
    p.drawPath(path);
}

void paintCrossSymbol(QPainter& p, const QRectF& box) {
    p.drawLine(box.topLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomLeft());
}

} // namespace

ScreenshotCellButton::ScreenshotCellButton(Symbol symbol, const QString& toolTip, QWidget* parent)
    : QAbstractButton(parent)
    , symbol_(symbol) {
    setToolTip(toolTip);
    setFixedSize(side, side);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void ScreenshotCellButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(DrawerStyle::badgeBackground());
    p.drawRoundedRect(QRectF(rect()), buttonRadius, buttonRadius);

    // The symbols are drawn at the sizes of the layout's glyphs: 9 pixels, the cross 8 and bold.
    const bool cross = symbol_ == Symbol::xmark;
    const qreal glyph = cross ? 6.5 : 9.0;
    const QRectF box(QPointF((side - glyph) / 2, (side - glyph) / 2), QSizeF(glyph, glyph));
    QPen pen(DrawerStyle::white(cross ? 0.6 : 0.8), cross ? 1.6 : 1.1);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (symbol_) {
    case Symbol::copy:
        paintCopySymbol(p, box);
        break;
    case Symbol::folder:
        paintFolderSymbol(p, box);
        break;
    case Symbol::xmark:
        paintCrossSymbol(p, box);
        break;
    }
}

ScreenshotCell::ScreenshotCell(ScreenshotItem item, const MainQueue& clock, QWidget* parent)
    : QWidget(parent)
    , item_(std::move(item))
    , clock_(clock) {
    setAttribute(Qt::WA_Hover);
    setMouseTracking(false);
}

QString ScreenshotCell::ageLabel() const {
    return ScreenshotItem::ageLabel(item_.date(), clock_.now());
}

void ScreenshotCell::setThumbnail(QImage thumbnail) {
    thumbnail_ = std::move(thumbnail);
    update();
}

QRect ScreenshotCell::thumbnailRect() const {
    const QRect frame = pictureRect();
    if (thumbnail_.isNull() || frame.isEmpty()) {
        return frame;
    }
    const QSize fitted = thumbnail_.size().scaled(frame.size(), Qt::KeepAspectRatio);
    return QRect(frame.left() + (frame.width() - fitted.width()) / 2,
                 frame.top() + (frame.height() - fitted.height()) / 2, fitted.width(),
                 fitted.height());
}

int ScreenshotCell::pictureHeight(int pictureWidth) {
    return int(std::lround(pictureWidth * pictureAspect));
}

int ScreenshotCell::heightForCellWidth(int width) {
    const int picture = pictureHeight(std::max(0, width - 2 * padding));
    return padding + picture + spacing + QFontMetrics(captionFont()).height() + padding;
}

QRect ScreenshotCell::pictureRect() const {
    const int pictureWidth = std::max(0, width() - 2 * padding);
    return QRect(padding, padding, pictureWidth, pictureHeight(pictureWidth));
}

void ScreenshotCell::setHovered(bool hovered) {
    if (hovered_ == hovered) {
        return;
    }
    hovered_ = hovered;
    if (hovered && buttonRow_ == nullptr) {
        buttonRow_ = new QWidget(this);
        auto* row = new QHBoxLayout(buttonRow_);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(buttonSpacing);
        const auto add = [&](ScreenshotCellButton::Symbol symbol, const QString& tip,
                             void (ScreenshotCell::*request)()) {
            auto* button = new ScreenshotCellButton(symbol, tip, buttonRow_);
            connect(button, &QAbstractButton::clicked, this, request);
            row->addWidget(button);
        };
        add(ScreenshotCellButton::Symbol::copy, tr("Copy to clipboard"),
            &ScreenshotCell::copyRequested);
        add(ScreenshotCellButton::Symbol::folder, tr("Show in Files"),
            &ScreenshotCell::revealRequested);
        add(ScreenshotCellButton::Symbol::xmark, tr("Remove"), &ScreenshotCell::removeRequested);
        buttonRow_->adjustSize();
        placeButtons();
    }
    if (buttonRow_ != nullptr) {
        buttonRow_->setVisible(hovered);
    }
    update();
}

void ScreenshotCell::setFocusRing(bool shown) {
    if (focusRing_ != shown) {
        focusRing_ = shown;
        update();
    }
}

void ScreenshotCell::setOpacity(qreal opacity) {
    if (qFuzzyCompare(opacity_, opacity)) {
        return;
    }
    opacity_ = opacity;
    update();
}

QList<ScreenshotCellButton*> ScreenshotCell::buttons() const {
    if (!hovered_ || buttonRow_ == nullptr) {
        return {};
    }
    return buttonRow_->findChildren<ScreenshotCellButton*>();
}

void ScreenshotCell::placeButtons() {
    if (buttonRow_ == nullptr) {
        return;
    }
    const QRect picture = pictureRect();
    buttonRow_->move(picture.right() + 1 - buttonInset - buttonRow_->width(),
                     picture.top() + buttonInset);
}

void ScreenshotCell::resizeEvent(QResizeEvent*) {
    placeButtons();
}

void ScreenshotCell::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setOpacity(opacity_);

    p.setPen(Qt::NoPen);
    p.setBrush(DrawerStyle::white(hovered_ ? 0.06 : 0.02));
    p.drawRoundedRect(QRectF(rect()), plateRadius, plateRadius);

    // The whole picture, fitted inside the frame with its corners rounded: a screen-shaped one
    // fills the frame, a tall one stands in its middle.
    const QRect picture = pictureRect();
    if (!thumbnail_.isNull()) {
        const QRect shown = thumbnailRect();
        QPainterPath clip;
        clip.addRoundedRect(QRectF(shown), pictureRadius, pictureRadius);
        p.save();
        p.setClipPath(clip);
        p.drawImage(shown, thumbnail_);
        p.restore();
    }

    p.setFont(captionFont());
    const int captionTop = picture.bottom() + 1 + spacing;
    const QRect caption(padding, captionTop, width() - 2 * padding,
                        QFontMetrics(captionFont()).height());
    p.setPen(DrawerStyle::white(0.2));
    p.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, ageLabel());
    p.setPen(DrawerStyle::white(0.15));
    p.drawText(caption, Qt::AlignRight | Qt::AlignVCenter, item_.size());
    if (focusRing_) {
        DrawerStyle::paintFocusRing(p, QRectF(rect()), plateRadius);
    }
}

void ScreenshotCell::enterEvent(QEnterEvent*) {
    Q_EMIT hoverChanged(true);
}

void ScreenshotCell::leaveEvent(QEvent*) {
    Q_EMIT hoverChanged(false);
}

void ScreenshotCell::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressedAt_ = event->position().toPoint();
    }
}

void ScreenshotCell::mouseMoveEvent(QMouseEvent* event) {
    if (!pressedAt_ || !(event->buttons() & Qt::LeftButton)) {
        return;
    }
    if ((event->position().toPoint() - *pressedAt_).manhattanLength() >=
        QApplication::startDragDistance()) {
        pressedAt_.reset();
        startDrag();
    }
}

void ScreenshotCell::mouseReleaseEvent(QMouseEvent* event) {
    const bool clicked = pressedAt_ && event->button() == Qt::LeftButton &&
                         rect().contains(event->position().toPoint());
    pressedAt_.reset();
    if (clicked) {
        Q_EMIT copyRequested();
    }
}

void ScreenshotCell::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first click of the pair has already copied; the second opens the file.
    if (event->button() == Qt::LeftButton) {
        Q_EMIT openRequested();
    }
}

void ScreenshotCell::startDrag() {
    // The drag belongs to the window, not to this cell: the drawer may rebuild its grid (or
    // hide) while the drag is under way, and a receiver reads the data after exec returns.
    auto* drag = new QDrag(window());
    drag->setMimeData(ScreenshotItem::dragPayload(item_).release());
    if (!thumbnail_.isNull()) {
        const qreal ratio = devicePixelRatioF();
        QPixmap picture =
            QPixmap::fromImage(thumbnail_.scaled(QSize(dragPictureSide, dragPictureSide) * ratio,
                                                 Qt::KeepAspectRatio, Qt::SmoothTransformation));
        picture.setDevicePixelRatio(ratio);
        drag->setPixmap(picture);
        drag->setHotSpot(QPoint(picture.width(), picture.height()) / (2 * ratio));
    }
    QPointer<ScreenshotCell> guard(this);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    // No leave event comes for a pointer that left during the drag.
    if (guard && !guard->rect().contains(guard->mapFromGlobal(QCursor::pos()))) {
        Q_EMIT guard->hoverChanged(false);
    }
}
