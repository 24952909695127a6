#pragma once

#include "panel/DrawerContext.h"
#include "platform/DesktopSession.h"

#include <QRectF>
#include <QWidget>

#include <memory>
#include <optional>

class NotchPillContent;
class NotchPillView;
class QVariantAnimation;
class Screens;
struct Screen;

// The small overlay at the top centre of the built-in screen (else the primary one): it draws
// the pill, grows it while the pointer is on it, reports hovering to its owner and hands what
// is dropped on it to the drop intake. It never takes focus and stays above the desktop's own
// bars.
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
    // The resting pill beside a bar that holds the top centre: a strip at the screen's top
    // edge, which leaves the bar's clock readable and is still the hover zone.
    static constexpr double slimHeight = 4;

    // Builds the window, puts it in place and shows it. The session tells whether the
    // desktop's own bar holds the top centre.
    NotchWindow(const DrawerContext& context, Screens& screens, DesktopSession session = {},
                QWidget* parent = nullptr);
    ~NotchWindow() override;

    // Whether the drawer is showing; while it is, leaving the notch keeps the pill grown. Once
    // it goes, the pill looks where the pointer is, since no event may come to tell.
    void setPanelVisible(bool visible);

    // The pointer is (or is treated as being) on the notch.
    bool isHovered() const { return hovered_; }
    // The owner's word that the hover is over (the drawer closed): the pill shrinks back.
    void unhover();
    // Hides the pill (a fullscreen window is in front, the screen is locked), or shows it
    // again. A hidden pill is not hovered.
    void stepAside(bool aside);

    // Where the window stands, in the desktop's coordinates.
    QRectF frame() const { return frame_; }
    double notchWidth() const { return notchWidth_; }
    double notchHeight() const { return notchHeight_; }

    // The notch's place on a screen: top centre, its top edge on the screen's top edge.
    QRectF notchRect(const Screen& screen) const;
    // Whether the pill rests as a slim strip: the session's bar holds the top centre and the
    // notch's screen has a bar at its top.
    bool isSlim() const { return slim_; }
    // Where the pill rests on a screen: the notch, or its top strip when slim.
    QRectF restingRect(const Screen& screen) const;
    // Reacts to the pointer at this position; none when it is nowhere the display can see.
    void trackMouse(const std::optional<QPointF>& location);
    // Whether the position is in the hover zone: the notch and the row just under it.
    bool isInZone(const std::optional<QPointF>& location) const;

    NotchPillView* pillView() const { return pillView_; }
    NotchPillContent* pillContent() const { return pillContent_; }
    // The ears grow from nothing to earTarget over earDuration once the pointer is on the pill.
    QVariantAnimation* earAnimation() const { return earAnimation_; }
    bool isAnimatingEars() const;

Q_SIGNALS:
    // On every pointer move inside the notch, and when a drag enters it.
    void hovered();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void updateNotchGeometry();
    void setFrame(const QRectF& frame);
    void hoverEntered();
    void hoverExited();
    // Shrinks the pill when the pointer is no longer on it.
    void recheckPointer();
    void screensChanged();
    void updateMask();

    DrawerContext context_;
    Screens& screens_;
    DesktopSession session_;
    bool slim_ = false;
    bool hovered_ = false;
    bool panelVisible_ = false;
    double notchWidth_ = defaultWidth;
    double notchHeight_ = 37;
    QRectF frame_;
    NotchPillView* pillView_;
    NotchPillContent* pillContent_;
    QVariantAnimation* earAnimation_;
};
