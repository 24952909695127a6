#pragma once

#include "panel/DrawerContext.h"
#include "panel/DrawerTab.h"
#include "widgets/FadingSnapshot.h"

#include <QPointer>
#include <QWidget>

#include <array>

class CopiedBadge;
class QAction;
class QVBoxLayout;
class TabButton;

// The drawer's content: the tab bar across the top, a thin divider, and the active tab's view
// below, with the "Copied" badge over everything while it flashes. It switches tabs from its
// buttons, from the two tab-switch notifications, and from a tab requested through the panel
// state, which it takes each time it comes on screen. Ctrl+1 … Ctrl+4 and Ctrl+(Shift+)Tab switch
// tabs from the keyboard, and the keyboard starts in the active tab.
class PanelContentView final : public QWidget {
    Q_OBJECT
public:
    explicit PanelContentView(const DrawerContext& context, QWidget* parent = nullptr);
    ~PanelContentView() override;

    DrawerTab activeTab() const { return activeTab_; }
    // Makes the tab active, building its view afresh; nothing when it already is active.
    void setActiveTab(DrawerTab tab, bool animated);

    // The entries of the drawer's menu; the owner connects them to the program.
    QAction* settingsAction() const { return settingsAction_; }
    QAction* quitAction() const { return quitAction_; }

    TabButton* tabButton(DrawerTab tab) const;
    QWidget* menuButton() const { return menuButton_; }
    QWidget* activeTabView() const { return activeView_; }
    CopiedBadge* badge() const { return badge_; }
    // The picture of the tab that was left, fading out over the new one; none once it has gone.
    FadingSnapshot* leavingTab() const { return leavingTab_; }

Q_SIGNALS:
    void activeTabChanged(DrawerTab tab);
    // A tab asked for the drawer to close (after a copy, for one).
    void closeRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildActiveView(bool animated);
    void addTabKeys();
    void switchTabByKeys(DrawerTab tab);
    void focusActiveView();
    static DrawerTab stepped(DrawerTab tab, int step);
    void clearUnseenScreenshots();

    DrawerContext context_;
    DrawerTab activeTab_ = DrawerTab::clipboard;
    QWidget* tabBar_;
    std::array<TabButton*, allDrawerTabs.size()> buttons_{};
    QWidget* menuButton_;
    QAction* settingsAction_;
    QAction* quitAction_;
    QWidget* slot_;
    QVBoxLayout* slotLayout_;
    QWidget* activeView_ = nullptr;
    CopiedBadge* badge_;
    QPointer<FadingSnapshot> leavingTab_;
};
