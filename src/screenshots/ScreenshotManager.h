#pragma once

#include "screenshots/ScreenshotItem.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <memory>

class DirectorySource;
class DirectoryWatcher;
class MainQueue;
class ScreenCapture;

// The screenshots the desktop's screenshot tool saved: the newest ones found at start, and
// every new one that appears in the folder while the program runs. The folder is only read.
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

    // Resolves the folder, lists what is there and starts watching.
    ScreenshotManager(MainQueue& mainQueue, DirectoryWatcher& watcher,
                      const ScreenCapture& screenCapture, QObject* parent = nullptr);
    ~ScreenshotManager() override;

    // The process-wide instance over the installed platform, created on first use.
    static ScreenshotManager& shared();

    // A screenshot's file name ends in .png, .jpg, .jpeg or .tiff (in any case) and begins
    // with "Screenshot", "Screen Shot" or "CleanShot" (exactly so).
    static bool isScreenshot(const QString& fileName);

    const QList<ScreenshotItem>& items() const { return items_; }
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
    // Forgets every entry; the unseen count stays as it is.
    void clearAll();

Q_SIGNALS:
    void itemsChanged();
    // An entry the watcher put at the front of the list; views animate its arrival.
    void itemInserted(int index);
    void unseenCountChanged(qint64 value);
    void knownPathsChanged();

private:
    struct Candidate {
        QString path;
        QDateTime date;
    };

    // The screenshots in the folder, newest first; files without a readable date come last.
    QList<Candidate> listScreenshots() const;
    void loadExistingScreenshots();
    void startWatching();
    void checkForNewScreenshots();
    void addScreenshot(const QUrl& url);

    MainQueue& mainQueue_;
    DirectoryWatcher& watcher_;
    QList<ScreenshotItem> items_;
    qint64 unseenCount_ = 0;
    std::unique_ptr<DirectorySource> dirSource_;
    QSet<QString> knownPaths_;
    QString screenshotPath_;
};
