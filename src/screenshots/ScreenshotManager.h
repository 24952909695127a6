#pragma once

#include "screenshots/ScreenshotItem.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

class DirectorySource;
class BackgroundTask;
class DirectoryWatcher;
class MainQueue;
class Pasteboard;
class ScreenCapture;

// The screenshots the desktop's screenshot tool saved: the newest ones found at start, and
// every new one that appears in the folder while the program runs. The folder is only read.
//
// Decoding a screenshot for its thumbnail takes a tenth of a second or more, so it happens on
// the main queue's workers; the list itself changes only on the main thread. The newest files
// found at start arrive together, in one update, once all of them are built.
class ScreenshotManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint64 unseenCount READ unseenCount WRITE setUnseenCount NOTIFY unseenCountChanged)

public:
    // Entries built at start, newest first.
    static constexpr int initialLimit = 50;
    // Files scheduled by one look at the folder, newest first (see checkForNewScreenshots).
    static constexpr int checkLimit = 50;
    // Seconds between a folder change and reading the new file.
    static constexpr double additionDelay = 0.5;
    // How long a view takes, easing out, to show an entry arriving at the front.
    static constexpr double insertionAnimationDuration = 0.2;

    // Resolves the folder, lists what is there, starts building its thumbnails and watching.
    ScreenshotManager(MainQueue& mainQueue, DirectoryWatcher& watcher,
                      const ScreenCapture& screenCapture, QObject* parent = nullptr);
    ~ScreenshotManager() override;

    // A screenshot's file name ends in .png, .jpg, .jpeg or .tiff (in any case) and begins
    // with "Screenshot", "Screen Shot" or "CleanShot" (exactly so).
    static bool isScreenshot(const QString& fileName);

    const QList<ScreenshotItem>& items() const { return items_; }
    // True while the screenshots found at start are still being built.
    bool isLoading() const { return startup_ != nullptr; }
    // Entries the watcher added since the count was last set (views reset it to 0).
    qint64 unseenCount() const { return unseenCount_; }
    void setUnseenCount(qint64 value);
    // The live watch on the folder; null when the folder could not be watched.
    const DirectorySource* dirSource() const { return dirSource_.get(); }
    // Paths of the files that have an entry.
    const QSet<QString>& knownPaths() const { return knownPaths_; }
    QUrl screenshotDir() const { return QUrl::fromLocalFile(screenshotPath_); }
    const QString& screenshotPath() const { return screenshotPath_; }

    // Forgets the entry (the file stays on disk); a later change in the folder brings it back.
    void remove(const ScreenshotItem& item);
    // Forgets every entry, and the ones still being built from the start; the unseen count stays
    // as it is.
    void clearAll();

    // Puts the item's full picture, read again from its file on a worker (a 4K picture takes a
    // quarter of a second to decode), on the pasteboard as PNG, and then says imageCopied. A
    // file that no longer holds a picture leaves the pasteboard as it was and says nothing. Of
    // copies asked for in quick succession the last one wins.
    void copyToPasteboard(const ScreenshotItem& item, Pasteboard& pasteboard);

Q_SIGNALS:
    // A picture asked for by copyToPasteboard is on the pasteboard.
    void imageCopied();
    void itemsChanged();
    // An entry the watcher put at the front of the list; views animate its arrival.
    void itemInserted(int index);
    // The screenshots found at start have all been built (isLoading turned false), whether or
    // not any of them made an entry.
    void loadingFinished();
    void unseenCountChanged(qint64 value);
    void knownPathsChanged();

private:
    struct Candidate {
        QString path;
        QDateTime date;
    };

    // The start-up thumbnails in flight: one slot per file, in list order.
    struct StartupBuild {
        std::vector<std::optional<ScreenshotItem>> items;
        qsizetype remaining = 0;
        // clearAll came while they were built: they are dropped when they arrive.
        bool cleared = false;
    };
    // One addition's thumbnail in flight. Additions land in the order they were started, so a
    // batch keeps the newest at the front however the workers finish.
    struct Addition {
        QString path;
        quint64 stamp = 0;
        bool built = false;
        std::optional<ScreenshotItem> item;
    };

    // The screenshots in the folder, newest first; files without a readable date come last.
    QList<Candidate> listScreenshots() const;
    void loadExistingScreenshots();
    void startupItemBuilt(const std::shared_ptr<StartupBuild>& build, size_t index,
                          std::optional<ScreenshotItem> item);
    void startWatching();
    // Paths in `alsoKnown` count as having an entry.
    void checkForNewScreenshots(const QSet<QString>& alsoKnown = {});
    void addScreenshot(const QUrl& url, quint64 check);
    void additionBuilt();
    void land(Addition& addition);

    MainQueue& mainQueue_;
    DirectoryWatcher& watcher_;
    QList<ScreenshotItem> items_;
    qint64 unseenCount_ = 0;
    std::unique_ptr<DirectorySource> dirSource_;
    QSet<QString> knownPaths_;
    QString screenshotPath_;

    std::shared_ptr<StartupBuild> startup_;
    // A folder change came while the start-up thumbnails were built; looked at when they land.
    bool checkAfterStartup_ = false;
    std::deque<std::shared_ptr<Addition>> additions_;
    // Folder looks so far; a build started after look n has seen every change before it.
    quint64 checks_ = 0;
    // Path of each addition in flight -> the look count when its latest build started.
    QHash<QString, quint64> building_;
    // The copy whose picture is being read; a newer copy cancels it.
    std::shared_ptr<BackgroundTask> copy_;
};
