#include "panel/DrawerTab.h"

QString rawValue(DrawerTab tab) {
    switch (tab) {
    case DrawerTab::clipboard:
        return QStringLiteral("Clips");
    case DrawerTab::shelf:
        return QStringLiteral("Shelf");
    case DrawerTab::notes:
        return QStringLiteral("Notes");
    case DrawerTab::screenshots:
        return QStringLiteral("Shots");
    }
    return {};
}

std::optional<DrawerTab> drawerTabFromRawValue(const QString& value) {
    for (DrawerTab tab : allDrawerTabs) {
        if (rawValue(tab) == value) {
            return tab;
        }
    }
    return std::nullopt;
}

QString icon(DrawerTab tab) {
    switch (tab) {
    case DrawerTab::clipboard:
        return QStringLiteral("doc.on.clipboard");
    case DrawerTab::shelf:
        return QStringLiteral("tray.full");
    case DrawerTab::notes:
        return QStringLiteral("note.text");
    case DrawerTab::screenshots:
        return QStringLiteral("camera.viewfinder");
    }
    return {};
}
