#pragma once

#include "clipboard/ClipboardItem.h"
#include "panel/UndoOffer.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>

#include <memory>

class MainQueue;
class Pasteboard;
class Timer;
class Workspace;

// The clipboard history. Each change of the clipboard is read a few milliseconds after the
// clipboard announces it and becomes an entry at the top, unless it repeats the newest entry;
// nothing runs while the clipboard does not change. The content is read off the main thread and
// enters in the order of the changes, named after the program that owns it. The history keeps
// at most 100 entries but never drops a pinned one. It lives in memory only.
class ClipboardManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint64 lastChangeCount READ lastChangeCount NOTIFY lastChangeCountChanged)

public:
    static constexpr qint64 maxItems = 100;
    // Changes announced within this many seconds of each other are read once: the earlier
    // contents are gone by then.
    static constexpr double settleDelay = 0.002;

    ClipboardManager(Pasteboard& pasteboard, Workspace& workspace, MainQueue& mainQueue,
                     QObject* parent = nullptr);

    const QList<ClipboardItem>& items() const { return items_; }
    const QSet<QUuid>& pinnedIds() const { return pinnedIds_; }
    qint64 lastChangeCount() const { return lastChangeCount_; }
    // The read due for a change not yet looked at; null while there is none.
    const std::shared_ptr<Timer>& settleTimer() const { return settleTimer_; }
    bool isPolling() const { return polling_; }

    // Takes the clipboard as it is now as seen, then follows its changes for good.
    void startPolling();
    // If the clipboard changed since the last look, reads its content and records it once the
    // read is done.
    void checkPasteboard();

    // Pinned entries first, then the others, each in history order.
    QList<ClipboardItem> displayItems() const;
    void togglePin(const QUuid& id);
    void remove(const QUuid& id);
    // "Clear": every entry goes, pinned ones too (their pins are kept, naming nothing). While
    // clearUndo() is open afterwards, undoClear brings them back as they were, below whatever
    // was copied since; a second clear meanwhile is taken back together with the first.
    void clearAll();
    // Answers whether there was a clear to take back.
    bool undoClear();
    UndoOffer& clearUndo() { return clearUndo_; }
    // Puts an entry at the top as it is, without comparing or trimming.
    void insertAtTop(const ClipboardItem& item);

    // Writes an entry back to this history's clipboard.
    void copyToPasteboard(const ClipboardItem& item);

    // The current time on this history's clock.
    QDateTime now() const;

Q_SIGNALS:
    void itemsChanged();
    void pinnedIdsChanged();
    void lastChangeCountChanged();
    void settleTimerChanged();

private:
    struct Capture;
    void scheduleRead();
    void record(Capture& capture);
    void setItems(QList<ClipboardItem> items);
    void setLastChangeCount(qint64 count);
    void trim();

    Pasteboard& pasteboard_;
    Workspace& workspace_;
    MainQueue& mainQueue_;
    QList<ClipboardItem> items_;
    QSet<QUuid> pinnedIds_;
    // What the last clear took away, while it can be taken back.
    QList<ClipboardItem> cleared_;
    UndoOffer clearUndo_;
    std::shared_ptr<Timer> settleTimer_;
    qint64 lastChangeCount_ = 0;
    bool polling_ = false;
};
