#pragma once

#include <QWidget>

class PanelState;
class QVariantAnimation;

// The "Copied" confirmation over the drawer's content. It appears at once when the panel state
// raises the flash and fades and shrinks away when the flash ends. It never takes the pointer.
class CopiedBadge final : public QWidget {
    Q_OBJECT
public:
    explicit CopiedBadge(PanelState& state, QWidget* parent = nullptr);

    // Shown, or still on its way out.
    bool isShowing() const { return !isHidden(); }
    // Ends a running hide at once (as its animation would).
    void finishAnimation();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void flashChanged(bool visible);

    PanelState& state_;
    // 1 while shown; runs to 0 while hiding. Opacity follows it, and the scale from 1 to 0.8.
    qreal presence_ = 0;
    QVariantAnimation* hiding_;
};
