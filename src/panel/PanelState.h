#pragma once

#include "panel/DrawerTab.h"

#include <QObject>
#include <QString>

#include <optional>

class MainQueue;

// The drawer's state that outlives any one view: a tab asked for by another part of the
// program, text typed into the drawer that should become a note, and the "Copied" badge.
// The first two are one-shot requests that their reader clears after acting on them.
class PanelState final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool copyFlashVisible READ copyFlashVisible WRITE setCopyFlashVisible NOTIFY
                   copyFlashVisibleChanged)

public:
    // How long the badge stays after showCopyFlash, and how long its hiding animates (the
    // view fades it out over that time; it appears at once).
    static constexpr double copyFlashDuration = 0.8;
    static constexpr double copyFlashHideAnimation = 0.3;

    explicit PanelState(MainQueue& queue, QObject* parent = nullptr);

    std::optional<DrawerTab> requestedTab() const { return requestedTab_; }
    void setRequestedTab(std::optional<DrawerTab> tab);

    std::optional<QString> pendingNoteText() const { return pendingNoteText_; }
    void setPendingNoteText(const std::optional<QString>& text);

    bool copyFlashVisible() const { return copyFlashVisible_; }
    void setCopyFlashVisible(bool visible);

    // Shows the badge now and hides it copyFlashDuration later. Each call schedules its own
    // hiding and none is cancelled, so the first call's hiding ends a run of quick copies.
    void showCopyFlash();

Q_SIGNALS:
    void requestedTabChanged();
    void pendingNoteTextChanged();
    void copyFlashVisibleChanged(bool visible);

private:
    MainQueue& queue_;
    std::optional<DrawerTab> requestedTab_;
    std::optional<QString> pendingNoteText_;
    bool copyFlashVisible_ = false;
};
