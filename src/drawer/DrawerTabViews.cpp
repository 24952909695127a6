#include "drawer/DrawerTabViews.h"

#include "clipboard/ClipboardHistoryView.h"
#include "notes/NotesView.h"
#include "screenshots/ScreenshotsView.h"
#include "shelf/FileShelfView.h"

QWidget* makeTabView(DrawerTab tab, const DrawerContext& context, QWidget* parent) {
    switch (tab) {
    case DrawerTab::clipboard:
        return new ClipboardHistoryView(context, parent);
    case DrawerTab::shelf:
        return new FileShelfView(context, parent);
    case DrawerTab::notes:
        return new NotesView(context, parent);
    case DrawerTab::screenshots:
        return new ScreenshotsView(context, parent);
    }
    return new QWidget(parent);
}
