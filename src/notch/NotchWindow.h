#pragma once

#include "panel/DrawerContext.h"
#include "platform/FrameTicker.h"

#include <QRectF>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class NotchPillContent;
class NotchPillView;
class DragPasteboard;
class Screens;
struct Screen;

// The small overlay at the top centre of the built-in screen (else the primary one): it draws
// the pill, grows it while the pointer is on it, reports hovering to its owner and catches
// drags. It never takes focus and stays above the desktop's own bars.
//
// Pointer tracking costs nothing while the user works elsewhere: the window follows the
// pointer only through its own enter, move and leave events.
class NotchWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr double defaultWidth = 180;
    static constexpr double minimumHeight = 25;
    static constexpr double earDuration = 0.15;
    static constexpr double earTarget = 10;

    // Builds the window, puts it in place and shows it.
    NotchWindow(const DrawerContext& context, Screens& screens, std::function<void()> onHover,
                QWidget* parent = nullptr);
    ~NotchWindow() override;

    // Called on every pointer move inside the notch (and when a drag enters it).
    std::function<void()> onHover;
    // Whether the drawer is showing; while it is, leaving the notch keeps the pill grown.
    std::function<bool()> isPanelVisible;
    // The drop intake: whether the dropped data was taken.
    std::function<bool(const DragPasteboard&)> onDrop;

    // The pointer is (or is treated as being) on the notch. The owner may clear it, and then
    // calls hoverExited.
    bool isHovered = false;
    void hoverExited();

    // Where the window stands, in the desktop's coordinates.
    QRectF frame() const { return frame_; }
    double notchWidth() const { return notchWidth_; }
    double notchHeight() const { return notchHeight_; }

    // The notch's place on a screen: top centre, its top edge on the screen's top edge.
    QRectF notchRect(const Screen& screen) const;
    // Reacts to the pointer at this position.
    void trackMouse(const QPointF& location);

    NotchPillView* pillView() const { return pillView_; }
    NotchPillContent* pillContent() const { return pillContent_; }
    // The ear animation while it runs.
    bool isAnimatingEars() const { return earLink_ && earLink_->isRunning(); }

protected:
    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void updateNotchGeometry();
    void setFrame(const QRectF& frame);
    void hoverEntered();
    void screensChanged();
    void updateMask();

    DrawerContext context_;
    Screens& screens_;
    FrameTicker ticker_;
    double notchWidth_ = defaultWidth;
    double notchHeight_ = 37;
    QRectF frame_;
    NotchPillView* pillView_;
    NotchPillContent* pillContent_;
    std::shared_ptr<FrameTicker::Link> earLink_;
};
