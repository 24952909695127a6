#include "drawer/PanelContentView.h"

#include "drawer/CopiedBadge.h"
#include "drawer/DrawerMenuButton.h"
#include "drawer/DrawerTabViews.h"
#include "drawer/TabBarAccessibility.h"
#include "drawer/TabButton.h"
#include "panel/PanelNotifications.h"
#include "panel/PanelState.h"
#include "platform/NotificationCenter.h"
#include "screenshots/ScreenshotManager.h"
#include "widgets/DrawerStyle.h"
#include "widgets/DrawerTabView.h"
#include "widgets/FadingSnapshot.h"
#include "widgets/SymbolCatalogue.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr qreal topCornerRadius = 10;
constexpr int barPaddingX = 8;
constexpr int barPaddingTop = 8;
constexpr int barPaddingBottom = 4;

QString menuStyleSheet() {
    return QStringLiteral(
        "QMenu { background: #2e2e30; border: 1px solid rgba(255,255,255,0.12); "
        "border-radius: 6px; padding: 4px; color: rgba(255,255,255,0.9); font-size: 12px; }"
        "QMenu::item { padding: 5px 18px 5px 10px; border-radius: 4px; }"
        "QMenu::item:selected { background: rgba(255,255,255,0.12); }"
        "QMenu::separator { height: 1px; background: rgba(255,255,255,0.1); margin: 4px 6px; }");
}

} // namespace

PanelContentView::PanelContentView(const DrawerContext& context, QWidget* parent)
    : QWidget(parent)
    , context_(context)
    , tabBar_(new QWidget(this))
    , settingsAction_(new QAction(tr("Settings…"), this))
    , quitAction_(new QAction(tr("Quit Hodgebin"), this))
    , slot_(new QWidget(this))
    , slotLayout_(new QVBoxLayout(slot_)) {
    setAttribute(Qt::WA_StyledBackground, false);
    TabBarAccessibility::install();
    settingsAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    quitAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    for (QAction* action : {settingsAction_, quitAction_}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }

    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_TranslucentBackground);
    menu->setWindowFlag(Qt::FramelessWindowHint);
    menu->setStyleSheet(menuStyleSheet());
    menu->addAction(settingsAction_);
    menu->addSeparator();
    menu->addAction(quitAction_);

    addTabKeys();

    tabBar_->setObjectName(QStringLiteral("hodgebinTabBar"));
    tabBar_->setAccessibleName(tr("Tabs"));
    auto* bar = new QHBoxLayout(tabBar_);
    bar->setContentsMargins(barPaddingX, barPaddingTop, barPaddingX, barPaddingBottom);
    bar->setSpacing(0);
    for (DrawerTab tab : allDrawerTabs) {
        auto* button = new TabButton(rawValue(tab), icon(tab), tabBar_);
        button->setActive(tab == activeTab_, false);
        connect(button, &QAbstractButton::clicked, this, [this, tab] { setActiveTab(tab, true); });
        connect(button, &TabButton::stepRequested, this, [this, tab](int step) {
            const DrawerTab next = stepped(tab, step);
            setActiveTab(next, true);
            tabButton(next)->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        });
        bar->addWidget(button, 1);
        buttons_[size_t(tab)] = button;
    }
    menuButton_ = new DrawerMenuButton(menu, tabBar_);
    bar->addSpacing(2);
    bar->addWidget(menuButton_);

    auto* divider = new QWidget(this);
    divider->setFixedHeight(1);
    divider->setAutoFillBackground(true);
    QPalette dividerPalette = divider->palette();
    // A faint line: the separator colour at 0.3 of its own strength.
    QColor dividerColour = DrawerStyle::separator();
    dividerColour.setAlphaF(dividerColour.alphaF() * 0.3f);
    dividerPalette.setColor(QPalette::Window, dividerColour);
    divider->setPalette(dividerPalette);

    slotLayout_->setContentsMargins(0, 0, 0, 0);
    slotLayout_->setSpacing(0);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(tabBar_);
    column->addWidget(divider);
    column->addWidget(slot_, 1);

    badge_ = new CopiedBadge(context_.panelState, this);

    context_.notifications.addObserver(PanelNotifications::switchToNotes, this,
                                       [this] { setActiveTab(DrawerTab::notes, true); });
    context_.notifications.addObserver(PanelNotifications::switchToFileShelf, this,
                                       [this] { setActiveTab(DrawerTab::shelf, true); });

    buildActiveView(false);
}

PanelContentView::~PanelContentView() = default;

TabButton* PanelContentView::tabButton(DrawerTab tab) const {
    return buttons_[size_t(tab)];
}

void PanelContentView::setActiveTab(DrawerTab tab, bool animated) {
    if (tab == activeTab_) {
        return;
    }
    activeTab_ = tab;
    for (DrawerTab t : allDrawerTabs) {
        tabButton(t)->setActive(t == tab, animated);
    }
    buildActiveView(animated);
    if (isVisible()) {
        clearUnseenScreenshots();
    }
    Q_EMIT activeTabChanged(tab);
}

void PanelContentView::addTabKeys() {
    // Ctrl+1 … Ctrl+4 for the tabs in their order, Ctrl+Tab and Ctrl+Shift+Tab to the next and
    // the previous one, wherever the keyboard is in the drawer.
    auto add = [this](const QList<QKeySequence>& keys, const std::function<void()>& run) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, run);
        addAction(action);
    };
    int number = 1;
    for (DrawerTab tab : allDrawerTabs) {
        add({QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + number))},
            [this, tab] { switchTabByKeys(tab); });
        ++number;
    }
    add({QKeySequence(Qt::CTRL | Qt::Key_Tab)},
        [this] { switchTabByKeys(stepped(activeTab_, 1)); });
    add({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)},
        [this] { switchTabByKeys(stepped(activeTab_, -1)); });
}

DrawerTab PanelContentView::stepped(DrawerTab tab, int step) {
    const int count = int(allDrawerTabs.size());
    return allDrawerTabs[size_t(((int(tab) + step) % count + count) % count)];
}

void PanelContentView::switchTabByKeys(DrawerTab tab) {
    setActiveTab(tab, true);
    focusActiveView();
}

void PanelContentView::focusActiveView() {
    // The notes tab may have put the keyboard in a line of its own accord already.
    const QWidget* focus = window()->focusWidget();
    if (activeView_ != nullptr && (focus == nullptr || !activeView_->isAncestorOf(focus))) {
        activeView_->setFocus(Qt::OtherFocusReason);
    }
}

void PanelContentView::buildActiveView(bool animated) {
    const QWidget* focus = QApplication::focusWidget();
    const bool focusInView = activeView_ != nullptr && focus != nullptr &&
                             (focus == activeView_ || activeView_->isAncestorOf(focus));
    if (leavingTab_) {
        leavingTab_->finish();
    }
    if (animated && activeView_ != nullptr && isVisible()) {
        // The tab that is left fades out over the new one, which is in place at once.
        leavingTab_ =
            FadingSnapshot::cover(activeView_, DrawerStyle::background(), this, slot_->geometry(),
                                  TabButton::switchAnimationDuration, DrawerStyle::easeInOut());
    }
    if (activeView_ != nullptr) {
        // The old view may be the one whose event led here; let it finish first.
        activeView_->hide();
        slotLayout_->removeWidget(activeView_);
        activeView_->deleteLater();
    }
    activeView_ = makeTabView(activeTab_, context_, slot_);
    if (auto* tabView = qobject_cast<DrawerTabView*>(activeView_)) {
        connect(tabView, &DrawerTabView::closeRequested, this, &PanelContentView::closeRequested);
    }
    slotLayout_->addWidget(activeView_);
    activeView_->show();
    badge_->raise();
    if (focusInView) {
        focusActiveView();
    }
}

void PanelContentView::clearUnseenScreenshots() {
    if (activeTab_ == DrawerTab::screenshots && context_.screenshots.unseenCount() != 0) {
        context_.screenshots.setUnseenCount(0);
    }
}

void PanelContentView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (const std::optional<DrawerTab> requested = context_.panelState.requestedTab()) {
        setActiveTab(*requested, false);
        context_.panelState.setRequestedTab(std::nullopt);
    }
    clearUnseenScreenshots();
    // The drawer opens with the keyboard in its tab, ready for the arrows.
    const QWidget* focus = window()->focusWidget();
    if (focus == nullptr || focus == window() || !isAncestorOf(focus) || !focus->isVisible()) {
        focusActiveView();
    }
}

void PanelContentView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize badgeSize = badge_->sizeHint();
    badge_->setGeometry(QRect(
        QPoint((width() - badgeSize.width()) / 2, (height() - badgeSize.height()) / 2), badgeSize));
}

void PanelContentView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape =
        DrawerStyle::roundedRect(rect(), topCornerRadius, topCornerRadius, 0, 0);
    painter.setClipPath(shape);
    painter.fillRect(rect(), DrawerStyle::background());
    painter.fillRect(tabBar_->geometry(), DrawerStyle::tabBarBackground());
}
