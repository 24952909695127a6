#include "shelf/FileShelfManager.h"

#include "platform/MainQueue.h"
#include "platform/MainThread.h"
#include "platform/RegularFile.h"

#include <QThread>

#include <utility>

FileShelfManager::FileShelfManager(Workspace* workspace, MainQueue& queue, QObject* parent)
    : QObject(parent)
    , workspace_(workspace)
    , queue_(queue)
    , clearUndo_(&queue) {
    connect(&clearUndo_, &UndoOffer::openChanged, this, [this](bool open) {
        if (!open) {
            cleared_.clear();
        }
    });
}

FileShelfManager::~FileShelfManager() {
    Q_ASSERT(thread() == QThread::currentThread());
}

namespace {

// A pipe, socket or device is never shelved: a program it is dragged out to could block reading
// it. A file that is not there (any more) is, as it was.
bool refused(const QUrl& url) {
    return url.isLocalFile() && fileKind(url.toLocalFile()) == FileKind::Other;
}

} // namespace

void FileShelfManager::addFile(const QUrl& url) {
    assertMainThread();
    if (refused(url)) {
        return;
    }
    for (const ShelfFile& file : files_) {
        if (file.url() == url) {
            return;
        }
    }
    files_.prepend(ShelfFile::make(url, workspace_, queue_.now()));
    Q_EMIT filesChanged();
}

void FileShelfManager::addFiles(const QList<QUrl>& urls) {
    assertMainThread();
    // A drop of thousands of files must not compare each one with every other.
    QSet<QUrl> known;
    for (const ShelfFile& file : files_) {
        known.insert(file.url());
    }
    bool added = false;
    for (const QUrl& url : urls) {
        if (known.contains(url) || refused(url)) {
            continue;
        }
        known.insert(url);
        files_.prepend(ShelfFile::make(url, workspace_, queue_.now()));
        added = true;
    }
    if (added) {
        Q_EMIT filesChanged();
    }
}

void FileShelfManager::removeFile(const QUuid& id) {
    assertMainThread();
    files_.removeIf([&id](const ShelfFile& file) { return file.id() == id; });
    Q_EMIT filesChanged();
}

void FileShelfManager::clearAll() {
    assertMainThread();
    QList<ShelfFile> cleared = std::exchange(files_, {});
    if (clearUndo_.isOpen()) {
        cleared.append(cleared_);
    }
    Q_EMIT filesChanged();
    if (!cleared.isEmpty() && clearUndo_.open()) {
        cleared_ = std::move(cleared);
    }
}

bool FileShelfManager::undoClear() {
    assertMainThread();
    if (!clearUndo_.isOpen()) {
        return false;
    }
    QSet<QUrl> known;
    for (const ShelfFile& file : files_) {
        known.insert(file.url());
    }
    for (const ShelfFile& file : std::exchange(cleared_, {})) {
        if (!known.contains(file.url())) {
            files_.append(file);
        }
    }
    clearUndo_.close();
    Q_EMIT filesChanged();
    return true;
}
