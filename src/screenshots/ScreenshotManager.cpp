#include "screenshots/ScreenshotManager.h"

#include "platform/DirectoryWatcher.h"
#include "platform/MainQueue.h"
#include "platform/Platform.h"
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

ScreenshotManager& ScreenshotManager::shared() {
    static ScreenshotManager* instance = [] {
        const Platform& platform = Platform::current();
        return new ScreenshotManager(*platform.mainQueue, *platform.directoryWatcher,
                                     *platform.screenCapture);
    }();
    return *instance;
}

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
    for (qsizetype i = 0; i < std::min<qsizetype>(found.size(), initialLimit); ++i) {
        const QUrl url = QUrl::fromLocalFile(found[i].path);
        if (auto item = ScreenshotItem::makeItem(url, mainQueue_.now())) {
            items_.append(*item);
            knownPaths_.insert(found[i].path);
        }
    }
}

void ScreenshotManager::startWatching() {
    dirSource_ = watcher_.watch(screenshotPath_, weakly(this, [](ScreenshotManager* self) {
                                    self->checkForNewScreenshots();
                                }));
}

void ScreenshotManager::checkForNewScreenshots() {
    QList<Candidate> unknown;
    for (Candidate& candidate : listScreenshots()) {
        if (!knownPaths_.contains(candidate.path)) {
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
        mainQueue_.asyncAfter(additionDelay, weakly(this, [url](ScreenshotManager* self) {
                                  self->addScreenshot(url);
                              }));
    }
}

void ScreenshotManager::addScreenshot(const QUrl& url) {
    const QString path = url.toLocalFile();
    if (knownPaths_.contains(path)) {
        return;
    }
    // A file still being written, gone, or not a picture gets no entry and stays unrecorded,
    // so the next change in the folder tries it again.
    std::optional<ScreenshotItem> item = ScreenshotItem::makeItem(url, mainQueue_.now());
    if (!item) {
        return;
    }
    knownPaths_.insert(path);
    Q_EMIT knownPathsChanged();
    setUnseenCount(unseenCount_ + 1);
    items_.prepend(*item);
    Q_EMIT itemsChanged();
    Q_EMIT itemInserted(0);
}

void ScreenshotManager::remove(const ScreenshotItem& item) {
    knownPaths_.remove(item.url().toLocalFile());
    Q_EMIT knownPathsChanged();
    items_.removeIf([&](const ScreenshotItem& entry) { return entry.id() == item.id(); });
    Q_EMIT itemsChanged();
}

void ScreenshotManager::clearAll() {
    if (!knownPaths_.isEmpty()) {
        knownPaths_.clear();
        Q_EMIT knownPathsChanged();
    }
    if (!items_.isEmpty()) {
        items_.clear();
        Q_EMIT itemsChanged();
    }
}
