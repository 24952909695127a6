#pragma once

#include <QWidget>

class ClipboardManager;
class FileShelfManager;
class ScreenshotManager;

// The row of glyphs and counters over the pill: the tray, how many clips and shelved files
// there are, and a dot for screenshots not yet looked at. At rest with nothing to count it
// draws nothing.
class NotchPillContent final : public QWidget {
    Q_OBJECT
public:
    NotchPillContent(ClipboardManager& clipboard, FileShelfManager& shelf,
                     ScreenshotManager& screenshots, QWidget* parent = nullptr);

    bool isHovering() const { return hovering_; }
    void setHovering(bool hovering);

    // One drawn element of the row, in the order drawn; what a test can look at.
    struct Element {
        enum class Kind { symbol, count, dot };
        Kind kind;
        QString text; // the symbol's name or the count
        QRectF rect;
    };
    QList<Element> layoutRow() const;

    // What the row says, in words, for assistive technology: "3 clips, 1 file, new screenshots".
    QString summary() const;
    // Assistive technology pressed the pill: the drawer opens, as under the pointer.
    void press();

Q_SIGNALS:
    void pressed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ClipboardManager& clipboard_;
    FileShelfManager& shelf_;
    ScreenshotManager& screenshots_;
    bool hovering_ = false;
};
