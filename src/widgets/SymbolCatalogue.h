#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// Draws the named symbols the interface uses from the Font Awesome glyph font installed with
// the system's fonts (found through fontconfig). Unknown names, or a system without the font,
// draw a neutral dot so nothing is left blank.
class SymbolCatalogue {
public:
    enum class Weight { Thin, Light, Regular, Medium, Semibold, Bold };

    // pointSize is the glyph's height in device-independent pixels. The glyph font has one
    // weight: heavier weights are drawn with a matching outline added, lighter ones as regular.
    static QPixmap pixmap(const QString& name, qreal pointSize, const QColor& color,
                          qreal devicePixelRatio = 1.0, Weight weight = Weight::Regular);
    static bool isKnown(const QString& name);
    // The font family holding the glyphs; empty when none is installed.
    static QString fontFamily();
};
