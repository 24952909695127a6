#pragma once

#include "clipboard/ClipboardItem.h"

#include <optional>

class PasteboardContents;

// The one entry a clipboard's contents make, looking at its kinds in a fixed order: file URLs,
// a TIFF image, a PNG image, non-blank rich text, non-blank plain text. Nothing when none of
// them is there or readable. Reading never changes the clipboard. Safe on any thread: it
// touches nothing but the contents given.
std::optional<ClipboardContent> readContent(const PasteboardContents& pasteboard);

// Whether the clipboard's owner marked its contents as secret (password managers do), so
// that they must not be kept.
bool isMarkedSecret(const PasteboardContents& pasteboard);
