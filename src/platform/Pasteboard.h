#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
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

// What the clipboard offers at one moment, as a reader sees it: each read asks its owner anew.
class PasteboardContents {
public:
    virtual ~PasteboardContents() = default;

    virtual QList<QString> types() const = 0;
    // The bytes offered for a type, or nothing when the type is absent or its transfer failed.
    virtual std::optional<QByteArray> dataForType(const QString& type) const = 0;
    // The text offered as plain text (in whatever encoding the owner offers it), or nothing.
    virtual std::optional<QString> stringForType(const QString& type) const = 0;
    // The file URLs on the pasteboard, in order; other URLs are left out.
    virtual QList<QUrl> readFileURLs() const = 0;
    // The name of the program that put the contents there; nothing when its owner tells nothing.
    virtual std::optional<QString> ownerName() const { return std::nullopt; }
};

// The general pasteboard: the system clipboard. Its change count moves on every change of
// owner or content, including our own writes, and each move is announced to the observer.
// Writes made between clearContents and commit together form one new clipboard content, which
// other programs see once commit returns. An image written under one image type is offered to
// other programs as PNG and TIFF as well.
//
// The contents are read off the main thread, since another program may take long to send them
// or never do: `read` runs on a worker against the clipboard's contents and `done` then runs on
// the main thread. Reads run one at a time, and their completions come in the order asked. Once
// the clipboard has changed again, a read gets nothing more from it (a transfer already under
// way is finished): the content it was asked for is gone, and asking would fetch the next one.
class Pasteboard {
public:
    using Read = std::function<void(const PasteboardContents&)>;

    virtual ~Pasteboard() = default;

    virtual qint64 changeCount() const = 0;
    // Called on the main thread whenever the change count moves; one observer at a time.
    virtual void observeChanges(std::function<void()> changed) = 0;
    virtual void readContents(Read read, std::function<void()> done) = 0;

    // Empties the pasteboard and answers the new change count.
    virtual qint64 clearContents() = 0;
    virtual bool setString(const QString& string, const QString& type) = 0;
    virtual bool setData(const QByteArray& data, const QString& type) = 0;
    virtual bool writeFileURLs(const QList<QUrl>& urls) = 0;
    // Hands the writes made since clearContents to the system clipboard, before returning.
    virtual void commit() = 0;
};
