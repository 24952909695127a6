#include "platform/x11/SymbolCatalogue.h"

#include <QFontDatabase>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace {

// Font Awesome 4.7 code points, one per symbol name used by the interface.
const QHash<QString, char16_t>& glyphs() {
    static const QHash<QString, char16_t> table = {
        {QStringLiteral("tray"), 0xf01c},                  // inbox
        {QStringLiteral("tray.full"), 0xf01c},             // inbox
        {QStringLiteral("tray.and.arrow.down"), 0xf01a},   // arrow-circle-o-down
        {QStringLiteral("doc.on.clipboard"), 0xf0ea},      // clipboard
        {QStringLiteral("clipboard"), 0xf0ea},             // clipboard
        {QStringLiteral("doc.on.doc"), 0xf0c5},            // files-o
        {QStringLiteral("doc.text"), 0xf0f6},              // file-text-o
        {QStringLiteral("doc.richtext"), 0xf1c2},          // file-word-o
        {QStringLiteral("doc"), 0xf016},                   // file-o
        {QStringLiteral("photo"), 0xf03e},                 // picture-o
        {QStringLiteral("note.text"), 0xf249},             // sticky-note
        {QStringLiteral("camera.viewfinder"), 0xf030},     // camera
        {QStringLiteral("pin.fill"), 0xf08d},              // thumb-tack
        {QStringLiteral("pin.slash.fill"), 0xf08d},        // thumb-tack (drawn struck through)
        {QStringLiteral("checkmark.circle.fill"), 0xf058}, // check-circle
        {QStringLiteral("circle"), 0xf10c},                // circle-o
        {QStringLiteral("xmark.circle.fill"), 0xf057},     // times-circle
        {QStringLiteral("trash"), 0xf1f8},                 // trash
        {QStringLiteral("folder"), 0xf07b},                // folder
        {QStringLiteral("gearshape"), 0xf013},             // cog
        {QStringLiteral("arrow.up.forward.app"), 0xf08e},  // external-link
    };
    return table;
}

} // namespace

QString SymbolCatalogue::fontFamily() {
    static const QString family = [] {
        const char* candidates[] = {
            "/usr/share/fonts/truetype/font-awesome/fontawesome-webfont.ttf",
            "/usr/share/fonts-font-awesome/fonts/fontawesome-webfont.ttf",
        };
        for (const char* path : candidates) {
            const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(path));
            if (id >= 0) {
                const QStringList families = QFontDatabase::applicationFontFamilies(id);
                if (!families.isEmpty()) {
                    return families.first();
                }
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
    const int side = qMax(1, qRound(pointSize * devicePixelRatio));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    pixmap.setDevicePixelRatio(devicePixelRatio);

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF box(0, 0, pointSize, pointSize);

    const QString family = fontFamily();
    const auto glyph = glyphs().constFind(name);
    if (family.isEmpty() || glyph == glyphs().constEnd()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(box.center(), pointSize * 0.3, pointSize * 0.3);
        return pixmap;
    }

    QFont font(family);
    font.setPixelSize(qMax(1, qRound(pointSize * 0.9)));
    // The icon font has one weight; heavier symbols get a slightly larger glyph instead.
    if (weight == Weight::Semibold || weight == Weight::Bold) {
        font.setPixelSize(qMax(1, qRound(pointSize * 0.96)));
    }
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(box, Qt::AlignCenter, QString(QChar(*glyph)));

    if (name == QLatin1String("pin.slash.fill")) {
        QPen pen(color, qMax<qreal>(1.0, pointSize / 10.0));
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        painter.drawLine(box.topLeft() + QPointF(pointSize * 0.15, pointSize * 0.15),
                         box.bottomRight() - QPointF(pointSize * 0.15, pointSize * 0.15));
    }
    return pixmap;
}
