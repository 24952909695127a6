#pragma once

#include <QPainterPath>
#include <QWidget>

// The black shape over the notch: a bar whose lower corners are rounded at rest and flare
// outwards into ears while the pointer is on it.
class NotchPillView final : public QWidget {
    Q_OBJECT
public:
    static constexpr double restingCornerRadius = 9.5;
    // The hovered window is wider by this on each side; the ears grow into that margin.
    static constexpr double hoverInset = 10.0;

    explicit NotchPillView(QWidget* parent = nullptr);

    bool isHovered() const { return hovered_; }
    void setHovered(bool hovered);

    double earProtrusion() const { return earProtrusion_; }
    void setEarProtrusion(double pixels);

    // The outline now filled; kept as it was while the view has no area.
    const QPainterPath& path() const { return path_; }

    // The outline for a view of this size, top edge at y = 0 (the top of the screen).
    static QPainterPath outline(const QSizeF& size, bool hovered, double earProtrusion);

Q_SIGNALS:
    // The outline changed: the window reshapes its input and clip region to it.
    void pathChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void updatePath();

    bool hovered_ = false;
    double earProtrusion_ = 0;
    QPainterPath path_;
};
