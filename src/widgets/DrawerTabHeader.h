#pragma once

#include <QString>

class DrawerTextButton;
class QWidget;

// The strip across the top of a tab with one text action at its trailing edge ("Clear",
// "Clear All"). The header is a child of parent; the button is a child of the header.
struct DrawerTabHeader {
    QWidget* header;
    DrawerTextButton* button;
};

DrawerTabHeader makeDrawerTabHeader(const QString& buttonTitle, QWidget* parent);
