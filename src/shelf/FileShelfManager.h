#pragma once

#include "panel/UndoOffer.h"
#include "shelf/ShelfFile.h"

#include <QList>
#include <QObject>
#include <QSet>

class MainQueue;
class Workspace;

// The files dropped on the notch or the drawer, newest first. The shelf only points at files
// where they lie (it never copies, moves or deletes anything) and is not kept across runs.
// No URL is on it twice; URLs are compared as URLs, so two spellings of one path (with and
// without a trailing slash, with "./" in it) are two entries.
class FileShelfManager final : public QObject {
    Q_OBJECT

public:
    // Without a workspace, files get no icon and size 0.
    FileShelfManager(Workspace* workspace, MainQueue& queue, QObject* parent = nullptr);
    ~FileShelfManager() override;

    const QList<ShelfFile>& files() const { return files_; }

    // Puts the file at the top, unless its URL is already on the shelf (then nothing changes
    // and the entry stays where it is) or it names something other than a file or folder (a
    // pipe, socket or device, an entry of /proc or /sys), which is never shelved.
    void addFile(const QUrl& url);
    // Adds each file in turn as addFile would (so the last ends on top), announcing one change
    // for all of them.
    void addFiles(const QList<QUrl>& urls);
    // Removes the entry with this id. Always announces a change, even for an unknown id.
    void removeFile(const QUuid& id);
    // Empties the shelf (and announces it, even when it was empty). While clearUndo() is open
    // afterwards, undoClear puts the files back as they were, below those added since (a file
    // added again meanwhile stays where it is now); a second clear meanwhile is taken back
    // together with the first.
    void clearAll();
    // Answers whether there was a clear to take back.
    bool undoClear();
    UndoOffer& clearUndo() { return clearUndo_; }

Q_SIGNALS:
    void filesChanged();

private:
    Workspace* workspace_;
    MainQueue& queue_;
    QList<ShelfFile> files_;
    // What the last clear took away, while it can be taken back.
    QList<ShelfFile> cleared_;
    UndoOffer clearUndo_;
};
