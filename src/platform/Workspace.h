#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// The desktop around the program: which application is active, what files look like, and
// the file manager and default applications.
class Workspace {
public:
    virtual ~Workspace() = default;

    // The name of the application whose window is active; nothing when it cannot be told or
    // when that application is this program.
    virtual std::optional<QString> activeApplicationName() const = 0;
    // The icon the desktop shows for a file of this kind.
    virtual QIcon iconForFile(const QString& path) const = 0;
    // The size in bytes that the file system records for the item at the path (a folder's own
    // entry, a file even when its contents cannot be read); 0 when its attributes cannot be read.
    virtual qint64 fileSize(const QString& path) const = 0;
    // Shows the files selected in the file manager (or at least their folder).
    virtual void showInFileManager(const QList<QUrl>& urls) = 0;
    // Opens the file with the user's default application.
    virtual bool openUrl(const QUrl& url) = 0;
};
