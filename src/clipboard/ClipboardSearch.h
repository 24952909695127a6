#pragma once

#include "clipboard/ClipboardItem.h"

#include <QList>
#include <QString>

// The clipboard tab's search: an entry matches on what a user would remember of it. Text and
// rich text match on their text, files on their names; an image has no text, so it matches
// only on the program it was copied from.
namespace ClipboardSearch {

bool matches(const ClipboardItem& item, const QString& query);

// The entries that match the query, in their order; all of them for an empty query.
QList<ClipboardItem> filter(const QList<ClipboardItem>& items, const QString& query);

} // namespace ClipboardSearch
