#include "clipboard/ClipboardImage.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

namespace {
QString mimeTypeForFormat(const QByteArray& format) {
    if (format == "jpg" || format == "jpeg") {
        return QStringLiteral("image/jpeg");
    }
    if (format == "tif" || format == "tiff") {
        return QStringLiteral("image/tiff");
    }
    if (format == "svg") {
        return QStringLiteral("image/svg+xml");
    }
    return QStringLiteral("image/") + QString::fromLatin1(format);
}
} // namespace

ClipboardImage::ClipboardImage(QByteArray data, QByteArray format, QSize pixelSize)
    : data_(std::move(data))
    , format_(std::move(format))
    , mimeType_(mimeTypeForFormat(format_))
    , pixelSize_(pixelSize) {}

std::shared_ptr<const ClipboardImage> ClipboardImage::fromData(const QByteArray& data) {
    if (data.isEmpty()) {
        return nullptr;
    }
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // The format is told by the bytes, not by the type they were offered under.
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead()) {
        return nullptr;
    }
    const QByteArray format = reader.format();
    const QSize size = reader.size();
    if (format.isEmpty() || !size.isValid() || size.isEmpty()) {
        return nullptr;
    }
    return std::shared_ptr<const ClipboardImage>(new ClipboardImage(data, format, size));
}

std::pair<QString, QByteArray> ClipboardImage::clipboardData() const {
    const QString png = QStringLiteral("image/png");
    if (mimeType_ == png || mimeType_ == QStringLiteral("image/tiff")) {
        return {mimeType_, data_};
    }
    QByteArray source = data_;
    QBuffer input(&source);
    input.open(QIODevice::ReadOnly);
    const QImage image = QImageReader(&input, format_).read();
    QByteArray encoded;
    if (!image.isNull()) {
        QBuffer output(&encoded);
        output.open(QIODevice::WriteOnly);
        if (!QImageWriter(&output, "png").write(image)) {
            encoded.clear();
        }
    }
    return {png, encoded};
}

QImage ClipboardImage::thumbnail(const QSize& bounds) const {
    if (bounds.isEmpty()) {
        return {};
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (decodeFailed_) {
            return {};
        }
        if (!thumbnail_.isNull() && thumbnailBounds_ == bounds) {
            return thumbnail_;
        }
    }
    QSize target = pixelSize_.width() <= bounds.width() && pixelSize_.height() <= bounds.height()
                       ? pixelSize_
                       : pixelSize_.scaled(bounds, Qt::KeepAspectRatio);
    // A sliver (1 x 20,000 pixels) would scale to zero width: keep one pixel.
    target = target.expandedTo(QSize(1, 1));
    QByteArray bytes = data_;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format_);
    // Readers that can scale while decoding (JPEG, SVG) never build the full bitmap.
    if (reader.supportsOption(QImageIOHandler::ScaledSize)) {
        reader.setScaledSize(target);
    }
    QImage image = reader.read();
    if (!image.isNull() && image.size() != target) {
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    if (image.isNull()) {
        decodeFailed_ = true;
        return {};
    }
    thumbnail_ = image;
    thumbnailBounds_ = bounds;
    return thumbnail_;
}

QImage ClipboardImage::cachedThumbnail(const QSize& bounds) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return thumbnailBounds_ == bounds ? thumbnail_ : QImage();
}

bool ClipboardImage::isUnreadable() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return decodeFailed_;
}
