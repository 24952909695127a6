#pragma once

#include "screenshots/ScreenshotItem.h"

#include <QList>
#include <QString>

// The screenshots tab's search: a screenshot matches on its file name, whatever the letter case
// and accents.
namespace ScreenshotSearch {

// The screenshots that match the query, in their order; all of them for an empty query.
QList<ScreenshotItem> filter(const QList<ScreenshotItem>& items, const QString& query);

} // namespace ScreenshotSearch
