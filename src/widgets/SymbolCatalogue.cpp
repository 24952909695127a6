#include "widgets/SymbolCatalogue.h"

#include <QCache>
#include <QFontDatabase>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

namespace {

// Font Awesome 4 code points, one per symbol name the interface uses.
const QHash<QString, char16_t>& glyphs() {
    static const QHash<QString, char16_t> table = {
        {QStringLiteral("tray"), 0xf01c},                  // inbox
        {QStringLiteral("tray.full"), 0xf01c},             // inbox
        {QStringLiteral("tray.and.arrow.down"), 0xf019},   // download
        {QStringLiteral("doc.on.clipboard"), 0xf0ea},      // clipboard
        {QStringLiteral("clipboard"), 0xf0ea},             // clipboard
        {QStringLiteral("doc.on.doc"), 0xf0c5},            // files-o
        {QStringLiteral("doc.text"), 0xf0f6},              // file-text-o
        {QStringLiteral("doc.richtext"), 0xf1c2},          // file-word-o
        {QStringLiteral("doc"), 0xf016},                   // file-o
        {QStringLiteral("photo"), 0xf03e},                 // picture-o
        {QStringLiteral("note.text"), 0xf249},             // sticky-note
        {QStringLiteral("camera.viewfinder"), 0xf030},     // camera
        {QStringLiteral("pin"), 0xf08d},                   // thumb-tack
        {QStringLiteral("pin.fill"), 0xf08d},              // thumb-tack
        {QStringLiteral("pin.slash.fill"), 0xf08d},        // thumb-tack, struck through
        {QStringLiteral("checkmark.circle.fill"), 0xf058}, // check-circle
        {QStringLiteral("circle"), 0xf10c},                // circle-o
        {QStringLiteral("xmark"), 0xf00d},                 // times
        {QStringLiteral("xmark.circle.fill"), 0xf057},     // times-circle
        {QStringLiteral("trash"), 0xf1f8},                 // trash
        {QStringLiteral("folder"), 0xf07b},                // folder
        {QStringLiteral("gearshape"), 0xf013},             // cog
        {QStringLiteral("ellipsis"), 0xf141},              // ellipsis-h
        {QStringLiteral("power"), 0xf011},                 // power-off
        {QStringLiteral("arrow.up.forward.app"), 0xf08e},  // external-link
    };
    return table;
}

// The outline added around a glyph for a weight, as a share of its size.
qreal outlineFor(SymbolCatalogue::Weight weight) {
    switch (weight) {
    case SymbolCatalogue::Weight::Medium:
        return 0.02;
    case SymbolCatalogue::Weight::Semibold:
        return 0.04;
    case SymbolCatalogue::Weight::Bold:
        return 0.07;
    default:
        return 0;
    }
}

} // namespace

QString SymbolCatalogue::fontFamily() {
    // Asked of fontconfig once: the family name the font registers, in any case it is spelled.
    static const QString family = [] {
        for (const QString& candidate : QFontDatabase::families()) {
            if (candidate.compare(QLatin1String("FontAwesome"), Qt::CaseInsensitive) == 0 ||
                candidate.compare(QLatin1String("Font Awesome"), Qt::CaseInsensitive) == 0 ||
                candidate.compare(QLatin1String("ForkAwesome"), Qt::CaseInsensitive) == 0) {
                return candidate;
            }
        }
        return QString();
    }();
    return family;
}

bool SymbolCatalogue::isKnown(const QString& name) {
    return glyphs().contains(name);
}

QPixmap SymbolCatalogue::pixmap(const QString& name, qreal pointSize, const QColor& color,
                                qreal devicePixelRatio, Weight weight) {
    // Views repaint the same few symbols all the time.
    static QCache<QString, QPixmap> cache(512);
    const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                            .arg(name)
                            .arg(pointSize)
                            .arg(color.rgba(), 0, 16)
                            .arg(devicePixelRatio)
                            .arg(int(weight));
    if (const QPixmap* cached = cache.object(key)) {
        return *cached;
    }

    const int side = qMax(1, qCeil(pointSize * devicePixelRatio));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    pixmap.setDevicePixelRatio(devicePixelRatio);

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const QRectF box(0, 0, pointSize, pointSize);

    const QString family = fontFamily();
    const auto glyph = glyphs().constFind(name);
    if (family.isEmpty() || glyph == glyphs().constEnd()) {
        painter.drawEllipse(box.center(), pointSize * 0.3, pointSize * 0.3);
        painter.end();
        cache.insert(key, new QPixmap(pixmap));
        return pixmap;
    }

    QFont font(family);
    font.setPixelSize(qMax(1, qRound(pointSize)));
    QPainterPath path;
    path.addText(0, 0, font, QString(QChar(*glyph)));
    // Fit the glyph's own outline into the box, keeping its proportions.
    const qreal outline = outlineFor(weight) * pointSize;
    const QRectF bounds = path.boundingRect().adjusted(-outline, -outline, outline, outline);
    if (bounds.isEmpty()) {
        painter.end();
        return pixmap;
    }
    const qreal scale = qMin(box.width() / bounds.width(), box.height() / bounds.height());
    painter.translate(box.center());
    painter.scale(scale, scale);
    painter.translate(-bounds.center());
    if (outline > 0) {
        QPainterPathStroker stroker;
        stroker.setWidth(outline * 2);
        stroker.setJoinStyle(Qt::RoundJoin);
        path = path.united(stroker.createStroke(path)).simplified();
    }
    painter.drawPath(path);

    if (name == QLatin1String("pin.slash.fill")) {
        painter.resetTransform();
        QPen pen(color, qMax<qreal>(1.0, pointSize / 9.0));
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawLine(box.topLeft() + QPointF(pointSize * 0.12, pointSize * 0.12),
                         box.bottomRight() - QPointF(pointSize * 0.12, pointSize * 0.12));
    }
    painter.end();
    cache.insert(key, new QPixmap(pixmap));
    return pixmap;
}
