#include "app/TrayIcon.h"

#include "widgets/SymbolCatalogue.h"

#include <QPainter>

QIcon trayIcon() {
    const QString symbol = QStringLiteral("tray");
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64}) {
        const QPixmap glyph = SymbolCatalogue::pixmap(symbol, side * 0.8, QColor(0xf2, 0xf2, 0xf2));
        const QPixmap halo = SymbolCatalogue::pixmap(symbol, side * 0.8, QColor(0, 0, 0, 150));
        QPixmap canvas(side, side);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        const QPointF origin((side - glyph.width()) / 2.0, (side - glyph.height()) / 2.0);
        for (const QPointF& d : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)}) {
            painter.drawPixmap(origin + d, halo);
        }
        painter.drawPixmap(origin, glyph);
        painter.end();
        icon.addPixmap(canvas);
    }
    return icon;
}
