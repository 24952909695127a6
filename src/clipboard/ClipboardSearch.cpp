#include "clipboard/ClipboardSearch.h"

#include "panel/DrawerSearch.h"

namespace {

QString searchedText(const ClipboardItem& item) {
    switch (item.content.kind()) {
    case ClipboardContent::Kind::text:
        return item.content.textValue();
    case ClipboardContent::Kind::rtf: {
        const auto rich = item.content.rtfValue();
        return rich ? rich->string() : QString();
    }
    case ClipboardContent::Kind::fileURL:
        return item.preview();
    case ClipboardContent::Kind::image:
        return item.sourceApp.value_or(QString());
    }
    return {};
}

bool matchesKeys(const ClipboardItem& item, const QStringList& keys) {
    return keys.isEmpty() || DrawerSearch::matches(searchedText(item), keys);
}

} // namespace

namespace ClipboardSearch {

bool matches(const ClipboardItem& item, const QString& query) {
    return matchesKeys(item, DrawerSearch::queryKeys(query));
}

QList<ClipboardItem> filter(const QList<ClipboardItem>& items, const QString& query) {
    const QStringList keys = DrawerSearch::queryKeys(query);
    if (keys.isEmpty()) {
        return items;
    }
    QList<ClipboardItem> found;
    for (const ClipboardItem& item : items) {
        if (matchesKeys(item, keys)) {
            found.append(item);
        }
    }
    return found;
}

} // namespace ClipboardSearch
