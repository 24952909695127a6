#pragma once

#include "panel/DrawerContext.h"

#include <QList>
#include <QRectF>
#include <QSize>
#include <QWidget>

class DropHostingView;
class PanelContentView;
class QParallelAnimationGroup;

// The drawer: a frameless, translucent, stay-on-top tool window that drops down from the top of
// the screen. It takes the keyboard without giving the program a taskbar entry, hides itself
// when it loses the keyboard (unless a window of its own is open over it), and turns typing
// that no text field takes into a new note.
class DropdownPanel final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize defaultSize{380, 460};
    static constexpr QSize smallestSize{300, 300};
    static constexpr double animateInDuration = 0.18;
    static constexpr double animateOutDuration = 0.12;
    // How far the drawer slides down while appearing and rises while leaving.
    static constexpr int slideInDistance = 8;
    static constexpr int riseOutDistance = 6;

    explicit DropdownPanel(const DrawerContext& context, QWidget* parent = nullptr);
    ~DropdownPanel() override;

    // Centres the drawer under the anchor (the tray icon), just below the screen's top bar,
    // kept inside that screen, and animates it in. keepClear are places the drawer must not
    // cover, such as the pill (which stays above every window) and the tray icon itself: the
    // drawer drops below any of them it would overlap.
    void showBelow(const QRectF& anchor, const QList<QRectF>& keepClear = {});
    // Whether showing takes the keyboard. A drawer opened by hovering the notch leaves it with
    // the program the user works in until the user clicks into the drawer.
    enum class Activation { takeKeyboard, keepFocus };
    // Shows the drawer from where it stands: fading in while sliding down into place. Cancels a
    // hide still under way.
    void animateIn(Activation activation = Activation::takeKeyboard);
    // Fades the drawer out while it rises, then hides it and makes it opaque again.
    void animateOut();
    // On losing the keyboard: hides unless a window of the drawer's own is open.
    void hideUnlessAttached();
    // True from animateOut until the drawer is hidden.
    bool isHiding() const;
    // Visible and not on its way out: a drawer fading out already counts as closed.
    bool isShown() const { return isVisible() && !hiding_; }
    // Brings a running animation to its end state at once.
    void finishAnimation();

    PanelContentView* content() const { return content_; }
    DropHostingView* hostingView() const { return host_; }

Q_SIGNALS:
    // The user pressed a button on the drawer or typed into it. Having the keyboard alone says
    // nothing: some window managers hand it to a drawer shown without activation.
    void clickedInto();
    // The drawer stopped being the active window. Its own reaction (hiding) runs first.
    void deactivated();
    // isShown() changed: the drawer started showing, or started hiding.
    void shownChanged(bool shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void runAnimation(double seconds, bool in, const QPoint& to);
    void setHiding(bool hiding);
    void updateMask();

    DrawerContext context_;
    PanelContentView* content_;
    DropHostingView* host_;
    QParallelAnimationGroup* animation_ = nullptr;
    bool hiding_ = false;
    bool shownReported_ = false;
};
