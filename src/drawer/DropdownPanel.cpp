#include "drawer/DropdownPanel.h"

#include "drawer/DropHostingView.h"
#include "drawer/PanelContentView.h"
#include "panel/PanelNotifications.h"
#include "panel/PanelState.h"
#include "platform/NotificationCenter.h"
#include "platform/x11/X11Compositing.h"
#include "platform/x11/X11WindowState.h"
#include "widgets/DrawerStyle.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QParallelAnimationGroup>
#include <QPlainTextEdit>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QtMath>

namespace {

constexpr qreal topCornerRadius = 10;

// A key press that stands for a shortcut, or that gives no printable character, is left to the
// normal key handling and never becomes note text.
bool isNoteText(const QKeyEvent& event) {
    if ((event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
        return false;
    }
    const QString text = event.text();
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control) {
            return false;
        }
    }
    return true;
}

bool isTextField(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QTextEdit*>(widget) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(widget) != nullptr;
}

} // namespace

DropdownPanel::DropdownPanel(const DrawerContext& context, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , context_(context) {
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("Hodgebin"));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(smallestSize);
    resize(defaultSize);

    content_ = new PanelContentView(context_);
    connect(content_, &PanelContentView::closeRequested, this, &DropdownPanel::animateOut);
    host_ = new DropHostingView(context_, content_, this);
    connect(host_, &DropHostingView::dragEntered, this,
            [this] { context_.notifications.post(PanelNotifications::switchToFileShelf); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(host_);
    // The menu's shortcuts work wherever the keyboard is in the drawer.
    addActions(content_->actions());
    // Presses go to whichever widget of the drawer is under the pointer or has the keyboard.
    qApp->installEventFilter(this);
}

DropdownPanel::~DropdownPanel() = default;

void DropdownPanel::showBelow(const QRectF& anchor, const QList<QRectF>& keepClear) {
    QScreen* screen = QGuiApplication::screenAt(anchor.center().toPoint());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        // Below the top bar, centred under the anchor; a tray icon near a screen edge must not
        // push the drawer partly off that screen.
        const QRect area = screen->availableGeometry();
        int x = qRound(anchor.center().x() - width() / 2.0);
        x = qMax(area.left(), qMin(x, area.left() + area.width() - width()));
        int y = area.top();
        // Each drop can bring the drawer onto another of them; y only grows, so this ends.
        for (bool moved = true; moved;) {
            moved = false;
            for (const QRectF& clear : keepClear) {
                if (!clear.isEmpty() && QRectF(x, y, width(), height()).intersects(clear)) {
                    y = qCeil(clear.bottom());
                    moved = true;
                }
            }
        }
        move(x, y);
    }
    animateIn();
}

void DropdownPanel::animateIn(Activation activation) {
    // A hide still under way must not hide the drawer just shown.
    if (animation_ != nullptr) {
        animation_->stop();
    }
    setHiding(false);
    const QPoint place = pos();
    updateMask();
    setWindowOpacity(0.0);
    move(place.x(), place.y() - slideInDistance);
    if (isHidden()) {
        X11WindowState::skipTaskbarAndPager(this);
    }
    const bool takeKeyboard = activation == Activation::takeKeyboard;
    setAttribute(Qt::WA_ShowWithoutActivating, !takeKeyboard);
    show();
    raise();
    if (takeKeyboard) {
        activateWindow();
    }
    runAnimation(animateInDuration, true, place);
}

void DropdownPanel::animateOut() {
    if (animation_ != nullptr) {
        animation_->stop();
    }
    setHiding(true);
    runAnimation(animateOutDuration, false, QPoint(pos().x(), pos().y() - riseOutDistance));
}

void DropdownPanel::runAnimation(double seconds, bool in, const QPoint& to) {
    delete animation_;
    animation_ = new QParallelAnimationGroup(this);
    const QEasingCurve curve = in ? DrawerStyle::easeOut() : DrawerStyle::easeIn();
    auto* fade = new QPropertyAnimation(this, "windowOpacity", animation_);
    fade->setEndValue(in ? 1.0 : 0.0);
    auto* slide = new QPropertyAnimation(this, "pos", animation_);
    slide->setEndValue(to);
    for (QPropertyAnimation* part : {fade, slide}) {
        part->setDuration(int(seconds * 1000));
        part->setEasingCurve(curve);
    }
    if (!in) {
        connect(animation_, &QAbstractAnimation::finished, this, [this] {
            hide();
            setHiding(false);
            setWindowOpacity(1.0);
        });
    }
    animation_->start();
}

bool DropdownPanel::isHiding() const {
    return hiding_;
}

void DropdownPanel::setHiding(bool hiding) {
    hiding_ = hiding;
    if (isShown() != shownReported_) {
        shownReported_ = isShown();
        Q_EMIT shownChanged(shownReported_);
    }
}

bool DropdownPanel::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::KeyPress) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        Q_EMIT clickedInto();
    }
    return false;
}

void DropdownPanel::finishAnimation() {
    if (animation_ != nullptr && animation_->state() == QAbstractAnimation::Running) {
        animation_->setCurrentTime(animation_->totalDuration());
    }
}

void DropdownPanel::hideUnlessAttached() {
    // A window of the drawer's own (a menu, a dialog) keeps it open.
    for (const QWidget* child : findChildren<QWidget*>()) {
        if (child->isWindow() && child->isVisible()) {
            return;
        }
    }
    animateOut();
}

void DropdownPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) {
        return;
    }
    if (!isActiveWindow()) {
        if (isVisible() && !hiding_) {
            hideUnlessAttached();
        }
        Q_EMIT deactivated();
    }
}

void DropdownPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    setHiding(hiding_);
}

void DropdownPanel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    setHiding(false);
}

void DropdownPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        animateOut();
        return;
    }
    if (!isNoteText(*event) || isTextField(QApplication::focusWidget())) {
        QWidget::keyPressEvent(event);
        return;
    }
    context_.panelState.setPendingNoteText(event->text());
    context_.notifications.post(PanelNotifications::switchToNotes);
}

void DropdownPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateMask();
}

void DropdownPanel::updateMask() {
    // Without a compositor the translucent corners would show black: cut them off instead.
    // With one, the painted corners are smoother than a mask can be.
    if (X11Compositing::isActive()) {
        clearMask();
        return;
    }
    const QPainterPath shape =
        DrawerStyle::roundedRect(rect(), topCornerRadius, topCornerRadius, 0, 0);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
}
