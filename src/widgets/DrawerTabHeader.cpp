#include "widgets/DrawerTabHeader.h"

#include "widgets/DrawerStyle.h"
#include "widgets/DrawerTextButton.h"

#include <QHBoxLayout>
#include <QWidget>

DrawerTabHeader makeDrawerTabHeader(const QString& buttonTitle, QWidget* parent) {
    auto* header = new QWidget(parent);
    header->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(12, 6, 12, 6);
    layout->addStretch(1);
    auto* button = new DrawerTextButton(buttonTitle, DrawerStyle::font(10, QFont::Medium),
                                        DrawerStyle::white(0.3), header);
    layout->addWidget(button);
    return {header, button};
}
