#include "drops/DropIntake.h"

#include "clipboard/ClipboardManager.h"
#include "platform/DragPasteboard.h"
#include "shelf/FileShelfManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringTokenizer>

namespace {

// A text of more lines than this is not a list of dropped paths, and looking each line up on
// disk would hold the drop for seconds.
constexpr qsizetype maxPathLines = 10000;
// No path on Linux is longer.
constexpr qsizetype maxPathLength = 4096;

// The source named for dropped text, where a copy names the program it came from.
QString sourceName() {
    return QCoreApplication::translate("DropIntake", "Drop");
}

// The shelf's URL for an existing file named by an absolute local URL; nothing otherwise.
std::optional<QUrl> existingFile(const QUrl& url) {
    if (!url.isValid() || !url.isLocalFile()) {
        return std::nullopt;
    }
    const QString path = url.toLocalFile();
    if (path.size() > maxPathLength || !QDir::isAbsolutePath(path) || !QFileInfo::exists(path)) {
        return std::nullopt;
    }
    // One spelling per file, whichever way the drag wrote it (encoded or not).
    return QUrl::fromLocalFile(path);
}

std::optional<QUrl> existingFileFromLink(const QString& link) {
    return existingFile(QUrl(link.trimmed(), QUrl::TolerantMode));
}

// Paths and file URLs written one per line, as file managers and terminals put them in text.
QList<QUrl> filesNamedInText(const QString& text) {
    QList<QUrl> files;
    const QStringView trimmed = QStringView(text).trimmed();
    if (trimmed.count(QLatin1Char('\n')) >= maxPathLines) {
        return files;
    }
    for (QStringView line : QStringTokenizer(trimmed, QLatin1Char('\n'))) {
        line = line.trimmed();
        std::optional<QUrl> file;
        if (line.startsWith(QLatin1String("file://"))) {
            file = existingFileFromLink(line.toString());
        } else if (line.startsWith(QLatin1Char('/')) && line.size() <= maxPathLength) {
            file = existingFile(QUrl::fromLocalFile(line.toString()));
        }
        if (file) {
            files.append(*file);
        }
    }
    return files;
}

} // namespace

bool handleDrop(const DragPasteboard& drag, FileShelfManager& shelf, ClipboardManager& clipboard) {
    // A link that names a local file.
    if (const std::optional<QString> link = drag.link()) {
        if (const std::optional<QUrl> file = existingFileFromLink(*link)) {
            shelf.addFile(*file);
            return true;
        }
    }

    const std::optional<QString> text = drag.text();
    if (text) {
        const QList<QUrl> files = filesNamedInText(*text);
        if (!files.isEmpty()) {
            shelf.addFiles(files);
            return true;
        }
    }

    // Files offered for download by the source program (XDS) are not taken: Qt does not speak
    // that protocol, so such a drop goes on as its links or text.

    // The dragged files. A list whose files have all gone by now is refused rather than kept as
    // text: what was dragged were files, and they are not there.
    const QList<QUrl> listed = drag.fileURLs();
    if (!listed.isEmpty()) {
        QList<QUrl> files;
        for (const QUrl& url : listed) {
            if (const std::optional<QUrl> file = existingFile(url)) {
                files.append(*file);
            }
        }
        if (files.isEmpty()) {
            return false;
        }
        shelf.addFiles(files);
        return true;
    }

    // Anything else with text becomes a history entry.
    if (!text) {
        return false;
    }
    const QString trimmed = text->trimmed();
    if (trimmed.isEmpty()) {
        return false;
    }
    clipboard.insertAtTop(
        ClipboardItem::make(ClipboardContent::text(trimmed), clipboard.now(), sourceName()));
    return true;
}
