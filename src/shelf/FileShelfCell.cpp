#include "shelf/FileShelfCell.h"

#include "widgets/DrawerStyle.h"
#include "widgets/SymbolCatalogue.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace {

constexpr qreal padding = 6;
constexpr qreal spacing = 4;
constexpr qreal iconSide = 40;
constexpr qreal nameWidth = 72;
constexpr int maxNameLines = 2;
constexpr qreal removeSymbolSize = 12;
constexpr qreal removeOffset = 4;

QFont nameFont() {
    return DrawerStyle::font(9);
}
QFont sizeFont() {
    return DrawerStyle::font(8);
}

// The name on at most two centred lines of the name's width, the second ending in "…" when the
// name goes on.
QStringList nameLines(const QString& name) {
    QTextLayout layout(name, nameFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QList<std::pair<int, int>> spans;
    while (spans.size() <= maxNameLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(nameWidth);
        spans.append({line.textStart(), line.textLength()});
    }
    layout.endLayout();
    QStringList lines;
    for (int i = 0; i < std::min<int>(int(spans.size()), maxNameLines); ++i) {
        lines.append(name.mid(spans.at(i).first, spans.at(i).second).trimmed());
    }
    if (spans.size() > maxNameLines && !lines.isEmpty()) {
        lines.last() = QFontMetricsF(nameFont())
                           .elidedText(lines.last() + QChar(0x2026), Qt::ElideRight, nameWidth);
    }
    if (lines.isEmpty()) {
        lines.append(QString());
    }
    return lines;
}

} // namespace

FileShelfCell::FileShelfCell(const ShelfFile& file, bool isHovered)
    : file_(file)
    , isHovered_(isHovered) {}

QSizeF FileShelfCell::size(const ShelfFile& file) {
    const qreal nameHeight =
        nameLines(file.name()).size() * QFontMetricsF(nameFont()).lineSpacing();
    const qreal sizeHeight = QFontMetricsF(sizeFont()).height();
    return {nameWidth + 2 * padding,
            2 * padding + iconSide + spacing + nameHeight + spacing + sizeHeight};
}

QRectF FileShelfCell::iconRect(const QRectF& cell) {
    return {cell.center().x() - iconSide / 2, cell.top() + padding, iconSide, iconSide};
}

QRectF FileShelfCell::iconDrawnRect(const QRectF& frame, const QSizeF& iconSize) {
    // Themes are free to make an icon that is not square: it is shown whole and undistorted,
    // centred in the frame, and the tile around it stays as it is.
    if (iconSize.isEmpty()) {
        return frame;
    }
    const QSizeF fitted = iconSize.scaled(frame.size(), Qt::KeepAspectRatio);
    return QRectF(frame.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
}

QRectF FileShelfCell::removeButtonRect(const QRectF& cell) {
    const QRectF icon = iconRect(cell);
    const qreal side = removeSymbolSize + 2;
    return {icon.right() + removeOffset - side, icon.top() - removeOffset, side, side};
}

bool FileShelfCell::isOnRemoveButton(const QRectF& cell, const QPointF& point) const {
    return isHovered_ && removeButtonRect(cell).contains(point);
}

QString FileShelfCell::sizeText(qint64 bytes) {
    return QLocale().formattedDataSize(std::max<qint64>(0, bytes), 1, QLocale::DataSizeSIFormat);
}

void FileShelfCell::paint(QPainter& painter, const QRectF& cell) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setPen(Qt::NoPen);
    painter.setBrush(DrawerStyle::white(isHovered_ ? 0.06 : 0.02));
    painter.drawRoundedRect(cell, cornerRadius, cornerRadius);

    const QRectF icon = iconRect(cell);
    const qreal ratio = painter.device()->devicePixelRatioF();
    if (!file_.icon().isNull()) {
        const QPixmap pixmap = file_.icon().pixmap(QSize(int(iconSide), int(iconSide)), ratio);
        painter.drawPixmap(iconDrawnRect(icon, pixmap.deviceIndependentSize()), pixmap,
                           QRectF(pixmap.rect()));
    } else {
        // No icon to be had (no icon theme): a plain document symbol in its place.
        const QPixmap pixmap = SymbolCatalogue::pixmap(QStringLiteral("doc"), iconSide * 0.8,
                                                       DrawerStyle::white(0.4), ratio);
        painter.drawPixmap(icon.center() - QPointF(iconSide * 0.4, iconSide * 0.4), pixmap);
    }

    qreal y = icon.bottom() + spacing;
    const qreal left = cell.center().x() - nameWidth / 2;
    painter.setFont(nameFont());
    painter.setPen(DrawerStyle::white(0.7));
    const qreal lineSpacing = QFontMetricsF(nameFont()).lineSpacing();
    for (const QString& line : nameLines(file_.name())) {
        painter.drawText(QRectF(left, y, nameWidth, lineSpacing),
                         Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += lineSpacing;
    }
    y += spacing;
    painter.setFont(sizeFont());
    painter.setPen(DrawerStyle::white(0.2));
    painter.drawText(QRectF(left, y, nameWidth, QFontMetricsF(sizeFont()).height()),
                     Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
                     sizeText(file_.size()));

    if (isHovered_) {
        const QRectF button = removeButtonRect(cell);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.6));
        painter.drawEllipse(button);
        const QPixmap symbol = SymbolCatalogue::pixmap(
            QStringLiteral("xmark.circle.fill"), removeSymbolSize, DrawerStyle::white(0.6), ratio);
        painter.drawPixmap(button.center() - QPointF(removeSymbolSize / 2, removeSymbolSize / 2),
                           symbol);
    }
    painter.restore();
}
