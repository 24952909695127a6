#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Extracts the plain text of an RTF document: the characters a reader sees, with paragraph
// and line breaks as newlines and tabs as tabs, and none of the formatting, font tables,
// pictures or other out-of-line material. Answers nothing for bytes that are not well-formed
// RTF (no "{\rtf" header, unbalanced braces, a truncated document). The reader keeps its own
// group stack on the heap and makes one pass over the bytes, so any input finishes in time
// proportional to its length.
class RtfReader {
public:
    static std::optional<QString> plainText(const QByteArray& rtf);
};
