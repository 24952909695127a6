#include "notes/NotesManager.h"

#include "platform/MainThread.h"
#include "platform/UserDefaults.h"

#include <QJsonDocument>
#include <QLoggingCategory>
#include <QPointer>
#include <QStringList>

#include <utility>

namespace {

Q_LOGGING_CATEGORY(lcNotes, "hodgebin.notes")

// The stored value as bytes, whatever type the settings file gave back. A text value with
// unquoted commas comes back from an INI file as a list of strings; join it again so that a
// backup holds what the user had.
QByteArray storedBytes(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QByteArray:
        return value.toByteArray();
    case QMetaType::QString:
        return value.toString().toUtf8();
    case QMetaType::QStringList:
        return value.toStringList().join(QLatin1Char(',')).toUtf8();
    default:
        return value.toString().toUtf8();
    }
}

// Why stored bytes are not a list of notes, in a few words.
QString notesDecodeError(const QByteArray& data) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError) {
        return QStringLiteral("not JSON: %1 at byte %2").arg(error.errorString()).arg(error.offset);
    }
    if (!document.isArray()) {
        return QStringLiteral("not a JSON list");
    }
    return QStringLiteral("a note lacks a field or has one of the wrong type");
}

} // namespace

NotesManager::NotesManager(UserDefaults& defaults, MainQueue* queue, QObject* parent)
    : QObject(parent)
    , defaults_(defaults)
    , clearUndo_(queue) {
    connect(&clearUndo_, &UndoOffer::openChanged, this, [this](bool open) {
        if (!open) {
            cleared_.clear();
        }
    });
    load();
}

namespace {
// The lines that hold something: an empty one left after a clear is no loss.
QList<NoteItem> written(const QList<NoteItem>& items) {
    QList<NoteItem> kept;
    for (const NoteItem& item : items) {
        if (!item.text.isEmpty()) {
            kept.append(item);
        }
    }
    return kept;
}
} // namespace

QUuid NotesManager::clear() {
    assertMainThread();
    QList<NoteItem> cleared = items_;
    if (clearUndo_.isOpen()) {
        // The first clear's notes, then what was written between the two.
        cleared = cleared_ + written(cleared);
    }
    const NoteItem blank = NoteItem::make();
    setItems({blank});
    if (!cleared.isEmpty() && clearUndo_.open()) {
        cleared_ = std::move(cleared);
    }
    return blank.id;
}

bool NotesManager::undoClear() {
    assertMainThread();
    if (!clearUndo_.isOpen()) {
        return false;
    }
    const QList<NoteItem> restored = std::exchange(cleared_, {}) + written(items_);
    clearUndo_.close();
    setItems(restored);
    return true;
}

void NotesManager::load() {
    const QVariant stored = defaults_.objectForKey(storageKey);
    if (stored.isValid()) {
        const QByteArray data = storedBytes(stored);
        if (std::optional<QList<NoteItem>> notes = decodeNotes(data)) {
            items_ = std::move(*notes);
            return;
        }
        if (!data.isEmpty()) {
            unreadable_ = data;
            qCWarning(lcNotes).noquote()
                << QStringLiteral("The notes stored under %1 in \"%2\" could not be read (%3); "
                                  "they are copied to a backup key at the first change")
                       .arg(storageKey, defaults_.location(), notesDecodeError(data));
        }
    }
    // Nothing is written here: the stored value stays as it is until the first change.
    items_ = {NoteItem::make()};
}

bool NotesManager::keepUnreadableData() {
    // Never replace an earlier backup with a different one: take the first key that is free or
    // already holds these very bytes. Those are written again all the same: a value that reads
    // back may be one whose earlier write never reached the disk.
    for (int n = 1;; ++n) {
        const QString key = n == 1 ? backupKey : backupKey + QLatin1Char('-') + QString::number(n);
        const QVariant existing = defaults_.objectForKey(key);
        if (existing.isValid() && storedBytes(existing) != *unreadable_) {
            continue;
        }
        if (!defaults_.setData(key, *unreadable_)) {
            qCWarning(lcNotes).noquote()
                << QStringLiteral("Could not back up the stored notes that could not be read "
                                  "under %1 in \"%2\": %3; they are not saved over until the "
                                  "backup is on disk")
                       .arg(key, defaults_.location(), defaults_.lastWriteError());
            return false;
        }
        qCWarning(lcNotes).noquote()
            << QStringLiteral("The stored notes that could not be read are kept under %1 in "
                              "\"%2\"")
                   .arg(key, defaults_.location());
        backupKeyUsed_ = key;
        unreadable_.reset();
        return true;
    }
}

void NotesManager::save() {
    assertMainThread();
    // Until the unreadable notes are safely kept elsewhere, the stored value is their only copy.
    if (unreadable_ && !keepUnreadableData()) {
        setCannotSave(true);
        return;
    }
    // Encoding and writing thousands of lines takes longer than a keystroke may: both happen off
    // the main thread, on a copy of the list, and a save not yet started gives way to a newer
    // one. Each save still starts at the change it follows, so a note is on disk a write time
    // after it was typed.
    const quint64 serial = ++savesStarted_;
    defaults_.setDataInBackground(
        storageKey, [notes = items_] { return encodeNotes(notes); },
        [guard = QPointer<NotesManager>(this), serial](bool written) {
            if (guard && serial >= guard->newestSaveDone_) {
                guard->newestSaveDone_ = serial;
                guard->setCannotSave(!written);
            }
        });
}

void NotesManager::setCannotSave(bool cannotSave) {
    assertMainThread();
    if (cannotSave_ == cannotSave) {
        return;
    }
    cannotSave_ = cannotSave;
    // Once per change of state: a failing disk would otherwise log every keystroke.
    if (cannotSave) {
        qCWarning(lcNotes).noquote()
            << QStringLiteral("Could not save the notes to \"%1\": %2; they are kept in memory "
                              "and saved again at the next change")
                   .arg(defaults_.location(), defaults_.lastWriteError());
    } else {
        qCInfo(lcNotes) << "Notes saved again";
    }
    Q_EMIT cannotSaveChanged(cannotSave);
}

void NotesManager::setItems(const QList<NoteItem>& items) {
    assertMainThread();
    const bool differs = items_ != items;
    items_ = items;
    save();
    if (differs) {
        Q_EMIT itemsChanged();
    }
}

std::optional<qsizetype> NotesManager::position(const QUuid& id) const {
    for (qsizetype i = 0; i < items_.size(); ++i) {
        if (items_[i].id == id) {
            return i;
        }
    }
    return std::nullopt;
}

QUuid NotesManager::addItem(const QUuid& after) {
    assertMainThread();
    const std::optional<qsizetype> p = position(after);
    const NoteItem note = NoteItem::make(p ? items_[*p].indent : 0);
    if (p) {
        items_.insert(*p + 1, note);
    } else {
        items_.append(note);
    }
    Q_EMIT itemsChanged();
    save();
    return note.id;
}

void NotesManager::indentItem(const QUuid& id) {
    assertMainThread();
    const std::optional<qsizetype> p = position(id);
    if (!p || items_[*p].indent > maxIndent - 1) {
        return;
    }
    items_[*p].indent += 1;
    Q_EMIT itemsChanged();
    save();
}

void NotesManager::outdentItem(const QUuid& id) {
    assertMainThread();
    const std::optional<qsizetype> p = position(id);
    if (!p || items_[*p].indent <= 0) {
        return;
    }
    items_[*p].indent -= 1;
    Q_EMIT itemsChanged();
    save();
}

std::optional<QUuid> NotesManager::backspaceEmptyItem(const QUuid& id) {
    assertMainThread();
    const std::optional<qsizetype> p = position(id);
    if (!p || !items_[*p].text.isEmpty()) {
        return std::nullopt;
    }
    if (items_[*p].indent > 0) {
        items_[*p].indent -= 1;
        Q_EMIT itemsChanged();
        save();
        return std::nullopt;
    }
    if (items_.size() < 2) {
        return std::nullopt;
    }
    items_.removeAt(*p);
    Q_EMIT itemsChanged();
    save();
    const qsizetype target = std::min(*p == 0 ? 0 : *p - 1, items_.size() - 1);
    return items_[target].id;
}

template <typename Edit> void NotesManager::editItem(const QUuid& id, Edit edit) {
    const std::optional<qsizetype> p = position(id);
    if (!p) {
        return;
    }
    const NoteItem before = items_[*p];
    edit(items_[*p]);
    // Written through like an assignment of the whole list: always saved, announced on change.
    save();
    if (items_[*p] != before) {
        Q_EMIT itemsChanged();
    }
}

void NotesManager::setText(const QUuid& id, const QString& text) {
    assertMainThread();
    editItem(id, [&text](NoteItem& note) { note.text = text; });
}

void NotesManager::setDone(const QUuid& id, bool done) {
    assertMainThread();
    editItem(id, [done](NoteItem& note) { note.done = done; });
}
