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
        // PNG and TIFF bytes go back as they came; the pasteboard offers the other of the two
        // itself, so nothing is decoded here. An image that gives no bytes leaves it empty.
        if (const auto image = content.imageValue()) {
            const auto [type, bytes] = image->clipboardData();
            if (!bytes.isEmpty()) {
                pasteboard.setData(bytes, type);
            }
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
    pasteboard.commit();
}
