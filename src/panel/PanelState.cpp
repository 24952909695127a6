#include "panel/PanelState.h"

#include "platform/MainQueue.h"
#include "platform/MainThread.h"

PanelState::PanelState(MainQueue& queue, QObject* parent)
    : QObject(parent)
    , queue_(queue) {}

void PanelState::setRequestedTab(std::optional<DrawerTab> tab) {
    assertMainThread();
    if (requestedTab_ == tab) {
        return;
    }
    requestedTab_ = tab;
    Q_EMIT requestedTabChanged();
}

void PanelState::setPendingNoteText(const std::optional<QString>& text) {
    assertMainThread();
    if (pendingNoteText_ == text) {
        return;
    }
    pendingNoteText_ = text;
    Q_EMIT pendingNoteTextChanged();
}

void PanelState::setCopyFlashVisible(bool visible) {
    assertMainThread();
    if (copyFlashVisible_ == visible) {
        return;
    }
    copyFlashVisible_ = visible;
    Q_EMIT copyFlashVisibleChanged(visible);
}

void PanelState::showCopyFlash() {
    setCopyFlashVisible(true);
    queue_.asyncAfter(copyFlashDuration,
                      weakly(this, [](PanelState* self) { self->setCopyFlashVisible(false); }));
}
