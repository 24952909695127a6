#pragma once

#include "notes/NoteItem.h"

#include <QFont>
#include <QRectF>
#include <QTextOption>

#include <memory>

class QPainter;
class QTextLayout;

// One note line laid out at a width: its done mark, then its text wrapped to the rest of the
// row, moved right by its indent. The list paints idle lines with it and places the line
// editor over the text of the focused one, whose wrapping is the same.
class NoteRow {
public:
    static constexpr qreal padding = 4;
    static constexpr qreal indentStep = 20;
    static constexpr qreal spacing = 6;
    // However deep a stored line is indented, this much of the row is left for its text.
    static constexpr qreal minimumTextWidth = 60;

    // rowWidth is the row's full width, padding included.
    NoteRow(const NoteItem& item, qreal rowWidth);
    // The same with a known height of the text (the editor's, for the focused line).
    NoteRow(const NoteItem& item, qreal rowWidth, qreal textHeight);

    qreal height() const { return height_; }
    // Relative to the row's top left corner.
    QRectF markRect() const { return markRect_; }
    QRectF textRect() const { return textRect_; }
    // Where a click ticks the line off: the mark with some room around it.
    QRectF markHitRect() const;

    // textLayout, when given, is this line's text laid out by layOutText at textRect's width.
    void paint(QPainter& painter, const QPointF& origin, bool paintText = true,
               const QTextLayout* textLayout = nullptr) const;
    static std::unique_ptr<QTextLayout> layOutText(const NoteItem& item, qreal width);

    // The mark's size: smaller on indented lines.
    static qreal markSize(qint64 indent);
    static qreal textWidth(qint64 indent, qreal rowWidth);
    // The height of the text wrapped at this width, as the line editor wraps it.
    static qreal textHeight(const QString& text, qreal width);
    // The height of one line of text, the first of a wrapped one included.
    static qreal lineHeight();
    static QFont textFont(bool done);
    static QColor textColor(bool done);
    static QTextOption textOption();

private:
    void layOut(qreal rowWidth, qreal textHeight);

    const NoteItem& item_;
    qreal height_ = 0;
    QRectF markRect_;
    QRectF textRect_;
};
