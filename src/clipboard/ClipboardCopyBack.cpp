#include "clipboard/ClipboardCopyBack.h"

#include "clipboard/ClipboardItem.h"
#include "platform/Pasteboard.h"

void copyToPasteboard(const ClipboardItem& item, Pasteboard& pasteboard) {
    pasteboard.clearContents();
    const ClipboardContent& content = item.content;
    switch (content.kind()) {
    case ClipboardContent::Kind::text:
        pasteboard.setString(content.textValue(), PasteboardType::string);
        break;
    case ClipboardContent::Kind::image:
        // The encoded bytes go back as they came; the pasteboard offers the other image types
        // itself, so nothing is decoded here.
        if (const auto image = content.imageValue()) {
            pasteboard.setData(image->data(), image->mimeType());
        }
        break;
    case ClipboardContent::Kind::fileURL:
        pasteboard.writeFileURLs({content.fileURLValue()});
        break;
    case ClipboardContent::Kind::rtf:
        if (const auto rich = content.rtfValue()) {
            pasteboard.setData(rich->rtfData(), PasteboardType::rtf);
            pasteboard.setString(rich->string(), PasteboardType::string);
        }
        break;
    }
}
