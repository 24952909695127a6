#include "notch/NotchWindow.h"

#include "notch/NotchPillContent.h"
#include "notch/NotchPillView.h"
#include "panel/PanelNotifications.h"
#include "panel/PanelState.h"
#include "platform/Logging.h"
#include "platform/MainQueue.h"
#include "platform/MimeDragPasteboard.h"
#include "platform/NotificationCenter.h"
#include "platform/Screens.h"
#include "platform/x11/X11Overlay.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainterPathStroker>
#include <QPointer>
#include <QRegion>

#include <algorithm>

NotchWindow::NotchWindow(const DrawerContext& context, Screens& screens,
                         std::function<void()> hover, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint)
    , onHover(std::move(hover))
    , context_(context)
    , screens_(screens)
    , ticker_(context.mainQueue)
    , pillView_(new NotchPillView(this))
    , pillContent_(
          new NotchPillContent(context.clipboard, context.shelf, context.screenshots, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    setWindowTitle(QStringLiteral("Hodgebin notch"));
    connect(pillView_, &NotchPillView::pathChanged, this, &NotchWindow::updateMask);

    updateNotchGeometry();
    if (const std::optional<Screen> screen = screens_.builtInScreen()) {
        setFrame(notchRect(*screen));
    }
    show();
    X11Overlay::keepOnTop(this);
    connect(&screens_, &Screens::screensChanged, this, &NotchWindow::screensChanged);
}

NotchWindow::~NotchWindow() {
    if (earLink_) {
        earLink_->stop();
    }
}

QRectF NotchWindow::notchRect(const Screen& screen) const {
    return QRectF(screen.geometry.center().x() - notchWidth_ * 0.5, screen.geometry.top(),
                  notchWidth_, notchHeight_);
}

void NotchWindow::updateNotchGeometry() {
    const std::optional<Screen> screen = screens_.builtInScreen();
    if (!screen) {
        return;
    }
    // No Linux screen reports a camera housing: the notch is the top bar's height, at least
    // minimumHeight.
    notchWidth_ = defaultWidth;
    notchHeight_ =
        std::max(minimumHeight, screen->availableGeometry.top() - screen->geometry.top());
}

void NotchWindow::setFrame(const QRectF& frame) {
    frame_ = frame;
    setGeometry(frame.toAlignedRect());
    pillView_->setGeometry(rect());
    pillContent_->setGeometry(rect());
}

void NotchWindow::trackMouse(const QPointF& location) {
    const std::optional<Screen> screen = screens_.builtInScreen();
    if (!screen) {
        return;
    }
    // The notch and the row of pixels just under it.
    QRectF zone = notchRect(*screen);
    zone.setHeight(zone.height() + 1);
    // QRectF::contains includes the far edges; the zone is half-open.
    const bool inside = location.x() >= zone.left() && location.x() < zone.right() &&
                        location.y() >= zone.top() && location.y() < zone.bottom();
    if (inside) {
        if (!isHovered) {
            isHovered = true;
            hoverEntered();
        }
        if (onHover) {
            onHover();
        }
    } else if (isHovered) {
        if (isPanelVisible && isPanelVisible()) {
            return;
        }
        isHovered = false;
        hoverExited();
    }
}

void NotchWindow::hoverEntered() {
    pillView_->setEarProtrusion(0);
    pillView_->setHovered(true);
    pillContent_->setHovering(true);
    // Wider by 10 on each side for the ears and 2 lower; the top stays on the screen's top.
    setFrame(frame_.adjusted(-10, 0, 10, 2));

    const double t0 = context_.mainQueue.uptime();
    qCDebug(lcNotch) << "hover entered at" << t0;
    const std::optional<Screen> screen = screens_.builtInScreen();
    QPointer<NotchPillView> pill(pillView_);
    if (earLink_) {
        earLink_->stop();
    }
    earLink_ = ticker_.start(screen ? screen->refreshRate : 60.0, [pill, t0](double now) {
        if (!pill) {
            return false;
        }
        const double progress = std::min(1.0, (now - t0) / earDuration);
        pill->setEarProtrusion(earTarget * progress);
        return progress < 1.0;
    });
}

void NotchWindow::hoverExited() {
    // A running ear animation would otherwise go on growing ears on the resting shape.
    if (earLink_) {
        earLink_->stop();
        earLink_.reset();
    }
    pillView_->setHovered(false);
    pillView_->setEarProtrusion(0);
    pillContent_->setHovering(false);
    if (const std::optional<Screen> screen = screens_.builtInScreen()) {
        setFrame(notchRect(*screen));
    }
}

void NotchWindow::screensChanged() {
    updateNotchGeometry();
    if (const std::optional<Screen> screen = screens_.builtInScreen()) {
        setFrame(notchRect(*screen));
    }
}

void NotchWindow::updateMask() {
    // Without a compositor translucent pixels show black: clip the window to the pill, taking
    // in the pixels its antialiased edge touches.
    if (!X11Overlay::supportsShapes()) {
        return;
    }
    QPainterPathStroker stroker;
    stroker.setWidth(2);
    const QPainterPath& path = pillView_->path();
    const QPainterPath covered = path.united(stroker.createStroke(path));
    setMask(QRegion(covered.toFillPolygon().toPolygon()));
}

void NotchWindow::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    trackMouse(screens_.cursorPosition());
}

void NotchWindow::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    trackMouse(screens_.cursorPosition());
}

void NotchWindow::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    trackMouse(screens_.cursorPosition());
}

void NotchWindow::dragEnterEvent(QDragEnterEvent* event) {
    // Whatever is dragged here goes on the shelf: show it, under the notch.
    context_.panelState.setRequestedTab(DrawerTab::shelf);
    context_.notifications.post(PanelNotifications::switchToFileShelf);
    if (onHover) {
        onHover();
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void NotchWindow::dragMoveEvent(QDragMoveEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void NotchWindow::dropEvent(QDropEvent* event) {
    const bool taken =
        onDrop && event->mimeData() != nullptr && onDrop(MimeDragPasteboard(*event->mimeData()));
    if (taken) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}
