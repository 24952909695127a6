#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// The MIME types that drags between Linux programs carry.
namespace DragType {
inline const QString uriList = QStringLiteral("text/uri-list");
// A browser's link: the URL on the first line, its title on the second (UTF-16 or UTF-8).
inline const QString mozUrl = QStringLiteral("text/x-moz-url");
inline const QString utf8Text = QStringLiteral("text/plain;charset=utf-8");
inline const QString plainText = QStringLiteral("text/plain");
} // namespace DragType

// What is being dragged onto the program: the types the source offers and their bytes. The
// readers below turn them into what a drop is made of: a link, plain text, file URLs.
class DragPasteboard {
public:
    virtual ~DragPasteboard() = default;

    // The MIME types the source offers, as it names them.
    virtual QList<QString> types() const = 0;
    // The bytes offered under a type; nothing when the type is not offered or cannot be read.
    virtual std::optional<QByteArray> dataForType(const QString& type) const = 0;

    // The one link the drag carries: the first line of a browser's link, else the entry of a
    // URI list that holds exactly one (a list of several is a list of files, not a link).
    std::optional<QString> link() const;
    // The plain text of the drag.
    std::optional<QString> text() const;
    // The absolute file URLs of the URI list, in order; other entries are left out.
    QList<QUrl> fileURLs() const;
};
