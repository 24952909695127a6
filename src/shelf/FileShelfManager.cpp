#include "shelf/FileShelfManager.h"

#include "platform/MainQueue.h"
#include "platform/MainThread.h"

#include <QThread>

FileShelfManager::FileShelfManager(Workspace* workspace, MainQueue& queue, QObject* parent)
    : QObject(parent)
    , workspace_(workspace)
    , queue_(queue) {}

FileShelfManager::~FileShelfManager() {
    Q_ASSERT(thread() == QThread::currentThread());
}

void FileShelfManager::addFile(const QUrl& url) {
    assertMainThread();
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
        if (known.contains(url)) {
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
    files_.clear();
    Q_EMIT filesChanged();
}
