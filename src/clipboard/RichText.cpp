#include "clipboard/RichText.h"

#include "clipboard/RtfReader.h"

RichText::RichText(QByteArray rtf, QString string)
    : rtf_(std::move(rtf))
    , string_(std::move(string)) {}

std::shared_ptr<const RichText> RichText::fromRTF(const QByteArray& rtf) {
    std::optional<QString> text = RtfReader::plainText(rtf);
    if (!text) {
        return nullptr;
    }
    return std::shared_ptr<const RichText>(new RichText(rtf, std::move(*text)));
}
