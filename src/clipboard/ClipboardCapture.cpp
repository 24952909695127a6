#include "clipboard/ClipboardCapture.h"

#include "platform/Pasteboard.h"

namespace {

bool isBlank(const QString& s) {
    for (const QChar ch : s) {
        if (!ch.isSpace()) {
            return false;
        }
    }
    return true;
}

std::shared_ptr<const ClipboardImage> readImage(const PasteboardContents& pasteboard,
                                                const QString& type) {
    const std::optional<QByteArray> data = pasteboard.dataForType(type);
    if (!data || data->isEmpty()) {
        return nullptr;
    }
    return ClipboardImage::fromData(*data);
}

} // namespace

std::optional<ClipboardContent> readContent(const PasteboardContents& pasteboard) {
    const QList<QUrl> urls = pasteboard.readFileURLs();
    if (!urls.isEmpty()) {
        return ClipboardContent::fileURL(urls.first());
    }
    // PNG before TIFF: Linux programs offer the same picture in both, and their TIFF is
    // uncompressed, as large as the bitmap itself. Undecodable bytes fall through to the other.
    for (const QString& type : {PasteboardType::png, PasteboardType::tiff}) {
        if (auto image = readImage(pasteboard, type)) {
            return ClipboardContent::image(std::move(image));
        }
    }
    if (const std::optional<QByteArray> rtf = pasteboard.dataForType(PasteboardType::rtf)) {
        if (auto rich = RichText::fromRTF(*rtf); rich && !isBlank(rich->string())) {
            return ClipboardContent::rtf(std::move(rich));
        }
    }
    if (const std::optional<QString> text = pasteboard.stringForType(PasteboardType::string)) {
        if (!isBlank(*text)) {
            return ClipboardContent::text(*text);
        }
    }
    return std::nullopt;
}

bool isMarkedSecret(const PasteboardContents& pasteboard) {
    const std::optional<QByteArray> hint = pasteboard.dataForType(PasteboardType::secretHint);
    return hint && hint->trimmed() == "secret";
}
