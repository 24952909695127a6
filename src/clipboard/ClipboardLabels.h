#pragma once

#include <QDateTime>
#include <QString>

// The texts a clipboard row shows beside an entry.

// Trims white space and line breaks at both ends and shows at most 120 user-perceived
// characters, followed by "…" when there were more.
QString previewText(const QString& text);

// The short age of a date seen from now: "now", "42s", "12m", "49h".
QString timeAgo(const QDateTime& date, const QDateTime& now);
