#pragma once

#include "clipboard/ClipboardItem.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

class QPainter;

// One entry of the clipboard tab: its mark, its preview (or thumbnail) with the source and age
// below, and, while hovered, the pin, copy and remove buttons. It is laid out and painted on
// demand for the rectangle the list gives it, so a list of any length paints only what is in
// view. A click anywhere on the row that is not on a button copies the entry.
class ClipboardRow {
    Q_DECLARE_TR_FUNCTIONS(ClipboardRow)

public:
    enum class Button { none, pin, copy, remove };
    static constexpr qreal cornerRadius = 6;

    ClipboardRow(const ClipboardItem& item, bool isHovered, bool isPinned);

    const ClipboardItem& item() const { return item_; }
    bool isHovered() const { return isHovered_; }
    bool isPinned() const { return isPinned_; }

    // The row's height at a width. It does not depend on hover, so showing the buttons never
    // moves the rows below; a hovered row fits its text into what the buttons leave.
    static qreal height(const ClipboardItem& item, qreal width);
    // The size at which image thumbnails are decoded, in device pixels: the most a row can
    // show, so one decode serves every width of the drawer.
    static QSize thumbnailBounds(qreal devicePixelRatio);

    // A button's rectangle within the row's rectangle (buttons exist only while hovered).
    static QRectF buttonRect(const QRectF& row, Button button);
    Button buttonAt(const QRectF& row, const QPointF& point) const;
    QString toolTip(Button button) const;
    // What a click at a point of the row does: a button's action, anywhere else a copy.
    Button clickAction(const QRectF& row, const QPointF& point) const;

    // Paints the row; thumbnail is the decoded image for an image entry (null while it is being
    // decoded, when a placeholder of its shape is drawn). Ages are told from now.
    void paint(QPainter& painter, const QRectF& row, const QImage& thumbnail,
               const QDateTime& now) const;

private:
    void paintMark(QPainter& painter, const QRectF& row) const;
    // The preview or thumbnail from the top at y; returns where the line below it starts.
    qreal paintBody(QPainter& painter, const QRectF& body, qreal y, const QImage& thumbnail,
                    qreal fullWidth, const QStringList& fullLines) const;
    void paintSourceAndAge(QPainter& painter, const QRectF& body, qreal y,
                           const QDateTime& now) const;
    void paintButtons(QPainter& painter, const QRectF& row) const;

    ClipboardItem item_;
    bool isHovered_;
    bool isPinned_;
};
