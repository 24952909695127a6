#pragma once

#include "screenshots/ScreenshotItem.h"
#include "screenshots/ScreenshotThumbnails.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>
#include <QUrl>

#include <memory>

class DirectorySource;
class BackgroundTask;
class DirectoryWatcher;
class MainQueue;
class Pasteboard;
class ScreenCapture;

// The screenshots the desktop's screenshot tool saved: the newest ones found at start, and
// every new one that appears in the folder while the program runs; one whose file is deleted
// or moved away leaves the list. The folder is only read.
//
// An entry is cheap (a path, a date, a size): the folder is listed and each new file's header
// checked on the main queue's workers, and the list changes only on the main thread, once per
// look at the folder. Pictures are decoded only for the thumbnails a view shows. A change in
// the folder is looked at half a second later, and changes until then join that look, so a
// burst of thousands of files costs a few listings.
class ScreenshotManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint64 unseenCount READ unseenCount WRITE setUnseenCount NOTIFY unseenCountChanged)

public:
    // Entries built at start, newest first.
    static constexpr int initialLimit = 50;
    // Thumbnails made ahead for the newest entries, about what a view shows when it opens.
    static constexpr int prefetchCount = 12;
    // Seconds between a folder change and reading the new file.
    static constexpr double additionDelay = 0.5;
    // How long a view takes, easing out, to show an entry arriving at the front.
    static constexpr double insertionAnimationDuration = 0.2;

    // Resolves the folder, starts listing what is there, and watches it.
    ScreenshotManager(MainQueue& mainQueue, DirectoryWatcher& watcher,
                      const ScreenCapture& screenCapture, QObject* parent = nullptr);
    ~ScreenshotManager() override;

    // A screenshot's file name ends in .png, .jpg, .jpeg or .tiff (in any case) and begins
    // with "Screenshot", "Screen Shot" or "CleanShot" (exactly so).
    static bool isScreenshot(const QString& fileName);

    const QList<ScreenshotItem>& items() const { return items_; }
    // True while the screenshots found at start are still being listed.
    bool isLoading() const { return loading_; }
    // Entries the watcher added since the count was last set (views reset it to 0).
    qint64 unseenCount() const { return unseenCount_; }
    void setUnseenCount(qint64 value);
    // The live watch on the folder; null when the folder could not be watched.
    const DirectorySource* dirSource() const { return dirSource_.get(); }
    // Paths of the files that have an entry.
    const QSet<QString>& knownPaths() const { return knownPaths_; }
    QUrl screenshotDir() const { return QUrl::fromLocalFile(screenshotPath_); }
    const QString& screenshotPath() const { return screenshotPath_; }
    // The entries' thumbnails, made for what views show. An entry whose picture turns out not
    // to decode leaves the list, unrecorded, as if it had never held one.
    ScreenshotThumbnails& thumbnails() { return thumbnails_; }

    // Forgets the entry (the file stays on disk); a later change in the folder brings it back.
    void remove(const ScreenshotItem& item);
    // Forgets every entry, and the ones still being listed from the start; the unseen count
    // stays as it is.
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
    // The watcher put `count` entries at the front of the list (indexes 0 to count - 1), in the
    // change just announced by itemsChanged; views animate their arrival.
    void itemsInserted(int count);
    // The screenshots found at start have been listed (isLoading turned false), whether or not
    // any of them made an entry.
    void loadingFinished();
    void unseenCountChanged(qint64 value);
    void knownPathsChanged();

private:
    struct Look;

    // Runs on a worker: reads only what it is handed. Lists the folder; files in `known` are
    // only checked to be still there, the others (at most `limit`, newest first) are read for
    // an entry, except those rejected before and unchanged since.
    static Look lookAtFolder(const QString& folder, const QSet<QString>& known,
                             const QHash<QString, QPair<qint64, qint64>>& rejectedBefore,
                             const QDateTime& now, qsizetype limit);
    void startWatching();
    void startLook();
    void lookLanded(Look look, bool startup);
    void folderChanged();
    void armLook();
    void dropEntries(const QSet<QString>& paths);
    void thumbnailFailed(const QUuid& id);
    void prefetchThumbnails();

    MainQueue& mainQueue_;
    DirectoryWatcher& watcher_;
    ScreenshotThumbnails thumbnails_;
    QList<ScreenshotItem> items_;
    qint64 unseenCount_ = 0;
    std::unique_ptr<DirectorySource> dirSource_;
    QSet<QString> knownPaths_;
    QString screenshotPath_;

    bool loading_ = false;
    // A listing is on a worker (the start's or a look's); looks never overlap.
    bool busy_ = false;
    // clearAll came while the start was listed: its entries are dropped when they arrive, and
    // count as forgotten until the next change (see forgotten_).
    bool startupCleared_ = false;
    bool forgetStartup_ = false;
    // A change is waiting to be looked at, at lookDueAt_ (uptime).
    bool lookDue_ = false;
    double lookDueAt_ = 0;
    // Paths forgotten (removed or cleared) since the last change: a change only brings back
    // what it finds unknown, so files forgotten after it are not added by the look that
    // follows it.
    QSet<QString> forgotten_;
    // Screenshot files that held no complete picture, with their size and date then: not read
    // again until they change.
    QHash<QString, QPair<qint64, qint64>> rejected_;
    // The copy whose picture is being read; a newer copy cancels it.
    std::shared_ptr<BackgroundTask> copy_;
};
