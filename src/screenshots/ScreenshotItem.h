#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <memory>
#include <optional>

class Pasteboard;
class QFileInfo;
class QIODevice;
class QMimeData;
class Workspace;

// One screenshot file, as the screenshots tab shows it. An immutable value: two items built
// from the same file are still two items, told apart by their id. It is cheap, so a folder of
// thousands of screenshots costs little: the picture is only decoded for a thumbnail, when one
// is shown (see ScreenshotThumbnails).
class ScreenshotItem {
public:
    // The side of the square a thumbnail fits in, in device-independent pixels.
    static constexpr int thumbnailSide = 200;

    ScreenshotItem(QUuid id, QUrl url, QDateTime date, QString size);

    const QUuid& id() const { return id_; }
    const QUrl& url() const { return url_; }
    // When the file was created (or, where the file system keeps no such date, last written);
    // the moment the item was built when neither can be read.
    const QDateTime& date() const { return date_; }
    // The file size as display text; empty when it could not be read.
    const QString& size() const { return size_; }

    // An item for the picture in the file; nothing when the file holds no complete picture.
    // Only the picture's header and structure are read, not its pixels. `now` dates the item
    // when the file's own date cannot be read.
    static std::optional<ScreenshotItem> makeItem(const QUrl& url, const QDateTime& now);
    // The picture in the file scaled to fit the thumbnail square, keeping its shape (so only as
    // large as thumbnailRect's size); null when the file no longer holds a complete picture.
    static QImage makeThumbnail(const QUrl& url);
    // True when the picture in the device is all there: a PNG up to its end chunk, a JPEG up to
    // its end marker (whatever follows them, as some tools append data); other formats are
    // judged by their decoder. The device is read from its start and left there.
    static bool holdsCompletePicture(QIODevice& device);

    // Where a picture of the given size is drawn inside the thumbnail square.
    static QRectF thumbnailRect(const QSizeF& pictureSize);
    // The file's creation date where the file system records one, else its modification date;
    // invalid when neither can be read.
    static QDateTime creationDate(const QFileInfo& info);
    // "512 B", "3 KB", "1.5 MB"; empty when the size cannot be read.
    static QString formattedSize(const QUrl& url);
    // "now", "42s ago", "1m ago", "2h ago", "3d ago", counted from date to now.
    static QString ageLabel(const QDateTime& date, const QDateTime& now);

    // Puts the full picture, read from the file again, on the pasteboard as PNG and TIFF.
    // When the file no longer holds a picture nothing is written and false is answered.
    static bool copyImage(const ScreenshotItem& item, Pasteboard& pasteboard);
    // The two halves of copyImage, so that the reading (a full decode, a quarter of a second
    // for a 4K picture) can run on a worker: the PNG bytes to put on the pasteboard, or nothing
    // when the file no longer holds a picture; and the writing.
    static std::optional<QByteArray> imageForCopy(const QUrl& url);
    static void writeImage(const QByteArray& png, Pasteboard& pasteboard);
    // Shows the file selected in the file manager.
    static void reveal(const ScreenshotItem& item, Workspace& workspace);
    // Opens the file in the user's default application for its type.
    static void open(const ScreenshotItem& item, Workspace& workspace);
    // What a drag of the item carries: the file's URL.
    static std::unique_ptr<QMimeData> dragPayload(const ScreenshotItem& item);

private:
    QUuid id_;
    QUrl url_;
    QDateTime date_;
    QString size_;
};
