#pragma once

#include "notes/NoteItem.h"
#include "panel/UndoOffer.h"

#include <QList>
#include <QObject>

#include <optional>

class MainQueue;
class UserDefaults;

// The notes, top to bottom, loaded once from user defaults and written back at every change.
// Stored data that cannot be read leaves the user with one empty note; it is copied to a backup
// key before the first save replaces it, so nothing the user wrote is lost. A save that does
// not reach the disk is announced (cannotSave) and made again at the next change.
class NotesManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool cannotSave READ cannotSave NOTIFY cannotSaveChanged)

public:
    static inline const QString storageKey = QStringLiteral("hodgebin.notes.v2");
    static inline const QString backupKey = QStringLiteral("hodgebin.notes.v2.unreadable");
    // Indenting stops at this level; outdenting at 0.
    static constexpr qint64 maxIndent = 4;

    // The queue times how long a clear can be taken back; without one it cannot be.
    explicit NotesManager(UserDefaults& defaults, MainQueue* queue = nullptr,
                          QObject* parent = nullptr);

    const QList<NoteItem>& items() const { return items_; }
    // Replaces the whole list and saves it (also when it is equal; then nobody is notified).
    void setItems(const QList<NoteItem>& items);
    // Writes the list to user defaults; the write itself happens in the background, and
    // cannotSave follows its outcome.
    void save();
    // The last save did not reach the disk: the notes live in memory only until a save does.
    bool cannotSave() const { return cannotSave_; }

    // The index of the first note with this id.
    std::optional<qsizetype> position(const QUuid& id) const;

    // Adds an empty note directly below the given one, at its indent; at the end with indent 0
    // when the id is unknown. Answers the new note's id.
    QUuid addItem(const QUuid& after);
    // One level deeper, up to maxIndent; nothing (and no save) otherwise.
    void indentItem(const QUuid& id);
    // One level shallower, down to 0; nothing (and no save) otherwise.
    void outdentItem(const QUuid& id);
    // Backspace in an empty line: an indented line moves one level out; an unindented one is
    // deleted unless it is the last note left. Answers the note to focus after a deletion (the
    // line above, or the new first line), and nothing when no line was deleted.
    std::optional<QUuid> backspaceEmptyItem(const QUuid& id);

    // "Clear": one empty note in place of all of them, saved; answers its id. While clearUndo()
    // is open afterwards, undoClear brings the notes back exactly as they were (text, done
    // marks, indents, order), followed by any line written since, and saves them; a second
    // clear meanwhile is taken back together with the first.
    QUuid clear();
    // Answers whether there was a clear to take back.
    bool undoClear();
    UndoOffer& clearUndo() { return clearUndo_; }

    // Edits of one note, as a view writes them: each writes the list through, like setItems.
    void setText(const QUuid& id, const QString& text);
    void setDone(const QUuid& id, bool done);

    // Where the unreadable stored notes were kept, once the first save has had to keep them.
    std::optional<QString> backupKeyUsed() const { return backupKeyUsed_; }

Q_SIGNALS:
    void itemsChanged();
    void cannotSaveChanged(bool cannotSave);

private:
    void load();
    // Answers whether the backup is on disk.
    bool keepUnreadableData();
    void setCannotSave(bool cannotSave);
    template <typename Edit> void editItem(const QUuid& id, Edit edit);

    UserDefaults& defaults_;
    QList<NoteItem> items_;
    // What the last clear took away, while it can be taken back.
    QList<NoteItem> cleared_;
    UndoOffer clearUndo_;
    // The stored bytes that could not be decoded, until they are backed up.
    std::optional<QByteArray> unreadable_;
    std::optional<QString> backupKeyUsed_;
    bool cannotSave_ = false;
    // Saves are numbered so that only the newest finished one sets cannotSave.
    quint64 savesStarted_ = 0;
    quint64 newestSaveDone_ = 0;
};
