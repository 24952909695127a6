#include "notes/NoteItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace {

const QString idKey = QStringLiteral("id");
const QString textKey = QStringLiteral("text");
const QString doneKey = QStringLiteral("done");
const QString indentKey = QStringLiteral("indent");

// The canonical hyphenated form only (either letter case); QUuid alone would also take braces.
std::optional<QUuid> parseUuid(const QString& s) {
    static const QRegularExpression canonical(QStringLiteral(
        "^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (s.size() != 36 || !canonical.match(s).hasMatch()) {
        return std::nullopt;
    }
    return QUuid::fromString(s);
}

// A JSON number that is a whole number within 64 bits (7.0 counts; 7.5 and 1e30 do not).
std::optional<qint64> parseInteger(const QJsonValue& value) {
    if (!value.isDouble()) {
        return std::nullopt;
    }
    // toInteger answers its fallback for anything that is not such a number; two different
    // fallbacks tell a real value from a fallback.
    const qint64 a = value.toInteger(0);
    const qint64 b = value.toInteger(1);
    if (a != b) {
        return std::nullopt;
    }
    return a;
}

} // namespace

NoteItem NoteItem::make(qint64 indent) {
    NoteItem item;
    item.id = QUuid::createUuid();
    item.indent = indent;
    return item;
}

QJsonObject NoteItem::toJson() const {
    return QJsonObject{{idKey, id.toString(QUuid::WithoutBraces).toUpper()},
                       {textKey, text},
                       {doneKey, done},
                       {indentKey, indent}};
}

std::optional<NoteItem> NoteItem::fromJson(const QJsonValue& value) {
    if (!value.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    const QJsonValue id = object.value(idKey);
    const QJsonValue text = object.value(textKey);
    const QJsonValue done = object.value(doneKey);
    if (!id.isString() || !text.isString() || !done.isBool()) {
        return std::nullopt;
    }
    const std::optional<QUuid> uuid = parseUuid(id.toString());
    const std::optional<qint64> indent = parseInteger(object.value(indentKey));
    if (!uuid || !indent) {
        return std::nullopt;
    }
    NoteItem item;
    item.id = *uuid;
    item.text = text.toString();
    item.done = done.toBool();
    item.indent = *indent;
    return item;
}

QByteArray encodeNotes(const QList<NoteItem>& notes) {
    QJsonArray array;
    for (const NoteItem& note : notes) {
        array.append(note.toJson());
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<NoteItem>> decodeNotes(const QByteArray& data) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        return std::nullopt;
    }
    const QJsonArray array = document.array();
    QList<NoteItem> notes;
    notes.reserve(array.size());
    for (const QJsonValue& element : array) {
        std::optional<NoteItem> note = NoteItem::fromJson(element);
        if (!note) {
            return std::nullopt;
        }
        notes.append(std::move(*note));
    }
    return notes;
}
