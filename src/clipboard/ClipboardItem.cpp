#include "clipboard/ClipboardItem.h"

#include "clipboard/CanonicalEquivalence.h"
#include "clipboard/ClipboardLabels.h"

#include <QCoreApplication>

ClipboardContent::ClipboardContent(Payload payload)
    : payload_(std::move(payload)) {}

ClipboardContent ClipboardContent::text(const QString& string) {
    return ClipboardContent(Payload(std::in_place_index<0>, string));
}

ClipboardContent ClipboardContent::image(std::shared_ptr<const ClipboardImage> image) {
    return ClipboardContent(Payload(std::in_place_index<1>, std::move(image)));
}

ClipboardContent ClipboardContent::fileURL(const QUrl& url) {
    return ClipboardContent(Payload(std::in_place_index<2>, url));
}

ClipboardContent ClipboardContent::rtf(std::shared_ptr<const RichText> richText) {
    return ClipboardContent(Payload(std::in_place_index<3>, std::move(richText)));
}

QString ClipboardContent::textValue() const {
    const QString* s = std::get_if<0>(&payload_);
    return s != nullptr ? *s : QString();
}

std::shared_ptr<const ClipboardImage> ClipboardContent::imageValue() const {
    const auto* p = std::get_if<1>(&payload_);
    return p != nullptr ? *p : nullptr;
}

QUrl ClipboardContent::fileURLValue() const {
    const QUrl* u = std::get_if<2>(&payload_);
    return u != nullptr ? *u : QUrl();
}

std::shared_ptr<const RichText> ClipboardContent::rtfValue() const {
    const auto* p = std::get_if<3>(&payload_);
    return p != nullptr ? *p : nullptr;
}

bool ClipboardContent::operator==(const ClipboardContent& other) const {
    if (kind() != other.kind()) {
        return false;
    }
    switch (kind()) {
    case Kind::text:
        return canonicallyEqual(std::get<0>(payload_), std::get<0>(other.payload_));
    case Kind::image:
        return false;
    case Kind::fileURL:
        return std::get<2>(payload_) == std::get<2>(other.payload_);
    case Kind::rtf: {
        const auto& a = std::get<3>(payload_);
        const auto& b = std::get<3>(other.payload_);
        if (!a || !b) {
            return !a && !b;
        }
        return canonicallyEqual(a->string(), b->string());
    }
    }
    return false;
}

QString ClipboardContent::symbolName(Kind kind) {
    switch (kind) {
    case Kind::text:
        return QStringLiteral("doc.text");
    case Kind::image:
        return QStringLiteral("photo");
    case Kind::fileURL:
        return QStringLiteral("doc");
    case Kind::rtf:
        return QStringLiteral("doc.richtext");
    }
    return {};
}

QString ClipboardContent::kindName(Kind kind) {
    switch (kind) {
    case Kind::text:
        return QStringLiteral("text");
    case Kind::image:
        return QStringLiteral("image");
    case Kind::fileURL:
        return QStringLiteral("file");
    case Kind::rtf:
        return QStringLiteral("rtf");
    }
    return {};
}

ClipboardItem ClipboardItem::make(ClipboardContent content, const QDateTime& timestamp,
                                  std::optional<QString> sourceApp) {
    return ClipboardItem{QUuid::createUuid(), std::move(content), timestamp, std::move(sourceApp)};
}

bool ClipboardItem::operator==(const ClipboardItem& other) const {
    return id == other.id && content == other.content && timestamp == other.timestamp &&
           sourceApp == other.sourceApp;
}

QString ClipboardItem::preview() const {
    switch (content.kind()) {
    case ClipboardContent::Kind::text:
        return previewText(content.textValue());
    case ClipboardContent::Kind::rtf: {
        const auto rich = content.rtfValue();
        return rich ? previewText(rich->string()) : QString();
    }
    case ClipboardContent::Kind::image:
        return QCoreApplication::translate("ClipboardItem", "Image");
    case ClipboardContent::Kind::fileURL: {
        // A folder's URL may end in a slash; its name is still the last component.
        const QUrl url = content.fileURLValue().adjusted(QUrl::StripTrailingSlash);
        const QString name = url.fileName();
        return name.isEmpty() ? url.path() : name;
    }
    }
    return {};
}
