#include "platform/x11/X11Pasteboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>

namespace {

// Other programs name rich text differently; all of them carry RTF.
const QStringList rtfTypes = {PasteboardType::rtf, QStringLiteral("application/rtf"),
                              QStringLiteral("text/richtext")};

// Qt gives up on an owner that does not answer after 5 s; a read that came back empty after
// this long means the owner is not sending, and asking it for the next type would wait again.
constexpr qint64 silentOwnerMs = 4000;

bool isOfferedImageType(const QString& type) {
    return type == PasteboardType::png || type == PasteboardType::tiff;
}

} // namespace

// What we put on the clipboard. An image written in one format is offered as both PNG and
// TIFF; the missing one is encoded only if some program asks for it.
class OfferedMimeData final : public QMimeData {
public:
    QStringList formats() const override {
        QStringList list = QMimeData::formats();
        if (imageSourceType().has_value()) {
            for (const QString& type : {PasteboardType::png, PasteboardType::tiff}) {
                if (!list.contains(type)) {
                    list.append(type);
                }
            }
        }
        return list;
    }

    bool hasFormat(const QString& type) const override { return formats().contains(type); }

    // Whether the type was written as it is, rather than being made on request.
    bool holds(const QString& type) const { return QMimeData::formats().contains(type); }

protected:
    QVariant retrieveData(const QString& type, QMetaType metaType) const override {
        // The base class's own list, not the widened one above.
        if (QMimeData::formats().contains(type) || !isOfferedImageType(type)) {
            return QMimeData::retrieveData(type, metaType);
        }
        const std::optional<QString> source = imageSourceType();
        if (!source) {
            return {};
        }
        const QImage image = QImage::fromData(QMimeData::data(*source));
        if (image.isNull()) {
            return {};
        }
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, type == PasteboardType::png ? "png" : "tiff");
        if (!writer.write(image)) {
            return {};
        }
        return encoded;
    }

private:
    std::optional<QString> imageSourceType() const {
        for (const QString& type : QMimeData::formats()) {
            if (type.startsWith(QLatin1String("image/"))) {
                return type;
            }
        }
        return std::nullopt;
    }
};

X11Pasteboard::X11Pasteboard(QClipboard* clipboard, QObject* parent)
    : QObject(parent)
    , clipboard_(clipboard) {
    connect(clipboard_, &QClipboard::changed, this,
            [this](QClipboard::Mode mode) { clipboardChanged(int(mode)); });
}

X11Pasteboard::~X11Pasteboard() = default;

void X11Pasteboard::clipboardChanged(int mode) {
    // Our own flush was already counted when the write began.
    if (mode == QClipboard::Clipboard && !settingOwnData_) {
        ++changeCount_;
    }
}

const QMimeData* X11Pasteboard::current() const {
    return clipboard_->mimeData(QClipboard::Clipboard);
}

template <typename Read> auto X11Pasteboard::fetch(const QMimeData& data, Read read) const {
    using Result = decltype(read());
    if (silentOwnerAt_ == changeCount_ && !dynamic_cast<const OfferedMimeData*>(&data)) {
        return Result();
    }
    QElapsedTimer timer;
    timer.start();
    Result result = read();
    if (result.isEmpty() && timer.elapsed() >= silentOwnerMs) {
        silentOwnerAt_ = changeCount_;
    }
    return result;
}

QList<QString> X11Pasteboard::types() const {
    const QMimeData* data = current();
    return data != nullptr ? data->formats() : QList<QString>();
}

std::optional<QByteArray> X11Pasteboard::dataForType(const QString& type) const {
    const QMimeData* data = current();
    if (data == nullptr) {
        return std::nullopt;
    }
    const QStringList candidates = type == PasteboardType::rtf ? rtfTypes : QStringList{type};
    const QStringList offered = data->formats();
    // Our own image converted for ourselves would only cost a full decode and encode on the
    // main thread; the type it was written in is read instead.
    const auto* own = dynamic_cast<const OfferedMimeData*>(data);
    for (const QString& candidate : candidates) {
        if (!offered.contains(candidate) || (own != nullptr && !own->holds(candidate))) {
            continue;
        }
        QByteArray bytes = fetch(*data, [&] { return data->data(candidate); });
        if (!bytes.isEmpty()) {
            return bytes;
        }
    }
    return std::nullopt;
}

std::optional<QString> X11Pasteboard::stringForType(const QString& type) const {
    if (type != PasteboardType::string) {
        const auto bytes = dataForType(type);
        return bytes ? std::optional<QString>(QString::fromUtf8(*bytes)) : std::nullopt;
    }
    const QMimeData* data = current();
    // Only text the owner really offers: QMimeData would also make text out of a URL list.
    if (data == nullptr || !data->hasFormat(QStringLiteral("text/plain"))) {
        return std::nullopt;
    }
    QString text = fetch(*data, [&] { return data->text(); });
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return text;
}

QList<QUrl> X11Pasteboard::readFileURLs() const {
    const std::optional<QByteArray> list = dataForType(PasteboardType::fileURL);
    return list ? fileURLsFromUriList(*list) : QList<QUrl>();
}

OfferedMimeData& X11Pasteboard::pending() {
    if (!pending_) {
        pending_ = std::make_unique<OfferedMimeData>();
        ++changeCount_;
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
    // Qt takes the selection and asks the server who owns it before returning, so other
    // programs are served the new content from here on.
    settingOwnData_ = true;
    clipboard_->setMimeData(pending_.release(), QClipboard::Clipboard);
    settingOwnData_ = false;
}
