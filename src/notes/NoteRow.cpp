#include "notes/NoteRow.h"

#include "widgets/DrawerStyle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>

namespace {

// Stored text may hold line breaks (the editor never makes them); they break the painted line
// as they break the edited one.
QString forLayout(QString text) {
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}

qreal leading(qint64 indent, qreal rowWidth) {
    const qreal wanted =
        qreal(std::max<qint64>(0, std::min<qint64>(indent, 1000))) * NoteRow::indentStep;
    const qreal room = rowWidth - 2 * NoteRow::padding - NoteRow::markSize(indent) -
                       NoteRow::spacing - NoteRow::minimumTextWidth;
    return std::clamp(wanted, 0.0, std::max(0.0, room));
}

} // namespace

NoteRow::NoteRow(const NoteItem& item, qreal rowWidth)
    : item_(item) {
    layOut(rowWidth, textHeight(item.text, textWidth(item.indent, rowWidth)));
}

NoteRow::NoteRow(const NoteItem& item, qreal rowWidth, qreal textHeight)
    : item_(item) {
    layOut(rowWidth, textHeight);
}

void NoteRow::layOut(qreal rowWidth, qreal textHeight) {
    const qreal mark = markSize(item_.indent);
    // The mark and the text's first line share a middle, so a wrapped line keeps its mark at
    // its start rather than halfway down its text.
    const qreal firstLine = std::min(textHeight, lineHeight());
    const qreal band = std::max(firstLine, mark);
    const qreal markTop = padding + (band - mark) / 2;
    const qreal textTop = padding + (band - firstLine) / 2;
    height_ = std::max(markTop + mark, textTop + textHeight) + padding;
    const qreal x = padding + leading(item_.indent, rowWidth);
    markRect_ = QRectF(x, markTop, mark, mark);
    textRect_ =
        QRectF(markRect_.right() + spacing, textTop, textWidth(item_.indent, rowWidth), textHeight);
}

QRectF NoteRow::markHitRect() const {
    return markRect_.adjusted(-padding, -padding, spacing / 2, padding);
}

qreal NoteRow::markSize(qint64 indent) {
    return indent == 0 ? 13 : 11;
}

qreal NoteRow::textWidth(qint64 indent, qreal rowWidth) {
    return std::max(1.0, rowWidth - 2 * padding - leading(indent, rowWidth) - markSize(indent) -
                             spacing);
}

QFont NoteRow::textFont(bool done) {
    QFont font = DrawerStyle::font(12);
    font.setStrikeOut(done);
    return font;
}

QColor NoteRow::textColor(bool done) {
    return DrawerStyle::white(done ? 0.3 : 0.85);
}

QTextOption NoteRow::textOption() {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

qreal NoteRow::lineHeight() {
    return std::ceil(QFontMetricsF(textFont(false)).height());
}

qreal NoteRow::textHeight(const QString& text, qreal width) {
    const QFont font = textFont(false);
    const QFontMetricsF metrics(font);
    // Most lines fit on one line; measuring the advance is cheaper than a layout.
    if (!text.contains(QLatin1Char('\n')) && metrics.horizontalAdvance(text) <= width) {
        return lineHeight();
    }
    QTextLayout layout(forLayout(text), font);
    layout.setTextOption(textOption());
    layout.beginLayout();
    qreal height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        height += line.height();
    }
    layout.endLayout();
    return std::ceil(std::max(height, metrics.height()));
}

void NoteRow::paint(QPainter& painter, const QPointF& origin, bool paintText,
                    const QTextLayout* textLayout) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(origin);

    // The mark: an open ring, or a filled disc with a tick cut out of it once done.
    const QRectF ring = markRect_.adjusted(0.75, 0.75, -0.75, -0.75);
    if (item_.done) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(DrawerStyle::white(0.3));
        painter.drawEllipse(ring);
        QPainterPath tick;
        const QRectF r = ring;
        tick.moveTo(r.left() + r.width() * 0.28, r.top() + r.height() * 0.52);
        tick.lineTo(r.left() + r.width() * 0.44, r.top() + r.height() * 0.68);
        tick.lineTo(r.left() + r.width() * 0.72, r.top() + r.height() * 0.34);
        painter.setPen(
            QPen(DrawerStyle::background(), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    } else {
        painter.setPen(QPen(DrawerStyle::white(0.25), 1.1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(ring);
    }

    if (paintText) {
        std::unique_ptr<QTextLayout> own;
        if (textLayout == nullptr) {
            own = layOutText(item_, textRect_.width());
            textLayout = own.get();
        }
        painter.setPen(textColor(item_.done));
        textLayout->draw(&painter, textRect_.topLeft());
    }
    painter.restore();
}

std::unique_ptr<QTextLayout> NoteRow::layOutText(const NoteItem& item, qreal width) {
    auto layout = std::make_unique<QTextLayout>(forLayout(item.text), textFont(item.done));
    layout->setTextOption(textOption());
    layout->beginLayout();
    qreal y = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    return layout;
}
