#include "screenshots/ScreenshotItem.h"

#include "platform/Pasteboard.h"
#include "platform/RegularFile.h"
#include "platform/Workspace.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// A copy reads the whole file into memory; no screenshot comes near this.
constexpr qint64 maxCopyBytes = qint64(512) << 20;
// A JPEG ends with its end-of-image marker; a writer may pad a little after it.
constexpr qint64 jpegTailLength = 64;

bool isJpeg(const QByteArray& head) {
    return head.startsWith("\xFF\xD8\xFF");
}

bool hasJpegEnd(const QByteArray& tail) {
    return tail.contains("\xFF\xD9");
}

// A JPEG cut short still decodes (the missing part grey), so one that is still being written
// would be taken for complete; it is only taken once its end marker is there. Other formats
// fail to decode when cut short.
bool looksComplete(QFile& file) {
    if (!isJpeg(file.peek(3))) {
        return true;
    }
    const qint64 size = file.size();
    const qint64 length = std::min(size, jpegTailLength);
    bool complete = false;
    if (file.seek(size - length)) {
        complete = hasJpegEnd(file.read(length));
    }
    return file.seek(0) && complete;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (qstrcmp(format, "tiff") == 0) {
        // LZW: screen pictures shrink a lot, and programs reading TIFF all understand it.
        writer.setCompression(1);
    }
    return writer.write(image) ? bytes : QByteArray();
}

} // namespace

ScreenshotItem::ScreenshotItem(QUuid id, QUrl url, QImage thumbnail, QDateTime date, QString size)
    : id_(id)
    , url_(std::move(url))
    , thumbnail_(std::move(thumbnail))
    , date_(std::move(date))
    , size_(std::move(size)) {}

QRectF ScreenshotItem::thumbnailRect(const QSizeF& pictureSize) {
    const double side = thumbnailSide;
    const double aspect = pictureSize.width() / pictureSize.height();
    if (aspect > 1) {
        const double height = side / aspect;
        return QRectF(0, (side - height) * 0.5, side, height);
    }
    const double width = side * aspect;
    return QRectF((side - width) * 0.5, 0, width, side);
}

std::optional<ScreenshotItem> ScreenshotItem::makeItem(const QUrl& url, const QDateTime& now) {
    if (!url.isLocalFile()) {
        return std::nullopt;
    }
    const QString path = url.toLocalFile();
    const std::unique_ptr<QFile> file = openRegularFile(path);
    if (!file || !looksComplete(*file)) {
        return std::nullopt;
    }

    QImageReader reader(file.get());
    reader.setAutoTransform(false);
    QSize pictureSize = reader.size();
    QImage picture;
    if (pictureSize.isValid() && !pictureSize.isEmpty()) {
        // Decoded straight to the size it is drawn at, so the full picture is never kept.
        const QRectF target = thumbnailRect(QSizeF(pictureSize));
        reader.setScaledSize(QSize(std::max(1, int(std::ceil(target.width()))),
                                   std::max(1, int(std::ceil(target.height())))));
        if (!reader.read(&picture)) {
            return std::nullopt;
        }
    } else {
        // A format that cannot tell its size up front is decoded whole, this once.
        if (!reader.read(&picture)) {
            return std::nullopt;
        }
        pictureSize = picture.size();
    }
    if (picture.isNull() || pictureSize.isEmpty()) {
        return std::nullopt;
    }

    QImage thumbnail(thumbnailSide, thumbnailSide, QImage::Format_ARGB32_Premultiplied);
    thumbnail.fill(Qt::transparent);
    {
        QPainter painter(&thumbnail);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(thumbnailRect(QSizeF(pictureSize)), picture);
    }

    QDateTime date = creationDate(QFileInfo(path));
    if (!date.isValid()) {
        date = now;
    }
    return ScreenshotItem(QUuid::createUuid(), QUrl::fromLocalFile(path), std::move(thumbnail),
                          date, formattedSize(url));
}

QDateTime ScreenshotItem::creationDate(const QFileInfo& info) {
    const QDateTime birth = info.birthTime();
    if (birth.isValid()) {
        return birth;
    }
    // Some file systems keep no birth time; a screenshot is written once, so its
    // modification date is when it was made.
    return info.lastModified();
}

QString ScreenshotItem::formattedSize(const QUrl& url) {
    if (!url.isLocalFile()) {
        return QString();
    }
    const QFileInfo info(url.toLocalFile());
    if (!info.exists()) {
        return QString();
    }
    const qint64 n = info.size();
    if (n < 0) {
        return QString();
    }
    if (n <= 1023) {
        return QCoreApplication::translate("ScreenshotItem", "%1 B").arg(n);
    }
    if (n <= 1048575) {
        return QCoreApplication::translate("ScreenshotItem", "%1 KB").arg(n / 1024);
    }
    return QCoreApplication::translate("ScreenshotItem", "%1 MB")
        .arg(QString::asprintf("%.1f", double(n) / 1048576.0));
}

QString ScreenshotItem::ageLabel(const QDateTime& date, const QDateTime& now) {
    // Whole seconds, truncated toward zero; a date in the future reads "now".
    const qint64 s = date.msecsTo(now) / 1000;
    if (s < 5) {
        return QCoreApplication::translate("ScreenshotItem", "now");
    }
    if (s <= 59) {
        return QCoreApplication::translate("ScreenshotItem", "%1s ago").arg(s);
    }
    if (s <= 3599) {
        return QCoreApplication::translate("ScreenshotItem", "%1m ago").arg(s / 60);
    }
    if (s <= 86399) {
        return QCoreApplication::translate("ScreenshotItem", "%1h ago").arg(s / 3600);
    }
    return QCoreApplication::translate("ScreenshotItem", "%1d ago").arg(s / 86400);
}

std::optional<QByteArray> ScreenshotItem::imageForCopy(const QUrl& url) {
    const std::unique_ptr<QFile> file = openRegularFile(url.toLocalFile());
    if (!file || file->size() > maxCopyBytes) {
        return std::nullopt;
    }
    QByteArray bytes = file->read(maxCopyBytes);
    if (isJpeg(bytes) && !hasJpegEnd(bytes.right(jpegTailLength))) {
        return std::nullopt;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    // Asked before reading: afterwards the reader looks at what is left of the bytes.
    const QByteArray format = reader.format();
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return std::nullopt;
    }
    // A PNG file goes on as it is, anything else as PNG; the pasteboard offers TIFF from it to
    // whoever asks, so a large picture is not encoded twice up front.
    const QByteArray png = format == "png" ? bytes : encoded(image, "png");
    if (png.isEmpty()) {
        return std::nullopt;
    }
    return png;
}

void ScreenshotItem::writeImage(const QByteArray& png, Pasteboard& pasteboard) {
    pasteboard.clearContents();
    pasteboard.setData(png, PasteboardType::png);
    pasteboard.commit();
}

bool ScreenshotItem::copyImage(const ScreenshotItem& item, Pasteboard& pasteboard) {
    const std::optional<QByteArray> png = imageForCopy(item.url());
    if (!png) {
        return false;
    }
    writeImage(*png, pasteboard);
    return true;
}

void ScreenshotItem::reveal(const ScreenshotItem& item, Workspace& workspace) {
    workspace.activateFileViewerSelectingURLs({item.url()});
}

void ScreenshotItem::open(const ScreenshotItem& item, Workspace& workspace) {
    workspace.openURL(item.url());
}

std::unique_ptr<QMimeData> ScreenshotItem::dragPayload(const ScreenshotItem& item) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls({item.url()});
    return data;
}
