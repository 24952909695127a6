#include "notch/NotchPillContent.h"

#include "clipboard/ClipboardManager.h"
#include "screenshots/ScreenshotManager.h"
#include "shelf/FileShelfManager.h"
#include "widgets/DrawerStyle.h"
#include "widgets/SymbolCatalogue.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {

constexpr double rowSpacing = 6;
constexpr double counterSpacing = 2;
constexpr double dotSize = 6;

QFont countFont() {
    return DrawerStyle::monospaceFont(10, QFont::Bold);
}

QColor symbolColor(const QString& name) {
    return name == QLatin1String("tray") ? DrawerStyle::white(0.7) : DrawerStyle::white(0.5);
}

} // namespace

NotchPillContent::NotchPillContent(ClipboardManager& clipboard, FileShelfManager& shelf,
                                   ScreenshotManager& screenshots, QWidget* parent)
    : QWidget(parent)
    , clipboard_(clipboard)
    , shelf_(shelf)
    , screenshots_(screenshots) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    const auto redraw = [this] { update(); };
    connect(&clipboard_, &ClipboardManager::itemsChanged, this, redraw);
    connect(&shelf_, &FileShelfManager::filesChanged, this, redraw);
    connect(&screenshots_, &ScreenshotManager::unseenCountChanged, this, redraw);
}

void NotchPillContent::setHovering(bool hovering) {
    if (hovering_ != hovering) {
        hovering_ = hovering;
        update();
    }
}

QList<NotchPillContent::Element> NotchPillContent::layoutRow() const {
    const qsizetype clips = clipboard_.items().size();
    const qsizetype files = shelf_.files().size();
    const bool unseen = screenshots_.unseenCount() > 0;
    if (!hovering_ && clips == 0 && files == 0 && !unseen) {
        return {};
    }

    QList<Element> row;
    const auto symbol = [&row](const QString& name, double size) {
        const QSizeF s = SymbolCatalogue::pixmap(name, size, Qt::white).deviceIndependentSize();
        row.append({Element::Kind::symbol, name, QRectF(QPointF(), s)});
    };
    const QFontMetricsF metrics(countFont());
    const auto counter = [&](const QString& name, qsizetype count) {
        symbol(name, 9);
        const QString text = QString::number(count);
        row.append({Element::Kind::count, text,
                    QRectF(0, 0, metrics.horizontalAdvance(text), metrics.height())});
    };

    symbol(QStringLiteral("tray"), 11);
    if (clips > 0) {
        counter(QStringLiteral("doc.on.clipboard"), clips);
    }
    if (files > 0) {
        counter(QStringLiteral("tray.full"), files);
    }
    if (unseen) {
        row.append({Element::Kind::dot, QString(), QRectF(0, 0, dotSize, dotSize)});
    }

    // Lay the row out: counters keep their glyph and number close together.
    double width = 0;
    for (int i = 0; i < row.size(); ++i) {
        if (i > 0) {
            width += row[i].kind == Element::Kind::count ? counterSpacing : rowSpacing;
        }
        width += row[i].rect.width();
    }
    const double padding = hovering_ ? 22 : 12;
    const QRectF area = QRectF(rect()).adjusted(padding, 0, -padding, 0);
    const double lift = hovering_ ? 3 : 2;
    double x = area.center().x() - width / 2;
    const double midY = area.center().y() - lift;
    for (int i = 0; i < row.size(); ++i) {
        if (i > 0) {
            x += row[i].kind == Element::Kind::count ? counterSpacing : rowSpacing;
        }
        QRectF& r = row[i].rect;
        r.moveTo(x, midY - r.height() / 2);
        x += r.width();
    }
    return row;
}

void NotchPillContent::paintEvent(QPaintEvent*) {
    const QList<Element> row = layoutRow();
    if (row.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal ratio = devicePixelRatioF();
    for (const Element& e : row) {
        switch (e.kind) {
        case Element::Kind::symbol: {
            const double size = e.text == QLatin1String("tray") ? 11 : 9;
            const auto weight = e.text == QLatin1String("tray") ? SymbolCatalogue::Weight::Medium
                                                                : SymbolCatalogue::Weight::Regular;
            painter.drawPixmap(
                e.rect.topLeft(),
                SymbolCatalogue::pixmap(e.text, size, symbolColor(e.text), ratio, weight));
            break;
        }
        case Element::Kind::count:
            painter.setFont(countFont());
            painter.setPen(DrawerStyle::white(0.5));
            painter.drawText(e.rect, Qt::AlignCenter, e.text);
            break;
        case Element::Kind::dot:
            painter.setPen(Qt::NoPen);
            painter.setBrush(DrawerStyle::orange());
            painter.drawEllipse(e.rect);
            break;
        }
    }
}
