#pragma once

#include <QString>
#include <QStringList>

// How the drawer's search field compares texts: letter case and accents do not matter, so
// "cafe" finds "Café" and "ÉTÉ" finds "été". A query is made of words separated by white space,
// and a text matches when it holds every word.
namespace DrawerSearch {

// A text in the form in which it is compared: canonically decomposed, without its combining
// marks, case-folded.
QString key(const QString& text);

// The query's words, each as a key; none for a query of only white space.
QStringList queryKeys(const QString& query);

// Whether the text holds every one of the query keys (any text holds none).
bool matches(const QString& text, const QStringList& keys);

} // namespace DrawerSearch
