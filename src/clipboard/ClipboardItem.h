#pragma once

#include "clipboard/ClipboardImage.h"
#include "clipboard/ClipboardLabels.h"
#include "clipboard/RichText.h"

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <memory>
#include <optional>
#include <variant>

// What one clipboard entry holds: exactly one of plain text, an image, a file URL or rich
// text. The image and rich-text payloads are shared by reference, never copied.
class ClipboardContent {
public:
    enum class Kind { text, image, fileURL, rtf };

    static ClipboardContent text(const QString& string);
    static ClipboardContent image(std::shared_ptr<const ClipboardImage> image);
    static ClipboardContent fileURL(const QUrl& url);
    static ClipboardContent rtf(std::shared_ptr<const RichText> richText);

    Kind kind() const { return Kind(payload_.index()); }

    // The payload of the matching kind; empty / null for any other kind.
    QString textValue() const;
    std::shared_ptr<const ClipboardImage> imageValue() const;
    QUrl fileURLValue() const;
    std::shared_ptr<const RichText> rtfValue() const;

    // Text compares by canonical equivalence, rich text by its plain text, file URLs by URL
    // equality; images are never equal, not even to themselves; different kinds never are.
    bool operator==(const ClipboardContent& other) const;

    // The name of the symbol shown for a kind of content.
    static QString symbolName(Kind kind);
    // The lower-case name of a kind: "text", "image", "file" or "rtf".
    static QString kindName(Kind kind);

private:
    using Payload = std::variant<QString, std::shared_ptr<const ClipboardImage>, QUrl,
                                 std::shared_ptr<const RichText>>;
    explicit ClipboardContent(Payload payload);
    Payload payload_;
};

// One entry of the clipboard history; never changed once made.
struct ClipboardItem {
    QUuid id;
    ClipboardContent content;
    QDateTime timestamp;
    std::optional<QString> sourceApp;

    // A new entry with a fresh identifier.
    static ClipboardItem make(ClipboardContent content, const QDateTime& timestamp,
                              std::optional<QString> sourceApp);

    // All four fields equal; an image entry is therefore unequal even to itself.
    bool operator==(const ClipboardItem& other) const;

    // The text a row shows for the entry.
    QString preview() const;
};
