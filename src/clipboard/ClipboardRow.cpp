#include "clipboard/ClipboardRow.h"

#include "widgets/DrawerStyle.h"
#include "widgets/SymbolCatalogue.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPixmapCache>
#include <QTextLayout>

#include <algorithm>

namespace {

constexpr qreal paddingH = 8;
constexpr qreal paddingV = 6;
constexpr qreal spacing = 8;
constexpr qreal markWidth = 16;
constexpr qreal markSize = 10;
constexpr qreal bodySpacing = 1;
constexpr qreal metaSpacing = 6;
constexpr qreal maxImageHeight = 48;
constexpr qreal imageRadius = 4;
constexpr qreal buttonSide = 22;
constexpr qreal buttonRadius = 4;
constexpr int maxPreviewLines = 2;
// Thumbnails are decoded this many times as wide as they are high at most; anything wider is
// limited by the row's width first.
constexpr qreal thumbnailAspectBound = 8;

QFont previewFont() {
    return DrawerStyle::font(11);
}
QFont metaFont() {
    return DrawerStyle::font(9);
}

// The width of the text or image column. The buttons take their share only while shown.
qreal bodyWidth(qreal rowWidth, bool hovered) {
    qreal width = rowWidth - 2 * paddingH - markWidth - spacing;
    if (hovered) {
        width -= spacing + 3 * buttonSide + 2 * spacing;
    }
    return std::max<qreal>(0, width);
}

// An image scaled to fit the column and the height bound, keeping its shape; a sliver keeps
// at least a pixel of width or height so it can still be seen.
QSizeF fittedImageSize(const ClipboardItem& item, qreal width) {
    const auto image = item.content.imageValue();
    const QSizeF pixels = image ? QSizeF(image->pixelSize()) : QSizeF(1, 1);
    if (pixels.isEmpty() || width <= 0) {
        return {std::max<qreal>(width, 0), 1};
    }
    QSizeF fitted = pixels.scaled(QSizeF(width, maxImageHeight), Qt::KeepAspectRatio);
    return fitted.expandedTo(QSizeF(1, 1));
}

// The preview broken into at most maxLines lines of the given width; when the text goes on
// beyond them, the last line ends in "…". Line breaks of the text start new lines.
QStringList previewLines(const QString& preview, qreal width, int maxLines) {
    QString text = preview;
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    QTextLayout layout(text, previewFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QList<std::pair<int, int>> spans;
    while (spans.size() <= maxLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(std::max<qreal>(width, 1));
        spans.append({line.textStart(), line.textLength()});
    }
    layout.endLayout();

    auto segment = [&text](std::pair<int, int> span) {
        QString s = text.mid(span.first, span.second);
        while (!s.isEmpty() && (s.back() == QChar::LineSeparator || s.back().isSpace())) {
            s.chop(1);
        }
        return s;
    };
    QStringList lines;
    const bool cut = spans.size() > maxLines;
    const int shown = std::min<int>(int(spans.size()), maxLines);
    for (int i = 0; i < shown; ++i) {
        lines.append(segment(spans.at(i)));
    }
    if (cut && !lines.isEmpty()) {
        const QFontMetricsF metrics(previewFont());
        lines.last() = metrics.elidedText(lines.last() + QChar(0x2026), Qt::ElideRight,
                                          std::max<qreal>(width, 1));
    }
    if (lines.isEmpty()) {
        lines.append(QString());
    }
    return lines;
}

// The preview's lines at the full width of the column, which fix the row's height.
QStringList fullWidthLines(const ClipboardItem& item, qreal width) {
    if (item.content.kind() == ClipboardContent::Kind::image) {
        return {};
    }
    return previewLines(item.preview(), width, maxPreviewLines);
}

qreal bodyHeight(const ClipboardItem& item, qreal width, const QStringList& lines) {
    const qreal meta = QFontMetricsF(metaFont()).height();
    const qreal content = item.content.kind() == ClipboardContent::Kind::image
                              ? fittedImageSize(item, width).height()
                              : lines.size() * QFontMetricsF(previewFont()).lineSpacing();
    return content + bodySpacing + meta;
}

void drawSymbol(QPainter& painter, const QString& name, qreal size, const QColor& color,
                const QPointF& center,
                SymbolCatalogue::Weight weight = SymbolCatalogue::Weight::Regular) {
    const qreal ratio = painter.device()->devicePixelRatioF();
    const QString key = QStringLiteral("hodgebin-symbol:%1:%2:%3:%4:%5")
                            .arg(name)
                            .arg(size)
                            .arg(color.rgba(), 0, 16)
                            .arg(ratio)
                            .arg(int(weight));
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = SymbolCatalogue::pixmap(name, size, color, ratio, weight);
        QPixmapCache::insert(key, pixmap);
    }
    painter.drawPixmap(center - QPointF(size / 2, size / 2), pixmap);
}

} // namespace

ClipboardRow::ClipboardRow(const ClipboardItem& item, bool isHovered, bool isPinned)
    : item_(item)
    , isHovered_(isHovered)
    , isPinned_(isPinned) {}

qreal ClipboardRow::height(const ClipboardItem& item, qreal width) {
    const qreal body = bodyWidth(width, false);
    return std::max(bodyHeight(item, body, fullWidthLines(item, body)), buttonSide) + 2 * paddingV;
}

QSize ClipboardRow::thumbnailBounds(qreal devicePixelRatio) {
    const int high = qCeil(maxImageHeight * devicePixelRatio);
    return {qCeil(high * thumbnailAspectBound), high};
}

QRectF ClipboardRow::buttonRect(const QRectF& row, Button button) {
    int fromRight = 0;
    switch (button) {
    case Button::remove:
        fromRight = 0;
        break;
    case Button::copy:
        fromRight = 1;
        break;
    case Button::pin:
        fromRight = 2;
        break;
    case Button::none:
        return {};
    }
    const qreal right = row.right() - paddingH - fromRight * (buttonSide + spacing);
    return {right - buttonSide, row.center().y() - buttonSide / 2, buttonSide, buttonSide};
}

ClipboardRow::Button ClipboardRow::buttonAt(const QRectF& row, const QPointF& point) const {
    if (!isHovered_) {
        return Button::none;
    }
    for (Button button : {Button::pin, Button::copy, Button::remove}) {
        if (buttonRect(row, button).contains(point)) {
            return button;
        }
    }
    return Button::none;
}

QString ClipboardRow::toolTip(Button button) const {
    switch (button) {
    case Button::pin:
        return isPinned_ ? tr("Unpin") : tr("Pin");
    case Button::copy:
        return tr("Copy");
    case Button::remove:
        return tr("Remove");
    case Button::none:
        break;
    }
    return {};
}

ClipboardRow::Button ClipboardRow::clickAction(const QRectF& row, const QPointF& point) const {
    const Button button = buttonAt(row, point);
    return button == Button::none ? Button::copy : button;
}

void ClipboardRow::paint(QPainter& painter, const QRectF& row, const QImage& thumbnail,
                         const QDateTime& now) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(row, Qt::IntersectClip);
    if (isHovered_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(DrawerStyle::white(0.05));
        painter.drawRoundedRect(row, ClipboardRow::cornerRadius, ClipboardRow::cornerRadius);
    }
    paintMark(painter, row);

    // The body keeps the number of lines (and the height) it has without the buttons.
    const qreal fullWidth = bodyWidth(row.width(), false);
    const qreal left = row.left() + paddingH + markWidth + spacing;
    const QRectF body(left, row.top(), bodyWidth(row.width(), isHovered_), row.height());
    const QStringList fullLines = fullWidthLines(item_, fullWidth);
    const qreal height = bodyHeight(item_, fullWidth, fullLines);
    const qreal top = row.top() + paddingV + (row.height() - 2 * paddingV - height) / 2;
    // Nothing of the body reaches into the buttons or beyond the row, whatever its text.
    painter.save();
    painter.setClipRect(body, Qt::IntersectClip);
    const qreal metaTop = paintBody(painter, body, top, thumbnail, fullWidth, fullLines);
    paintSourceAndAge(painter, body, metaTop + bodySpacing, now);
    painter.restore();

    if (isHovered_) {
        paintButtons(painter, row);
    }
    painter.restore();
}

void ClipboardRow::paintMark(QPainter& painter, const QRectF& row) const {
    const QPointF center(row.left() + paddingH + markWidth / 2, row.center().y());
    if (isPinned_) {
        drawSymbol(painter, QStringLiteral("pin.fill"), markSize,
                   DrawerStyle::withOpacity(DrawerStyle::yellow(), 0.6), center);
    } else {
        drawSymbol(painter, ClipboardContent::symbolName(item_.content.kind()), markSize,
                   DrawerStyle::white(0.3), center);
    }
}

qreal ClipboardRow::paintBody(QPainter& painter, const QRectF& body, qreal y,
                              const QImage& thumbnail, qreal fullWidth,
                              const QStringList& fullLines) const {
    const qreal width = body.width();
    if (item_.content.kind() == ClipboardContent::Kind::image) {
        const qreal slot = fittedImageSize(item_, fullWidth).height();
        const QSizeF size = fittedImageSize(item_, width).boundedTo(QSizeF(width, slot));
        const QRectF target(QPointF(body.left(), y), size);
        // A sliver keeps its pixels: the corners never round off more than half its side.
        const qreal radius = std::min({imageRadius, size.width() / 2, size.height() / 2});
        QPainterPath clip;
        clip.addRoundedRect(target, radius, radius);
        if (thumbnail.isNull()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(DrawerStyle::white(0.06));
            painter.drawPath(clip);
        } else {
            painter.save();
            painter.setClipPath(clip, Qt::IntersectClip);
            painter.drawImage(target, thumbnail);
            painter.restore();
        }
        return y + slot;
    }
    const QStringList lines =
        isHovered_ ? previewLines(item_.preview(), width, int(fullLines.size())) : fullLines;
    const qreal lineSpacing = QFontMetricsF(previewFont()).lineSpacing();
    painter.setFont(previewFont());
    painter.setPen(DrawerStyle::white(0.8));
    for (const QString& line : lines) {
        painter.drawText(QRectF(body.left(), y, width, lineSpacing),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += lineSpacing;
    }
    return y;
}

void ClipboardRow::paintSourceAndAge(QPainter& painter, const QRectF& body, qreal y,
                                     const QDateTime& now) const {
    const QFont meta = metaFont();
    const QFontMetricsF metrics(meta);
    painter.setFont(meta);
    const QString age = timeAgo(item_.timestamp, now);
    const qreal ageWidth = metrics.horizontalAdvance(age);
    qreal x = body.left();
    if (item_.sourceApp) {
        const QString source =
            metrics.elidedText(*item_.sourceApp, Qt::ElideRight,
                               std::max<qreal>(0, body.width() - ageWidth - metaSpacing));
        painter.setPen(DrawerStyle::white(0.2));
        const qreal sourceWidth = metrics.horizontalAdvance(source);
        painter.drawText(QRectF(x, y, sourceWidth + 1, metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, source);
        x += sourceWidth + metaSpacing;
    }
    painter.setPen(DrawerStyle::white(0.15));
    painter.drawText(QRectF(x, y, ageWidth + 1, metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, age);
}

void ClipboardRow::paintButtons(QPainter& painter, const QRectF& row) const {
    struct Look {
        Button button;
        QString symbol;
        qreal size;
        QColor background;
        QColor color;
        SymbolCatalogue::Weight weight;
    };
    const Look looks[] = {
        {Button::pin, isPinned_ ? QStringLiteral("pin.slash.fill") : QStringLiteral("pin"), 10,
         DrawerStyle::white(0.1),
         isPinned_ ? DrawerStyle::withOpacity(DrawerStyle::yellow(), 0.6) : DrawerStyle::white(0.4),
         SymbolCatalogue::Weight::Regular},
        {Button::copy, QStringLiteral("doc.on.doc"), 10, DrawerStyle::white(0.1),
         DrawerStyle::white(0.6), SymbolCatalogue::Weight::Regular},
        {Button::remove, QStringLiteral("xmark"), 8, DrawerStyle::white(0.06),
         DrawerStyle::white(0.3), SymbolCatalogue::Weight::Bold},
    };
    for (const Look& look : looks) {
        const QRectF rect = buttonRect(row, look.button);
        painter.setPen(Qt::NoPen);
        painter.setBrush(look.background);
        painter.drawRoundedRect(rect, buttonRadius, buttonRadius);
        drawSymbol(painter, look.symbol, look.size, look.color, rect.center(), look.weight);
    }
}
