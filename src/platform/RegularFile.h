#pragma once

#include <QFile>
#include <QString>

#include <memory>

// Opens path for reading only when it is a regular file (following links). A pipe, socket or
// device that carries the name is refused at once instead of blocking the main thread, and
// the check and the open are one step, so the name cannot be swapped in between.
std::unique_ptr<QFile> openRegularFile(const QString& path);

// What a path names, following links, for whether it may go on the shelf.
enum class FileKind {
    Missing,
    // A regular file or a folder on a file system that holds real files.
    FileOrFolder,
    // A pipe, socket or device, or an entry of a kernel file system such as /proc or /sys,
    // whose files only look regular (reading /proc/self/mem fails, others never end).
    Other,
};
FileKind fileKind(const QString& path);
