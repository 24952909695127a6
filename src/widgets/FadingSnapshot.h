#pragma once

#include <QEasingCurve>
#include <QPixmap>
#include <QWidget>

class QVariantAnimation;

// What a widget showed a moment ago, laid over what it shows now and fading away: the content
// that is going leaves with an opacity transition while the content that came is already in
// place (and takes clicks and keys) underneath. The picture deletes itself when it has faded.
class FadingSnapshot final : public QWidget {
    Q_OBJECT

public:
    // Pictures `source` as it is now, on `background` (the views paint on the drawer's surface
    // and leave it out), and covers `cover` (in the parent's coordinates) with it.
    static FadingSnapshot* cover(QWidget* source, const QColor& background, QWidget* parent,
                                 const QRect& cover, double seconds, const QEasingCurve& curve);

    // How opaque the picture is now: 1 at the start, 0 at the end.
    qreal opacity() const;
    // Brings the fade to its end (the picture is then deleted later).
    void finish();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FadingSnapshot(QPixmap picture, QWidget* parent);

    QPixmap picture_;
    QVariantAnimation* animation_;
};
