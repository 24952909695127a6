#pragma once

#include "clipboard/ClipboardItem.h"

#include "EncodedImage.h"

// Entries for the clipboard tests.

inline ClipboardContent textContent(const QString& s) {
    return ClipboardContent::text(s);
}

inline ClipboardContent rtfContent(const QByteArray& rtf) {
    return ClipboardContent::rtf(RichText::fromRTF(rtf));
}

inline ClipboardContent imageContent() {
    return ClipboardContent::image(ClipboardImage::fromData(encodedImage("png")));
}

inline ClipboardItem itemAt(const ClipboardContent& content, const QDateTime& when,
                            std::optional<QString> source = std::nullopt) {
    return ClipboardItem::make(content, when, std::move(source));
}
