#include "screenshots/ScreenshotSearch.h"

#include "panel/DrawerSearch.h"

namespace ScreenshotSearch {

QList<ScreenshotItem> filter(const QList<ScreenshotItem>& items, const QString& query) {
    const QStringList keys = DrawerSearch::queryKeys(query);
    if (keys.isEmpty()) {
        return items;
    }
    QList<ScreenshotItem> found;
    for (const ScreenshotItem& item : items) {
        if (DrawerSearch::matches(item.url().fileName(), keys)) {
            found.append(item);
        }
    }
    return found;
}

} // namespace ScreenshotSearch
