#pragma once

#include "clipboard/ClipboardItem.h"

#include <QBuffer>
#include <QImage>

// Small encoded images and entries for the clipboard tests.
inline QByteArray encodedImage(const char* format, QSize size = {4, 3}, QColor color = Qt::red) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

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
