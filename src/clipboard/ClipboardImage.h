#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <memory>
#include <mutex>
#include <utility>

// An image as read from the clipboard. It keeps the encoded bytes and the pixel size read from
// their header; the pixels are decoded only when a thumbnail is first asked for, and only the
// thumbnail is kept, so a history of screen-sized images holds little more than their files.
// Immutable to its users, and shared by reference between copies of an entry.
class ClipboardImage {
public:
    // Nothing when the bytes are not an image that the installed image readers understand.
    static std::shared_ptr<const ClipboardImage> fromData(const QByteArray& data);

    const QByteArray& data() const { return data_; }
    // The clipboard type the bytes are in: "image/png", "image/tiff", ...
    const QString& mimeType() const { return mimeType_; }
    QSize pixelSize() const { return pixelSize_; }

    // The clipboard type and bytes to write the image back as: its own bytes when they are PNG
    // or TIFF, else the pixels encoded as PNG (the bytes were offered under one of those types
    // but are in another format). Empty bytes when the pixels cannot be read.
    std::pair<QString, QByteArray> clipboardData() const;

    // The image scaled to fit within the given size, keeping its aspect ratio, never enlarged
    // and never thinner than one pixel. Decoded once and remembered; a null image when the pixels
    // turn out to be unreadable. Safe to call from a worker thread while the main thread reads.
    QImage thumbnail(const QSize& bounds) const;
    // The thumbnail for these bounds if one was already made; never decodes.
    QImage cachedThumbnail(const QSize& bounds) const;
    // True once decoding was tried and the pixels could not be read.
    bool isUnreadable() const;

private:
    ClipboardImage(QByteArray data, QByteArray format, QSize pixelSize);

    QByteArray data_;
    QByteArray format_;
    QString mimeType_;
    QSize pixelSize_;
    // Guards the remembered thumbnail only; decoding runs outside it.
    mutable std::mutex mutex_;
    mutable QImage thumbnail_;
    mutable QSize thumbnailBounds_;
    mutable bool decodeFailed_ = false;
};
