#pragma once

#include "panel/DrawerContext.h"
#include "panel/DrawerTab.h"

class QWidget;

// The view that fills the content area for a tab. Made afresh whenever the tab becomes active;
// each view keeps its data in its model, so nothing is lost when it goes.
QWidget* makeTabView(DrawerTab tab, const DrawerContext& context, QWidget* parent);
