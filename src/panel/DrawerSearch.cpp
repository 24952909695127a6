#include "panel/DrawerSearch.h"

#include <QRegularExpression>

namespace DrawerSearch {

QString key(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString stripped;
    stripped.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        switch (c.category()) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
            break;
        default:
            stripped.append(c);
        }
    }
    return stripped.toCaseFolded();
}

QStringList queryKeys(const QString& query) {
    static const QRegularExpression space(QStringLiteral("\\s+"));
    QStringList keys;
    for (const QString& word : query.split(space, Qt::SkipEmptyParts)) {
        keys.append(key(word));
    }
    return keys;
}

bool matches(const QString& text, const QStringList& keys) {
    if (keys.isEmpty()) {
        return true;
    }
    const QString haystack = key(text);
    for (const QString& k : keys) {
        if (!haystack.contains(k)) {
            return false;
        }
    }
    return true;
}

} // namespace DrawerSearch
