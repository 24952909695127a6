#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// One line of the notes: its text, whether it is ticked off, and its indentation level
// (0 at the left margin; editing keeps it within 0...4, but a stored level is taken as it is).
struct NoteItem {
    QUuid id;
    QString text;
    bool done = false;
    qint64 indent = 0;

    // A fresh, empty line at the left margin.
    static NoteItem make(qint64 indent = 0);

    // The stored form: {"id": upper-case UUID, "text", "done", "indent"}.
    QJsonObject toJson() const;
    // All four keys are required with their JSON types; other keys are ignored.
    static std::optional<NoteItem> fromJson(const QJsonValue& value);

    friend bool operator==(const NoteItem&, const NoteItem&) = default;
};

// The stored list: a compact JSON array of notes, in order, as UTF-8.
QByteArray encodeNotes(const QList<NoteItem>& notes);
// The whole list, or nothing when the data is not such an array or any one element is bad.
std::optional<QList<NoteItem>> decodeNotes(const QByteArray& data);
