#include "notch/NotchWindow.h"

#include "drops/DropIntake.h"
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
#include <QRegion>
#include <QVariantAnimation>

#include <algorithm>
#include <utility>

NotchWindow::NotchWindow(const DrawerContext& context, Screens& screens, DesktopSession session,
                         QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint)
    , context_(context)
    , screens_(screens)
    , session_(std::move(session))
    , pillView_(new NotchPillView(this))
    , pillContent_(
          new NotchPillContent(context.clipboard, context.shelf, context.screenshots, this))
    , earAnimation_(new QVariantAnimation(this)) {
    earAnimation_->setDuration(int(earDuration * 1000));
    earAnimation_->setStartValue(0.0);
    earAnimation_->setEndValue(earTarget);
    connect(earAnimation_, &QVariantAnimation::valueChanged, pillView_,
            [this](const QVariant& value) { pillView_->setEarProtrusion(value.toDouble()); });
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    setWindowTitle(QStringLiteral("Hodgebin notch"));
    connect(pillView_, &NotchPillView::pathChanged, this, &NotchWindow::updateMask);
    // A screen reader's press opens the drawer as the pointer does.
    connect(pillContent_, &NotchPillContent::pressed, this, &NotchWindow::hovered);

    updateNotchGeometry();
    if (const std::optional<Screen> screen = screens_.builtInScreen()) {
        setFrame(restingRect(*screen));
    }
    show();
    connect(&screens_, &Screens::screensChanged, this, &NotchWindow::screensChanged);
}

NotchWindow::~NotchWindow() = default;

bool NotchWindow::isAnimatingEars() const {
    return earAnimation_->state() == QAbstractAnimation::Running;
}

QRectF NotchWindow::notchRect(const Screen& screen) const {
    return QRectF(screen.geometry.center().x() - notchWidth_ * 0.5, screen.geometry.top(),
                  notchWidth_, notchHeight_);
}

QRectF NotchWindow::restingRect(const Screen& screen) const {
    QRectF rect = notchRect(screen);
    if (slim_) {
        rect.setHeight(slimHeight);
    }
    return rect;
}

void NotchWindow::updateNotchGeometry() {
    const std::optional<Screen> screen = screens_.builtInScreen();
    if (!screen) {
        return;
    }
    // No Linux screen reports a camera housing: the notch is the top bar's height, at least
    // minimumHeight.
    const double bar = screen->availableGeometry.top() - screen->geometry.top();
    notchWidth_ = defaultWidth;
    notchHeight_ = std::max(minimumHeight, bar);
    // A full pill over GNOME Shell's bar would hide its clock, black on black: at rest only a
    // strip shows, and the full pill with its counters while the pointer is on it.
    slim_ = session_.barHoldsTopCentre() && bar > 0;
    pillContent_->setVisible(!slim_ || hovered_);
}

void NotchWindow::setFrame(const QRectF& frame) {
    frame_ = frame;
    setGeometry(frame.toAlignedRect());
    pillView_->setGeometry(rect());
    pillContent_->setGeometry(rect());
}

void NotchWindow::setPanelVisible(bool visible) {
    panelVisible_ = visible;
    if (!visible) {
        recheckPointer();
    }
}

bool NotchWindow::isInZone(const std::optional<QPointF>& location) const {
    const std::optional<Screen> screen = screens_.builtInScreen();
    if (!screen || !location) {
        return false;
    }
    // The pill as it stands (a slim one grows on hover) and the row of pixels just under it.
    QRectF zone = hovered_ ? notchRect(*screen) : restingRect(*screen);
    zone.setHeight(zone.height() + 1);
    // QRectF::contains includes the far edges; the zone is half-open.
    return location->x() >= zone.left() && location->x() < zone.right() &&
           location->y() >= zone.top() && location->y() < zone.bottom();
}

void NotchWindow::recheckPointer() {
    // Only ever shrinks: a pointer resting on the pill must not bring back a drawer that was
    // just closed.
    if (hovered_ && !panelVisible_ && !isInZone(screens_.cursorPosition())) {
        unhover();
    }
}

void NotchWindow::stepAside(bool aside) {
    if (aside == isHidden()) {
        return;
    }
    if (aside) {
        unhover();
        hide();
    } else {
        show();
    }
}

void NotchWindow::trackMouse(const std::optional<QPointF>& location) {
    if (isHidden() || !screens_.builtInScreen()) {
        return;
    }
    if (isInZone(location)) {
        if (!hovered_) {
            hovered_ = true;
            hoverEntered();
        }
        Q_EMIT hovered();
    } else if (hovered_ && !panelVisible_) {
        unhover();
    }
}

void NotchWindow::unhover() {
    if (hovered_) {
        hovered_ = false;
        hoverExited();
    }
}

void NotchWindow::hoverEntered() {
    pillView_->setEarProtrusion(0);
    pillView_->setHovered(true);
    pillContent_->setHovering(true);
    pillContent_->setVisible(true);
    // The notch, wider by 10 on each side for the ears and 2 lower; the top stays on the
    // screen's top.
    if (const std::optional<Screen> screen = screens_.builtInScreen()) {
        setFrame(notchRect(*screen).adjusted(-10, 0, 10, 2));
    }

    qCDebug(lcNotch) << "hover entered at" << context_.mainQueue.uptime();
    earAnimation_->stop();
    earAnimation_->start();
}

void NotchWindow::hoverExited() {
    // A running ear animation would otherwise go on growing ears on the resting shape.
    earAnimation_->stop();
    pillView_->setHovered(false);
    pillView_->setEarProtrusion(0);
    pillContent_->setHovering(false);
    pillContent_->setVisible(!slim_);
    if (const std::optional<Screen> screen = screens_.builtInScreen()) {
        setFrame(restingRect(*screen));
    }
}

void NotchWindow::screensChanged() {
    updateNotchGeometry();
    if (const std::optional<Screen> screen = screens_.builtInScreen()) {
        setFrame(restingRect(*screen));
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

void NotchWindow::mouseMoveEvent(QMouseEvent* event) {
    // The pill grows on a move, never on the pointer merely entering: a pill that appears
    // under a still pointer is not hovered, and through XWayland the pointer found there may
    // be a stale one, left behind when it went to a Wayland window.
    QWidget::mouseMoveEvent(event);
    trackMouse(screens_.cursorPosition());
}

void NotchWindow::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    trackMouse(screens_.cursorPosition());
}

void NotchWindow::dragEnterEvent(QDragEnterEvent* event) {
    // Whatever is dragged here goes on the shelf: show it, under the notch. A drag holds the
    // pointer, so no enter event comes: the pill grows here as it does on hovering.
    context_.panelState.setRequestedTab(DrawerTab::shelf);
    context_.notifications.post(PanelNotifications::switchToFileShelf);
    if (!hovered_) {
        hovered_ = true;
        hoverEntered();
    }
    Q_EMIT hovered();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void NotchWindow::dragMoveEvent(QDragMoveEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void NotchWindow::dragLeaveEvent(QDragLeaveEvent* event) {
    QWidget::dragLeaveEvent(event);
    recheckPointer();
}

void NotchWindow::dropEvent(QDropEvent* event) {
    const bool taken =
        event->mimeData() != nullptr &&
        handleDrop(MimeDragPasteboard(*event->mimeData()), context_.shelf, context_.clipboard);
    if (taken) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}
