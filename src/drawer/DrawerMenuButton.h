#pragma once

#include <QWidget>

class QMenu;

// The small "⋯" button at the end of the tab bar that opens the drawer's menu. Reached with
// Tab like the tab buttons (a click does not take the keyboard); Space, Return or Down then
// open the menu.
class DrawerMenuButton final : public QWidget {
    Q_OBJECT
public:
    DrawerMenuButton(QMenu* menu, QWidget* parent = nullptr);

    QMenu* menu() const { return menu_; }
    void showMenu();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QMenu* menu_;
};
