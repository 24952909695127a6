#include "screenshots/ScreenshotManager.h"

#include "platform/DirectoryWatcher.h"
#include "platform/MainQueue.h"
#include "platform/MainThread.h"
#include "platform/Pasteboard.h"
#include "platform/ScreenCapture.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <limits>

namespace {

QString resolveScreenshotPath(const ScreenCapture& screenCapture) {
    QString path;
    const std::optional<QString> location = screenCapture.location();
    if (location && !location->trimmed().isEmpty()) {
        // Whether the folder exists is not asked: a missing one simply stays empty.
        path = expandTildeInPath(*location);
    } else {
        path = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    }
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

ScreenshotManager::ScreenshotManager(MainQueue& mainQueue, DirectoryWatcher& watcher,
                                     const ScreenCapture& screenCapture, QObject* parent)
    : QObject(parent)
    , mainQueue_(mainQueue)
    , watcher_(watcher)
    , thumbnails_(mainQueue) {
    screenshotPath_ = resolveScreenshotPath(screenCapture);
    connect(&thumbnails_, &ScreenshotThumbnails::thumbnailFailed, this,
            &ScreenshotManager::thumbnailFailed);
    loading_ = true;
    startLook();
    startWatching();
}

ScreenshotManager::~ScreenshotManager() = default;

bool ScreenshotManager::isScreenshot(const QString& fileName) {
    static const QStringList extensions = {QStringLiteral("png"), QStringLiteral("jpg"),
                                           QStringLiteral("jpeg"), QStringLiteral("tiff")};
    static const QStringList prefixes = {
        QStringLiteral("Screenshot"), QStringLiteral("Screen Shot"), QStringLiteral("CleanShot")};
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || !extensions.contains(fileName.mid(dot + 1).toLower())) {
        return false;
    }
    return std::any_of(prefixes.begin(), prefixes.end(), [&](const QString& prefix) {
        return fileName.startsWith(prefix, Qt::CaseSensitive);
    });
}

void ScreenshotManager::setUnseenCount(qint64 value) {
    assertMainThread();
    if (unseenCount_ == value) {
        return;
    }
    unseenCount_ = value;
    Q_EMIT unseenCountChanged(value);
}

// What a look at the folder found, on a worker.
struct ScreenshotManager::Look {
    // False when the folder exists but could not be listed: nothing is known then.
    bool listed = false;
    // Entries for files not known before, newest first.
    QList<ScreenshotItem> added;
    // Known paths whose files are no longer in the folder.
    QSet<QString> gone;
    // Unknown screenshot files that hold no complete picture.
    QHash<QString, QPair<qint64, qint64>> rejected;
};

namespace {

struct Candidate {
    QString path;
    QDateTime date;
    QPair<qint64, qint64> signature;
};

} // namespace

ScreenshotManager::Look
ScreenshotManager::lookAtFolder(const QString& folder, const QSet<QString>& known,
                                const QHash<QString, QPair<qint64, qint64>>& rejectedBefore,
                                const QDateTime& now, qsizetype limit) {
    Look look;
    const QFileInfo folderInfo(folder);
    if (!folderInfo.exists()) {
        // A folder deleted or moved away holds none of its files any more.
        look.listed = true;
        look.gone = known;
        return look;
    }
    if (!folderInfo.isDir() || !folderInfo.isReadable()) {
        return look;
    }
    look.listed = true;
    QSet<QString> present;
    QList<Candidate> unknown;
    const QDir dir(folder);
    // Hidden files are listed too; pipes, sockets and devices never count.
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (!ScreenshotManager::isScreenshot(name)) {
            continue;
        }
        QString path = dir.filePath(name);
        if (known.contains(path)) {
            present.insert(std::move(path));
            continue;
        }
        const QFileInfo info = it.fileInfo();
        unknown.append({std::move(path),
                        ScreenshotItem::creationDate(info),
                        {info.size(), info.lastModified().toMSecsSinceEpoch()}});
    }
    for (const QString& path : known) {
        if (!present.contains(path)) {
            look.gone.insert(path);
        }
    }
    // Newest first; files without a readable date come last.
    std::stable_sort(unknown.begin(), unknown.end(), [](const Candidate& a, const Candidate& b) {
        if (a.date.isValid() != b.date.isValid()) {
            return a.date.isValid();
        }
        return a.date > b.date;
    });
    if (unknown.size() > limit) {
        unknown.resize(limit);
    }
    for (const Candidate& candidate : std::as_const(unknown)) {
        const auto before = rejectedBefore.constFind(candidate.path);
        if (before != rejectedBefore.cend() && *before == candidate.signature) {
            look.rejected.insert(candidate.path, candidate.signature);
            continue;
        }
        std::optional<ScreenshotItem> item =
            ScreenshotItem::makeItem(QUrl::fromLocalFile(candidate.path), now);
        if (item) {
            look.added.append(std::move(*item));
        } else {
            look.rejected.insert(candidate.path, candidate.signature);
        }
    }
    return look;
}

void ScreenshotManager::startLook() {
    const bool startup = loading_;
    busy_ = true;
    lookDue_ = false;
    const qsizetype limit = startup ? initialLimit : std::numeric_limits<qsizetype>::max();
    mainQueue_.asyncBackground(
        this,
        [folder = screenshotPath_, known = knownPaths_, rejected = rejected_,
         now = mainQueue_.now(),
         limit] { return lookAtFolder(folder, known, rejected, now, limit); },
        [startup](ScreenshotManager* self, Look look) {
            self->lookLanded(std::move(look), startup);
        });
}

void ScreenshotManager::lookLanded(Look look, bool startup) {
    assertMainThread();
    busy_ = false;
    if (look.listed) {
        rejected_ = std::move(look.rejected);
    }
    if (startup) {
        loading_ = false;
        if (startupCleared_) {
            startupCleared_ = false;
            if (forgetStartup_) {
                for (const ScreenshotItem& item : std::as_const(look.added)) {
                    forgotten_.insert(item.url().toLocalFile());
                }
            }
            look.added.clear();
        }
        for (const ScreenshotItem& item : std::as_const(look.added)) {
            knownPaths_.insert(item.url().toLocalFile());
        }
        items_.append(look.added);
        if (!look.added.isEmpty()) {
            Q_EMIT knownPathsChanged();
            Q_EMIT itemsChanged();
        }
        Q_EMIT loadingFinished();
        prefetchThumbnails();
    } else {
        // Files deleted or moved away leave the list.
        dropEntries(look.gone);
        // A file forgotten after the last change was not new to that change; two looks never
        // overlap, so nothing else can have known it meanwhile.
        look.added.removeIf([this](const ScreenshotItem& item) {
            const QString path = item.url().toLocalFile();
            return knownPaths_.contains(path) || forgotten_.contains(path);
        });
        if (!look.added.isEmpty()) {
            for (const ScreenshotItem& item : std::as_const(look.added)) {
                knownPaths_.insert(item.url().toLocalFile());
            }
            Q_EMIT knownPathsChanged();
            setUnseenCount(unseenCount_ + look.added.size());
            const int count = int(look.added.size());
            items_ = look.added + items_;
            Q_EMIT itemsChanged();
            Q_EMIT itemsInserted(count);
            prefetchThumbnails();
        }
    }
    if (lookDue_) {
        armLook();
    }
}

void ScreenshotManager::startWatching() {
    dirSource_ = watcher_.watch(
        screenshotPath_, weakly(this, [](ScreenshotManager* self) { self->folderChanged(); }));
}

void ScreenshotManager::folderChanged() {
    assertMainThread();
    forgotten_.clear();
    forgetStartup_ = false;
    if (lookDue_) {
        return;
    }
    lookDue_ = true;
    lookDueAt_ = mainQueue_.uptime() + additionDelay;
    if (!busy_) {
        armLook();
    }
}

void ScreenshotManager::armLook() {
    const double wait = std::max(0.0, lookDueAt_ - mainQueue_.uptime());
    mainQueue_.asyncAfter(wait, weakly(this, [](ScreenshotManager* self) {
                              if (!self->busy_ && self->lookDue_) {
                                  self->startLook();
                              }
                          }));
}

void ScreenshotManager::dropEntries(const QSet<QString>& paths) {
    if (paths.isEmpty()) {
        return;
    }
    bool known = false;
    for (const QString& path : paths) {
        known = knownPaths_.remove(path) || known;
    }
    const qsizetype before = items_.size();
    items_.removeIf([&](const ScreenshotItem& item) {
        if (!paths.contains(item.url().toLocalFile())) {
            return false;
        }
        thumbnails_.forget(item.id());
        return true;
    });
    if (known) {
        Q_EMIT knownPathsChanged();
    }
    if (items_.size() != before) {
        Q_EMIT itemsChanged();
    }
}

void ScreenshotManager::prefetchThumbnails() {
    for (qsizetype i = 0; i < std::min<qsizetype>(prefetchCount, items_.size()); ++i) {
        thumbnails_.thumbnail(items_[i]);
    }
}

void ScreenshotManager::thumbnailFailed(const QUuid& id) {
    // Left unrecorded, so the next change in the folder tries the file again.
    const auto found = std::find_if(items_.cbegin(), items_.cend(),
                                    [&](const ScreenshotItem& item) { return item.id() == id; });
    if (found != items_.cend()) {
        dropEntries({found->url().toLocalFile()});
    }
}

void ScreenshotManager::remove(const ScreenshotItem& item) {
    assertMainThread();
    const QString path = item.url().toLocalFile();
    knownPaths_.remove(path);
    forgotten_.insert(path);
    Q_EMIT knownPathsChanged();
    thumbnails_.forget(item.id());
    items_.removeIf([&](const ScreenshotItem& entry) { return entry.id() == item.id(); });
    Q_EMIT itemsChanged();
}

void ScreenshotManager::clearAll() {
    assertMainThread();
    if (loading_) {
        startupCleared_ = true;
        forgetStartup_ = true;
    }
    thumbnails_.clear();
    if (!knownPaths_.isEmpty()) {
        forgotten_.unite(knownPaths_);
        knownPaths_.clear();
        Q_EMIT knownPathsChanged();
    }
    if (!items_.isEmpty()) {
        items_.clear();
        Q_EMIT itemsChanged();
    }
}

void ScreenshotManager::copyToPasteboard(const ScreenshotItem& item, Pasteboard& pasteboard) {
    assertMainThread();
    if (copy_) {
        copy_->cancel();
    }
    copy_ = mainQueue_.asyncBackground(
        this, [url = item.url()] { return ScreenshotItem::imageForCopy(url); },
        [&pasteboard](ScreenshotManager* self, std::optional<QByteArray> png) {
            self->copy_.reset();
            if (!png) {
                return;
            }
            ScreenshotItem::writeImage(*png, pasteboard);
            Q_EMIT self->imageCopied();
        });
}
