#pragma once

#include "shelf/ShelfFile.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

// One file of the shelf tab: its icon, its name on at most two lines and its size, with a small
// remove button over the icon's corner while hovered. Laid out and painted on demand for the
// rectangle the grid gives it.
class FileShelfCell {
public:
    static constexpr qreal cornerRadius = 8;

    FileShelfCell(const ShelfFile& file, bool isHovered);

    const ShelfFile& file() const { return file_; }
    bool isHovered() const { return isHovered_; }

    // The cell's size: its width is fixed by the name's frame, its height by the name's lines.
    // In the grid a tile takes its row's height, its content from the top.
    static QSizeF size(const ShelfFile& file);
    // The remove button over the icon's top-right corner of a cell laid out in the rectangle.
    static QRectF removeButtonRect(const QRectF& cell);
    // The icon's frame in a cell laid out in the rectangle.
    static QRectF iconRect(const QRectF& cell);
    // Where an icon of this size is drawn inside its frame.
    static QRectF iconDrawnRect(const QRectF& frame, const QSizeF& iconSize);
    // True when a click there would remove the file (the button shows only while hovered).
    bool isOnRemoveButton(const QRectF& cell, const QPointF& point) const;

    // The size as the file manager's style writes it, in decimal units: "0 bytes", "2.0 kB".
    static QString sizeText(qint64 bytes);

    void paint(QPainter& painter, const QRectF& cell) const;

private:
    ShelfFile file_;
    bool isHovered_;
};
