#pragma once

struct ClipboardItem;
class Pasteboard;

// Replaces the clipboard's contents with an entry's content. The clipboard is emptied first in
// every case; rich text goes on as RTF and as plain text, an image in the type its bytes are
// in, a file as a file URL (whether or not the file still exists). Other programs paste the new
// content as soon as this returns.
void copyToPasteboard(const ClipboardItem& item, Pasteboard& pasteboard);
