#include "app/InstanceStatus.h"

#include "app/AppModels.h"
#include "clipboard/ClipboardManager.h"
#include "notes/NotesManager.h"
#include "screenshots/ScreenshotManager.h"
#include "settings/SettingsManager.h"
#include "shelf/FileShelfManager.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <algorithm>

QJsonObject instanceStatus(const AppModels& models, const ShellStatus& shell) {
    const SettingsManager& settings = models.settings();
    const QJsonObject settingsStatus{
        {QStringLiteral("showNotch"), settings.showNotch()},
        {QStringLiteral("soundsEnabled"), settings.soundsEnabled()},
        {QStringLiteral("maxClipboardItems"), qint64(settings.maxClipboardItems())}};

    // Kinds and counts only: what was copied never leaves the process this way.
    const ClipboardManager& clipboard = models.clipboard();
    QJsonArray kinds;
    qint64 pinned = 0;
    for (const ClipboardItem& item : clipboard.displayItems()) {
        kinds.append(ClipboardContent::kindName(item.content.kind()));
        pinned += clipboard.pinnedIds().contains(item.id) ? 1 : 0;
    }
    const QJsonObject clipboardStatus{{QStringLiteral("count"), qint64(clipboard.items().size())},
                                      {QStringLiteral("pinned"), pinned},
                                      {QStringLiteral("kinds"), kinds}};

    const QList<NoteItem>& noteItems = models.notes().items();
    const QJsonObject notesStatus{
        {QStringLiteral("count"), qint64(noteItems.size())},
        {QStringLiteral("done"), qint64(std::count_if(noteItems.begin(), noteItems.end(),
                                                      [](const NoteItem& n) { return n.done; }))}};

    const ScreenshotManager& shotList = models.screenshots();
    const QJsonObject shots{{QStringLiteral("count"), qint64(shotList.items().size())},
                            {QStringLiteral("unseen"), qint64(shotList.unseenCount())},
                            {QStringLiteral("folder"), shotList.screenshotPath()}};

    return QJsonObject{
        {QStringLiteral("running"), true},
        {QStringLiteral("pid"), QCoreApplication::applicationPid()},
        {QStringLiteral("settings"), settingsStatus},
        {QStringLiteral("clipboard"), clipboardStatus},
        {QStringLiteral("shelf"),
         QJsonObject{{QStringLiteral("count"), qint64(models.shelf().files().size())}}},
        {QStringLiteral("notes"), notesStatus},
        {QStringLiteral("screenshots"), shots},
        {QStringLiteral("drawer"), QJsonObject{{QStringLiteral("visible"), shell.drawerVisible},
                                               {QStringLiteral("tab"), rawValue(shell.drawerTab)}}},
        {QStringLiteral("notch"), QJsonObject{{QStringLiteral("shown"), shell.notchShown},
                                              {QStringLiteral("hovered"), shell.notchHovered}}},
    };
}
