#pragma once

#include "clipboard/ClipboardItem.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>

#include <memory>

class MainQueue;
class Pasteboard;
class Timer;
class Workspace;

// The clipboard history. It looks at the clipboard's change count on a half-second tick and turns
// each change into an entry at the top, unless it repeats the newest entry. The tick runs only
// while a change waits to be looked at, on the same half-second beat it would keep if it ran
// all along. The content is read off the main thread and enters in the order of the changes.
// The history keeps at most 100 entries but never drops a pinned one. It lives in memory only.
class ClipboardManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint64 lastChangeCount READ lastChangeCount NOTIFY lastChangeCountChanged)

public:
    static constexpr qint64 maxItems = 100;
    static constexpr double pollInterval = 0.5;

    ClipboardManager(Pasteboard& pasteboard, Workspace& workspace, MainQueue& mainQueue,
                     QObject* parent = nullptr);

    const QList<ClipboardItem>& items() const { return items_; }
    const QSet<QUuid>& pinnedIds() const { return pinnedIds_; }
    qint64 lastChangeCount() const { return lastChangeCount_; }
    // The tick due for a change not yet looked at; null while there is none.
    const std::shared_ptr<Timer>& pollTimer() const { return pollTimer_; }
    bool isPolling() const { return polling_; }

    // Takes the clipboard as it is now as seen, then follows its changes for good.
    void startPolling();
    // One tick: if the clipboard changed since the last look, reads its content and records it
    // once the read is done.
    void checkPasteboard();

    // Pinned entries first, then the others, each in history order.
    QList<ClipboardItem> displayItems() const;
    void togglePin(const QUuid& id);
    void remove(const QUuid& id);
    void clearAll();
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
    void pollTimerChanged();

private:
    struct Capture;
    void scheduleTick();
    void record(Capture& capture, std::optional<QString> sourceApp);
    void setItems(QList<ClipboardItem> items);
    void setLastChangeCount(qint64 count);
    void trim();

    Pasteboard& pasteboard_;
    Workspace& workspace_;
    MainQueue& mainQueue_;
    QList<ClipboardItem> items_;
    QSet<QUuid> pinnedIds_;
    std::shared_ptr<Timer> pollTimer_;
    qint64 lastChangeCount_ = 0;
    bool polling_ = false;
    double pollingSince_ = 0;
};
