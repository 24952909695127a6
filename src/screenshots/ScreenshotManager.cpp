#include "screenshots/ScreenshotManager.h"

#include "platform/DirectoryWatcher.h"
#include "platform/MainQueue.h"
#include "platform/MainThread.h"
#include "platform/Pasteboard.h"
#include "platform/ScreenCapture.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

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
    , watcher_(watcher) {
    screenshotPath_ = resolveScreenshotPath(screenCapture);
    loadExistingScreenshots();
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

QList<ScreenshotManager::Candidate> ScreenshotManager::listScreenshots() const {
    QList<Candidate> found;
    // Hidden files are listed too; pipes, sockets and devices never count.
    const QDir dir(screenshotPath_);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        if (isScreenshot(entry.fileName())) {
            found.append({dir.filePath(entry.fileName()), ScreenshotItem::creationDate(entry)});
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
        if (a.date.isValid() != b.date.isValid()) {
            return a.date.isValid();
        }
        return a.date > b.date;
    });
    return found;
}

void ScreenshotManager::loadExistingScreenshots() {
    const QList<Candidate> found = listScreenshots();
    const size_t count = size_t(std::min<qsizetype>(found.size(), initialLimit));
    if (count == 0) {
        return;
    }
    auto build = std::make_shared<StartupBuild>();
    build->items.resize(count);
    build->remaining = qsizetype(count);
    startup_ = build;
    const QDateTime now = mainQueue_.now();
    for (size_t i = 0; i < count; ++i) {
        const QUrl url = QUrl::fromLocalFile(found[qsizetype(i)].path);
        mainQueue_.asyncBackground(
            this, [url, now] { return ScreenshotItem::makeItem(url, now); },
            [build, i](ScreenshotManager* self, std::optional<ScreenshotItem> item) {
                self->startupItemBuilt(build, i, std::move(item));
            });
    }
}

void ScreenshotManager::startupItemBuilt(const std::shared_ptr<StartupBuild>& build, size_t index,
                                         std::optional<ScreenshotItem> item) {
    assertMainThread();
    build->items[index] = std::move(item);
    if (--build->remaining > 0) {
        return;
    }
    startup_.reset();
    // A file deleted while it was decoded gets no entry, as if it had been gone at the start.
    QSet<QString> built;
    for (const std::optional<ScreenshotItem>& entry : build->items) {
        if (entry && QFileInfo::exists(entry->url().toLocalFile())) {
            built.insert(entry->url().toLocalFile());
        }
    }
    if (!build->cleared) {
        for (const std::optional<ScreenshotItem>& entry : build->items) {
            if (entry && built.contains(entry->url().toLocalFile())) {
                items_.append(*entry);
            }
        }
        if (!built.isEmpty()) {
            knownPaths_.unite(built);
            Q_EMIT knownPathsChanged();
            Q_EMIT itemsChanged();
        }
        built.clear();
    }
    Q_EMIT loadingFinished();
    if (checkAfterStartup_) {
        checkAfterStartup_ = false;
        // When the start was cleared, the change came before the clearing: what the start had
        // loaded was not new to it.
        checkForNewScreenshots(built);
    }
}

void ScreenshotManager::startWatching() {
    dirSource_ = watcher_.watch(screenshotPath_, weakly(this, [](ScreenshotManager* self) {
                                    self->checkForNewScreenshots();
                                }));
}

void ScreenshotManager::checkForNewScreenshots(const QSet<QString>& alsoKnown) {
    if (startup_) {
        // Files still being built from the start are not new; a file they miss (one still being
        // written, say) is looked for again once they are in.
        checkAfterStartup_ = true;
        return;
    }
    ++checks_;
    QList<Candidate> unknown;
    for (Candidate& candidate : listScreenshots()) {
        if (!knownPaths_.contains(candidate.path) && !alsoKnown.contains(candidate.path)) {
            unknown.append(std::move(candidate));
        }
    }
    // Only the newest few are read per look: a folder holding thousands of old screenshots
    // would otherwise have all of them decoded and kept at the first change. A new file is
    // the newest, so it is always among them. The oldest is scheduled first, so that the
    // newest ends up at the front.
    const qsizetype count = std::min<qsizetype>(unknown.size(), checkLimit);
    for (qsizetype i = count - 1; i >= 0; --i) {
        const QUrl url = QUrl::fromLocalFile(unknown[i].path);
        mainQueue_.asyncAfter(additionDelay,
                              weakly(this, [url, check = checks_](ScreenshotManager* self) {
                                  self->addScreenshot(url, check);
                              }));
    }
}

void ScreenshotManager::addScreenshot(const QUrl& url, quint64 check) {
    const QString path = url.toLocalFile();
    if (knownPaths_.contains(path)) {
        return;
    }
    // A build of this file that started after the look that scheduled this addition reads the
    // file as it is now; a second one would only decode it again.
    const auto inFlight = building_.constFind(path);
    if (inFlight != building_.cend() && *inFlight >= check) {
        return;
    }
    auto addition = std::make_shared<Addition>();
    addition->path = path;
    addition->stamp = checks_;
    building_.insert(path, checks_);
    additions_.push_back(addition);
    mainQueue_.asyncBackground(
        this, [url, now = mainQueue_.now()] { return ScreenshotItem::makeItem(url, now); },
        [addition](ScreenshotManager* self, std::optional<ScreenshotItem> item) {
            addition->item = std::move(item);
            addition->built = true;
            self->additionBuilt();
        });
}

void ScreenshotManager::additionBuilt() {
    while (!additions_.empty() && additions_.front()->built) {
        const std::shared_ptr<Addition> addition = std::move(additions_.front());
        additions_.pop_front();
        const auto inFlight = building_.constFind(addition->path);
        if (inFlight != building_.cend() && *inFlight == addition->stamp) {
            building_.erase(inFlight);
        }
        land(*addition);
    }
}

void ScreenshotManager::land(Addition& addition) {
    assertMainThread();
    // A file still being written, gone, or not a picture gets no entry and stays unrecorded,
    // so the next change in the folder tries it again. Two changes close together may have
    // built the same file twice: the first to land wins.
    if (!addition.item || knownPaths_.contains(addition.path) ||
        !QFileInfo::exists(addition.path)) {
        return;
    }
    knownPaths_.insert(addition.path);
    Q_EMIT knownPathsChanged();
    setUnseenCount(unseenCount_ + 1);
    items_.prepend(std::move(*addition.item));
    Q_EMIT itemsChanged();
    Q_EMIT itemInserted(0);
}

void ScreenshotManager::remove(const ScreenshotItem& item) {
    assertMainThread();
    knownPaths_.remove(item.url().toLocalFile());
    Q_EMIT knownPathsChanged();
    items_.removeIf([&](const ScreenshotItem& entry) { return entry.id() == item.id(); });
    Q_EMIT itemsChanged();
}

void ScreenshotManager::clearAll() {
    assertMainThread();
    if (startup_) {
        startup_->cleared = true;
    }
    if (!knownPaths_.isEmpty()) {
        knownPaths_.clear();
        Q_EMIT knownPathsChanged();
    }
    if (!items_.isEmpty()) {
        items_.clear();
        Q_EMIT itemsChanged();
    }
}

void ScreenshotManager::copyToPasteboard(const ScreenshotItem& item, Pasteboard& pasteboard) {
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
