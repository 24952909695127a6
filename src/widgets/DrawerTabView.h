#pragma once

#include <QWidget>

// The view that fills the drawer's content area for one tab. Besides showing its model, a tab
// can be done with the drawer: an entry copied with Return closes it, so the program the user
// works in gets the keyboard back for the paste.
class DrawerTabView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

Q_SIGNALS:
    void closeRequested();
};
