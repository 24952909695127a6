#include "platform/x11/X11Pasteboard.h"

#include "platform/MainQueue.h"
#include "platform/x11/X11SelectionReader.h"

#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>

namespace {

// Other programs name rich text differently; all of them carry RTF.
const QStringList rtfTypes = {PasteboardType::rtf, QStringLiteral("application/rtf"),
                              QStringLiteral("text/richtext")};

// The image encoded as the given clipboard type; empty when the bytes do not decode or the
// content was replaced meanwhile. TIFF is compressed: uncompressed it is as large as the bitmap
// (24 MB for a 4K screenshot).
QByteArray encodeAs(const QByteArray& source, const QString& type, const BackgroundTask& task) {
    const QImage image = QImage::fromData(source);
    if (image.isNull() || task.isCancelled()) {
        return {};
    }
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, type == PasteboardType::png ? "png" : "tiff");
    if (type == PasteboardType::tiff) {
        writer.setCompression(1); // LZW
    }
    return writer.write(image) ? encoded : QByteArray();
}

// The other encoding of a written image, made on a worker and handed over to the main thread,
// where Qt serves it.
struct Companion {
    QString type;
    QByteArray bytes;
    bool ready = false;
};

} // namespace

// What we put on the clipboard. An image written as PNG is offered as TIFF too, and one written
// in another image type as PNG too, once that encoding has been made.
class OfferedMimeData final : public QMimeData {
public:
    QStringList formats() const override {
        QStringList list = QMimeData::formats();
        if (companion_) {
            if (companion_->ready && !companion_->bytes.isEmpty() &&
                !list.contains(companion_->type)) {
                list.append(companion_->type);
            }
        }
        return list;
    }

    bool hasFormat(const QString& type) const override { return formats().contains(type); }

    // Starts making the other encoding of the image written, if one was; the task, if any.
    std::shared_ptr<BackgroundTask> encodeCompanion(MainQueue& queue) {
        const QStringList written = QMimeData::formats();
        const auto source = std::find_if(written.begin(), written.end(), [](const QString& t) {
            return t.startsWith(QLatin1String("image/"));
        });
        if (source == written.end()) {
            return nullptr;
        }
        const QString type =
            *source == PasteboardType::png ? PasteboardType::tiff : PasteboardType::png;
        if (written.contains(type)) {
            return nullptr;
        }
        companion_ = std::make_shared<Companion>();
        companion_->type = type;
        auto encoded = std::make_shared<QByteArray>();
        return queue.runInBackground(
            [encoded, bytes = QMimeData::data(*source), type](const BackgroundTask& task) {
                *encoded = encodeAs(bytes, type, task);
            },
            [companion = companion_, encoded] {
                companion->bytes = std::move(*encoded);
                companion->ready = true;
            });
    }

protected:
    QVariant retrieveData(const QString& type, QMetaType metaType) const override {
        if (companion_ && !QMimeData::formats().contains(type)) {
            if (companion_->ready && type == companion_->type) {
                return companion_->bytes;
            }
        }
        return QMimeData::retrieveData(type, metaType);
    }

private:
    std::shared_ptr<Companion> companion_;
};

X11Pasteboard::X11Pasteboard(QClipboard* clipboard, MainQueue& queue, int transferTimeoutMs,
                             QObject* parent)
    : QObject(parent)
    , clipboard_(clipboard)
    , queue_(queue)
    , reader_(std::make_unique<X11SelectionReader>(queue, transferTimeoutMs)) {
    connect(clipboard_, &QClipboard::changed, this,
            [this](QClipboard::Mode mode) { clipboardChanged(int(mode)); });
}

X11Pasteboard::~X11Pasteboard() {
    if (companionTask_) {
        companionTask_->cancel();
    }
}

void X11Pasteboard::observeChanges(std::function<void()> changed) {
    changed_ = std::move(changed);
}

void X11Pasteboard::readContents(Read read, std::function<void()> done) {
    reader_->read(changeCount_, std::move(read), std::move(done));
}

void X11Pasteboard::clipboardChanged(int mode) {
    // Our own commit was already counted when the write began.
    if (mode == QClipboard::Clipboard && !settingOwnData_) {
        countChange();
    }
}

void X11Pasteboard::countChange() {
    ++changeCount_;
    reader_->setCurrentChange(changeCount_);
    // The other encoding of the image we wrote last is of no use once that content is replaced.
    if (companionTask_) {
        companionTask_->cancel();
        companionTask_.reset();
    }
    if (changed_) {
        changed_();
    }
}

OfferedMimeData& X11Pasteboard::pending() {
    if (!pending_) {
        pending_ = std::make_unique<OfferedMimeData>();
        countChange();
    }
    return *pending_;
}

qint64 X11Pasteboard::clearContents() {
    pending_.reset();
    pending();
    return changeCount_;
}

bool X11Pasteboard::setString(const QString& string, const QString& type) {
    if (type == PasteboardType::string) {
        pending().setText(string);
    } else {
        pending().setData(type, string.toUtf8());
    }
    return true;
}

bool X11Pasteboard::setData(const QByteArray& data, const QString& type) {
    const QStringList types = type == PasteboardType::rtf ? rtfTypes : QStringList{type};
    OfferedMimeData& offered = pending();
    for (const QString& t : types) {
        offered.setData(t, data);
    }
    return true;
}

bool X11Pasteboard::writeFileURLs(const QList<QUrl>& urls) {
    OfferedMimeData& offered = pending();
    offered.setUrls(urls);
    QByteArray copied = "copy";
    for (const QUrl& url : urls) {
        copied += '\n' + url.toEncoded();
    }
    offered.setData(PasteboardType::gnomeCopiedFiles, copied);
    return true;
}

void X11Pasteboard::commit() {
    if (!pending_) {
        return;
    }
    companionTask_ = pending_->encodeCompanion(queue_);
    // Qt takes the selection and asks the server who owns it before returning, so other
    // programs are served the new content from here on.
    settingOwnData_ = true;
    clipboard_->setMimeData(pending_.release(), QClipboard::Clipboard);
    settingOwnData_ = false;
}
