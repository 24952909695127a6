#include "clipboard/ClipboardManager.h"

#include "clipboard/ClipboardCapture.h"
#include "clipboard/ClipboardCopyBack.h"
#include "platform/MainQueue.h"
#include "platform/MainThread.h"
#include "platform/Pasteboard.h"
#include "platform/Workspace.h"

#include <algorithm>
#include <utility>

ClipboardManager::ClipboardManager(Pasteboard& pasteboard, Workspace& workspace,
                                   MainQueue& mainQueue, QObject* parent)
    : QObject(parent)
    , pasteboard_(pasteboard)
    , workspace_(workspace)
    , mainQueue_(mainQueue)
    , clearUndo_(&mainQueue) {
    connect(&clearUndo_, &UndoOffer::openChanged, this, [this](bool open) {
        if (!open) {
            cleared_.clear();
        }
    });
}

QDateTime ClipboardManager::now() const {
    return mainQueue_.now();
}

// What a read makes of one change. Filled on the reader's thread, used on the main thread once
// the read is done.
struct ClipboardManager::Capture {
    std::optional<ClipboardContent> content;
    std::optional<QString> owner;
    // The newest entry when the change was noticed, compared there so that a long text is not
    // compared on the main thread.
    std::optional<QUuid> topId;
    std::optional<ClipboardContent> topContent;
    bool repeatsTop = false;
};

void ClipboardManager::startPolling() {
    // Whatever the clipboard holds now is taken as already seen.
    setLastChangeCount(pasteboard_.changeCount());
    polling_ = true;
    pasteboard_.observeChanges(weakly(this, [](ClipboardManager* self) { self->scheduleRead(); }));
}

void ClipboardManager::scheduleRead() {
    if (!polling_ || settleTimer_) {
        return;
    }
    settleTimer_ =
        mainQueue_.scheduledTimer(settleDelay, false, weakly(this, [](ClipboardManager* self) {
                                      self->settleTimer_.reset();
                                      self->checkPasteboard();
                                      Q_EMIT self->settleTimerChanged();
                                  }));
    Q_EMIT settleTimerChanged();
}

void ClipboardManager::checkPasteboard() {
    if (pasteboard_.changeCount() == lastChangeCount_) {
        return;
    }
    // From here the change counts as handled, whatever comes of it.
    setLastChangeCount(pasteboard_.changeCount());

    auto capture = std::make_shared<Capture>();
    if (!items_.isEmpty()) {
        capture->topId = items_.first().id;
        capture->topContent = items_.first().content;
    }
    pasteboard_.readContents(
        [capture](const PasteboardContents& contents) {
            if (isMarkedSecret(contents)) {
                return;
            }
            capture->content = readContent(contents);
            if (capture->content) {
                capture->owner = contents.ownerName();
                if (capture->topContent) {
                    capture->repeatsTop = *capture->topContent == *capture->content;
                }
            }
            capture->topContent.reset();
        },
        weakly(this, [capture](ClipboardManager* self) { self->record(*capture); }));
}

void ClipboardManager::record(Capture& capture) {
    assertMainThread();
    if (!capture.content) {
        return;
    }
    if (!items_.isEmpty()) {
        // Another entry may have come to the top while the content was read.
        const bool repeats = capture.topId == items_.first().id
                                 ? capture.repeatsTop
                                 : items_.first().content == *capture.content;
        if (repeats) {
            return;
        }
    }
    // When the owner tells nothing, the copy was most likely made in the window in front.
    std::optional<QString> source =
        capture.owner ? std::move(capture.owner) : workspace_.activeApplicationName();
    items_.prepend(
        ClipboardItem::make(std::move(*capture.content), mainQueue_.now(), std::move(source)));
    Q_EMIT itemsChanged();
    if (items_.size() > maxItems) {
        trim();
    }
}

void ClipboardManager::trim() {
    QList<ClipboardItem> pinned;
    QList<ClipboardItem> unpinned;
    for (const ClipboardItem& item : std::as_const(items_)) {
        (pinnedIds_.contains(item.id) ? pinned : unpinned).append(item);
    }
    // Pinned entries all stay; the newest unpinned ones fill what is left of the bound.
    const qint64 keep = std::max<qint64>(0, maxItems - pinned.size());
    pinned.append(unpinned.first(std::min<qint64>(keep, unpinned.size())));
    std::stable_sort(
        pinned.begin(), pinned.end(),
        [](const ClipboardItem& a, const ClipboardItem& b) { return a.timestamp > b.timestamp; });
    setItems(std::move(pinned));
}

QList<ClipboardItem> ClipboardManager::displayItems() const {
    QList<ClipboardItem> pinned;
    QList<ClipboardItem> unpinned;
    for (const ClipboardItem& item : items_) {
        (pinnedIds_.contains(item.id) ? pinned : unpinned).append(item);
    }
    pinned.append(unpinned);
    return pinned;
}

void ClipboardManager::togglePin(const QUuid& id) {
    assertMainThread();
    if (!pinnedIds_.remove(id)) {
        pinnedIds_.insert(id);
    }
    Q_EMIT pinnedIdsChanged();
}

void ClipboardManager::remove(const QUuid& id) {
    assertMainThread();
    items_.removeIf([&id](const ClipboardItem& item) { return item.id == id; });
    Q_EMIT itemsChanged();
}

void ClipboardManager::clearAll() {
    assertMainThread();
    QList<ClipboardItem> cleared = items_;
    if (clearUndo_.isOpen()) {
        cleared.append(cleared_);
    }
    setItems({});
    if (!cleared.isEmpty() && clearUndo_.open()) {
        cleared_ = std::move(cleared);
    }
}

bool ClipboardManager::undoClear() {
    assertMainThread();
    if (!clearUndo_.isOpen()) {
        return false;
    }
    // Copies made since the clear are newer, so they stay on top.
    QList<ClipboardItem> restored = items_;
    restored.append(std::exchange(cleared_, {}));
    clearUndo_.close();
    setItems(std::move(restored));
    if (items_.size() > maxItems) {
        trim();
    }
    return true;
}

void ClipboardManager::insertAtTop(const ClipboardItem& item) {
    assertMainThread();
    items_.prepend(item);
    Q_EMIT itemsChanged();
}

void ClipboardManager::copyToPasteboard(const ClipboardItem& item) {
    ::copyToPasteboard(item, pasteboard_);
}

void ClipboardManager::setItems(QList<ClipboardItem> items) {
    assertMainThread();
    // Entries have identity, so lists that hold the same entries in the same order are equal.
    const bool same =
        items.size() == items_.size() &&
        std::equal(items.begin(), items.end(), items_.begin(),
                   [](const ClipboardItem& a, const ClipboardItem& b) { return a.id == b.id; });
    items_ = std::move(items);
    if (!same) {
        Q_EMIT itemsChanged();
    }
}

void ClipboardManager::setLastChangeCount(qint64 count) {
    assertMainThread();
    if (count == lastChangeCount_) {
        return;
    }
    lastChangeCount_ = count;
    Q_EMIT lastChangeCountChanged();
}
