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

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

// A copy reads the whole file into memory; no screenshot comes near this.
constexpr qint64 maxCopyBytes = qint64(512) << 20;

// Reads a device forward in blocks, seeking over what need not be read.
class ForwardReader {
public:
    explicit ForwardReader(QIODevice& device)
        : device_(device) {}

    // The next byte, or -1 at the end.
    int get() {
        if (at_ == block_.size() && !refill()) {
            return -1;
        }
        return uchar(block_[at_++]);
    }
    bool skip(qint64 n) {
        const qint64 inBlock = block_.size() - at_;
        if (n <= inBlock) {
            at_ += qsizetype(n);
            return true;
        }
        const qint64 to = device_.pos() + (n - inBlock);
        block_.clear();
        at_ = 0;
        return to <= device_.size() && device_.seek(to);
    }
    // Moves to the next 0xFF byte without taking it; false when there is none.
    bool toNextFF() {
        while (true) {
            const char* from = block_.constData() + at_;
            const void* found = std::memchr(from, 0xFF, size_t(block_.size() - at_));
            if (found != nullptr) {
                at_ += static_cast<const char*>(found) - from;
                return true;
            }
            if (!refill()) {
                return false;
            }
        }
    }

private:
    bool refill() {
        block_ = device_.read(64 * 1024);
        at_ = 0;
        return !block_.isEmpty();
    }

    QIODevice& device_;
    QByteArray block_;
    qsizetype at_ = 0;
};

// The device's last bytes, its position left at the start.
QByteArray tailOf(QIODevice& device, qint64 length) {
    const qint64 size = device.size();
    QByteArray tail;
    if (size >= length && device.seek(size - length)) {
        tail = device.read(length);
    }
    device.seek(0);
    return tail;
}

// Chunk by chunk, by their lengths, up to the end chunk; at once when the file ends with it.
bool pngComplete(QIODevice& device) {
    if (tailOf(device, 12) == QByteArray("\0\0\0\0IEND\xAE\x42\x60\x82", 12)) {
        return true;
    }
    ForwardReader in(device);
    if (!in.skip(8)) {
        return false;
    }
    while (true) {
        quint32 length = 0;
        char type[4];
        for (int i = 0; i < 8; ++i) {
            const int c = in.get();
            if (c < 0) {
                return false;
            }
            if (i < 4) {
                length = (length << 8) | quint32(c);
            } else {
                type[i - 4] = char(c);
            }
        }
        if (std::memcmp(type, "IEND", 4) == 0) {
            return true;
        }
        // The data and the checksum.
        if (length > 0x7fffffffU || !in.skip(qint64(length) + 4)) {
            return false;
        }
    }
}

bool isRestartOrStandalone(int marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// Segment by segment, by their lengths (so the end marker of a thumbnail embedded in the
// metadata is passed over), and through each scan's coded data, up to the end marker. Coded data
// holds no end marker, so once the first scan has begun a file that ends with one is complete.
bool jpegComplete(QIODevice& device) {
    const bool endsWithEnd = tailOf(device, 2) == "\xFF\xD9";
    ForwardReader in(device);
    if (in.get() != 0xFF || in.get() != 0xD8) {
        return false;
    }
    // A marker the scan of coded data has already read.
    int pending = -1;
    while (true) {
        int marker = std::exchange(pending, -1);
        if (marker < 0) {
            if (in.get() != 0xFF) {
                return false;
            }
            marker = in.get();
        }
        while (marker == 0xFF) {
            marker = in.get();
        }
        if (marker < 0) {
            return false;
        }
        if (marker == 0xD9) {
            return true;
        }
        if (isRestartOrStandalone(marker)) {
            continue;
        }
        const int high = in.get();
        const int low = in.get();
        const int length = (high << 8) | low;
        if (low < 0 || length < 2 || !in.skip(length - 2)) {
            return false;
        }
        if (marker != 0xDA) {
            continue;
        }
        if (endsWithEnd) {
            return true;
        }
        // Coded data runs to the next 0xFF that is neither a stuffed zero nor a restart.
        while (pending < 0) {
            if (!in.toNextFF()) {
                return false;
            }
            in.get();
            int next = in.get();
            while (next == 0xFF) {
                next = in.get();
            }
            if (next < 0) {
                return false;
            }
            if (next != 0x00 && !isRestartOrStandalone(next)) {
                pending = next;
            }
        }
    }
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

ScreenshotItem::ScreenshotItem(QUuid id, QUrl url, QDateTime date, QString size)
    : id_(id)
    , url_(std::move(url))
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

bool ScreenshotItem::holdsCompletePicture(QIODevice& device) {
    // A PNG or JPEG cut short still decodes (the missing part grey), so one that is still being
    // written would be taken for complete. Other formats fail to decode when cut short.
    const QByteArray head = device.peek(8);
    bool complete = true;
    if (head.startsWith("\x89PNG\r\n\x1a\n")) {
        complete = pngComplete(device);
    } else if (head.startsWith("\xFF\xD8\xFF")) {
        complete = jpegComplete(device);
    }
    return device.seek(0) && complete;
}

std::optional<ScreenshotItem> ScreenshotItem::makeItem(const QUrl& url, const QDateTime& now) {
    if (!url.isLocalFile()) {
        return std::nullopt;
    }
    const QString path = url.toLocalFile();
    const std::unique_ptr<QFile> file = openRegularFile(path);
    if (!file || !holdsCompletePicture(*file)) {
        return std::nullopt;
    }
    // The header alone tells whether a decoder takes the file and how large the picture is.
    QImageReader reader(file.get());
    const QSize pictureSize = reader.size();
    if (!reader.canRead() || !pictureSize.isValid() || pictureSize.isEmpty()) {
        return std::nullopt;
    }
    QDateTime date = creationDate(QFileInfo(path));
    if (!date.isValid()) {
        date = now;
    }
    return ScreenshotItem(QUuid::createUuid(), QUrl::fromLocalFile(path), date, formattedSize(url));
}

QImage ScreenshotItem::makeThumbnail(const QUrl& url) {
    const std::unique_ptr<QFile> file = openRegularFile(url.toLocalFile());
    if (!file || !holdsCompletePicture(*file)) {
        return {};
    }
    QImageReader reader(file.get());
    reader.setAutoTransform(false);
    const auto fittedSize = [](QSize picture) {
        const QSizeF target = thumbnailRect(QSizeF(picture)).size();
        return QSize(std::max(1, int(std::ceil(target.width()))),
                     std::max(1, int(std::ceil(target.height()))));
    };
    const QSize pictureSize = reader.size();
    if (pictureSize.isValid() && !pictureSize.isEmpty() && reader.format() == "jpeg") {
        // Decoded straight to about the size it is shown at: JPEG scales while decoding.
        reader.setScaledSize(fittedSize(pictureSize));
        QImage picture;
        return reader.read(&picture) ? picture : QImage();
    }
    QImage picture;
    if (!reader.read(&picture) || picture.isNull()) {
        return {};
    }
    // Scaling works on one of these two; converting in place spares a second full copy.
    picture.convertTo(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                : QImage::Format_RGB32);
    return picture.scaled(fittedSize(picture.size()), Qt::IgnoreAspectRatio,
                          Qt::SmoothTransformation);
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
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    if (!holdsCompletePicture(buffer)) {
        return std::nullopt;
    }
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
    workspace.showInFileManager({item.url()});
}

void ScreenshotItem::open(const ScreenshotItem& item, Workspace& workspace) {
    workspace.openUrl(item.url());
}

std::unique_ptr<QMimeData> ScreenshotItem::dragPayload(const ScreenshotItem& item) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls({item.url()});
    return data;
}
