#pragma once

#include <QString>

#include <optional>

// Where the desktop's screenshot tool saves its pictures.
class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;

    // The folder the user or the desktop configured, as a path (possibly starting with "~");
    // nothing when the desktop gives no answer.
    virtual std::optional<QString> location() const = 0;
};

// A leading "~" or "~user" replaced by that user's home folder; any other path unchanged.
QString expandTildeInPath(const QString& path);
