#include "platform/Pasteboard.h"

QList<QUrl> fileURLsFromUriList(const QByteArray& list) {
    QList<QUrl> urls;
    // One URI per line, lines starting with '#' are comments; file managers end lines with
    // CRLF or LF and do not always percent-encode.
    for (const QByteArray& line : list.split('\n')) {
        const QByteArray entry = line.trimmed();
        if (entry.isEmpty() || entry.startsWith('#')) {
            continue;
        }
        const QUrl url = QUrl::fromEncoded(entry, QUrl::TolerantMode);
        if (url.isValid() && url.isLocalFile() && url.path().startsWith(QLatin1Char('/'))) {
            urls.append(url);
        }
    }
    return urls;
}
