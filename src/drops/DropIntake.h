#pragma once

class ClipboardManager;
class DragPasteboard;
class FileShelfManager;

// What a drop onto the pill or the drawer becomes, tried in this order: a link to a local
// file, paths written as plain text, the dragged files, and last the text itself as a history
// entry. Answers whether the drop was taken; a drop of nothing usable changes nothing.
//
// Only files that exist when the drop arrives are put on the shelf. Files are never copied or
// moved: the shelf points at them where they lie.
bool handleDrop(const DragPasteboard& drag, FileShelfManager& shelf, ClipboardManager& clipboard);
