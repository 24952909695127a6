#include "platform/DragPasteboard.h"

#include "platform/Pasteboard.h"

#include <QStringDecoder>

namespace {

// Browsers write their link type in UTF-16 (with or without a byte order mark); other programs
// in UTF-8. UTF-16 text of a URL has a zero byte in every pair.
QString decodeLinkText(const QByteArray& data) {
    if (data.startsWith("\xff\xfe") || data.startsWith("\xfe\xff")) {
        QStringDecoder decoder(QStringDecoder::Utf16);
        return decoder.decode(data);
    }
    if (data.size() >= 2 && data.size() % 2 == 0 && data.at(1) == '\0') {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        return decoder.decode(data);
    }
    return QString::fromUtf8(data);
}

QString firstLine(const QString& text) {
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    return end < 0 ? text : text.left(end);
}

} // namespace

std::optional<QString> DragPasteboard::link() const {
    if (const std::optional<QByteArray> moz = dataForType(DragType::mozUrl)) {
        const QString line = firstLine(decodeLinkText(*moz)).remove(QChar(0)).trimmed();
        if (!line.isEmpty()) {
            return line;
        }
    }
    if (const std::optional<QByteArray> list = dataForType(DragType::uriList)) {
        std::optional<QString> only;
        for (const QByteArray& raw : list->split('\n')) {
            const QByteArray entry = raw.trimmed();
            if (entry.isEmpty() || entry.startsWith('#')) {
                continue;
            }
            if (only) {
                return std::nullopt;
            }
            only = QString::fromUtf8(entry);
        }
        return only;
    }
    return std::nullopt;
}

std::optional<QString> DragPasteboard::text() const {
    for (const QString& type : {DragType::utf8Text, DragType::plainText}) {
        if (const std::optional<QByteArray> data = dataForType(type)) {
            return QString::fromUtf8(*data);
        }
    }
    return std::nullopt;
}

QList<QUrl> DragPasteboard::fileURLs() const {
    const std::optional<QByteArray> list = dataForType(DragType::uriList);
    return list ? fileURLsFromUriList(*list) : QList<QUrl>();
}
