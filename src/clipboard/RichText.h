#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

// Rich text as read from the clipboard: the RTF document exactly as it arrived and the plain
// text a reader sees in it. Immutable once made, and shared by reference between copies of
// an entry.
class RichText {
public:
    // Nothing when the bytes are not RTF that can be read.
    static std::shared_ptr<const RichText> fromRTF(const QByteArray& rtf);

    const QString& string() const { return string_; }
    qsizetype length() const { return string_.size(); }
    // Serialises the document as RTF: the bytes it was read from.
    const QByteArray& rtfData() const { return rtf_; }

private:
    RichText(QByteArray rtf, QString string);

    QByteArray rtf_;
    QString string_;
};
