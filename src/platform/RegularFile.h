#pragma once

#include <QFile>
#include <QString>

#include <memory>

// Opens path for reading only when it is a regular file (following links). A pipe, socket or
// device that carries the name is refused at once instead of blocking the main thread, and
// the check and the open are one step, so the name cannot be swapped in between.
std::unique_ptr<QFile> openRegularFile(const QString& path);
