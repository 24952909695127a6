#pragma once

#include <QString>

#include <array>
#include <optional>

// The drawer's four tabs, in the order of the tab bar.
enum class DrawerTab { clipboard, shelf, notes, screenshots };

// Every tab, in tab-bar order.
inline constexpr std::array<DrawerTab, 4> allDrawerTabs{DrawerTab::clipboard, DrawerTab::shelf,
                                                        DrawerTab::notes, DrawerTab::screenshots};

// The tab's raw value, which is also its title.
QString rawValue(DrawerTab tab);
// The tab whose raw value is exactly this string (letter case counts); nothing otherwise.
std::optional<DrawerTab> drawerTabFromRawValue(const QString& rawValue);
// The name of the tab's symbol in the symbol catalogue.
QString icon(DrawerTab tab);
