#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// The MIME types under which the system's clipboard carries each kind of content.
namespace PasteboardType {
inline const QString string = QStringLiteral("text/plain");
inline const QString rtf = QStringLiteral("text/rtf");
inline const QString tiff = QStringLiteral("image/tiff");
inline const QString png = QStringLiteral("image/png");
inline const QString fileURL = QStringLiteral("text/uri-list");
// Offered beside file URLs so that file managers paste the files themselves.
inline const QString gnomeCopiedFiles = QStringLiteral("x-special/gnome-copied-files");
// Set by password managers on what they copy; "secret" asks clipboard histories to forget it.
inline const QString secretHint = QStringLiteral("x-kde-passwordManagerHint");
} // namespace PasteboardType

// The absolute file URLs of a text/uri-list, in order; other entries are left out.
QList<QUrl> fileURLsFromUriList(const QByteArray& list);

// The general pasteboard: the system clipboard. Its change count moves on every change of
// owner or content, including our own writes. Writes made between clearContents and commit
// together form one new clipboard content, which other programs see once commit returns. An
// image written under one image type is offered to other programs as PNG and TIFF as well,
// converted only when one of them asks; reading our own content back answers only what was
// written.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;

    virtual qint64 changeCount() const = 0;
    virtual QList<QString> types() const = 0;
    // The bytes offered for a type, or nothing when the type is absent or its transfer failed.
    virtual std::optional<QByteArray> dataForType(const QString& type) const = 0;
    // The text offered as plain text (in whatever encoding the owner offers it), or nothing.
    virtual std::optional<QString> stringForType(const QString& type) const = 0;
    // The file URLs on the pasteboard, in order; other URLs are left out.
    virtual QList<QUrl> readFileURLs() const = 0;

    // Empties the pasteboard and answers the new change count.
    virtual qint64 clearContents() = 0;
    virtual bool setString(const QString& string, const QString& type) = 0;
    virtual bool setData(const QByteArray& data, const QString& type) = 0;
    virtual bool writeFileURLs(const QList<QUrl>& urls) = 0;
    // Hands the writes made since clearContents to the system clipboard, before returning.
    virtual void commit() = 0;
};
