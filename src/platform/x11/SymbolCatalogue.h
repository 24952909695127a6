#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// Draws the named symbols the interface uses, from the Font Awesome glyphs installed with the
// system's fonts. Unknown names draw a neutral dot so nothing is left blank.
class SymbolCatalogue {
public:
    enum class Weight { Regular, Medium, Semibold, Bold };

    // pointSize is the glyph's height in device-independent pixels.
    static QPixmap pixmap(const QString& name, qreal pointSize, const QColor& color,
                          qreal devicePixelRatio = 1.0, Weight weight = Weight::Regular);
    static bool isKnown(const QString& name);
    // The font family holding the glyphs, loaded on first use; empty when none is installed.
    static QString fontFamily();
};
