#pragma once

#include <QDateTime>
#include <QIcon>
#include <QString>
#include <QUrl>
#include <QUuid>

class Workspace;

// One file on the shelf. Everything is taken when the file is added and never refreshed: a file
// moved or deleted afterwards keeps the name, icon and size it had.
class ShelfFile {
public:
    // Looks the file up now: its icon and size come from the workspace (size 0 when the file
    // cannot be read, or when there is no workspace to ask).
    static ShelfFile make(const QUrl& url, const Workspace* workspace, const QDateTime& now);

    QUuid id() const { return id_; }
    QUrl url() const { return url_; }
    QString name() const { return name_; }
    QIcon icon() const { return icon_; }
    qint64 size() const { return size_; }
    QDateTime timestamp() const { return timestamp_; }

    // Entries are the same entry only by identity; equal files added twice are not.
    friend bool operator==(const ShelfFile& a, const ShelfFile& b) { return a.id_ == b.id_; }

    // The last component of the URL's path, ignoring a trailing slash ("/a/b/" gives "b").
    static QString lastPathComponent(const QUrl& url);

private:
    ShelfFile() = default;

    QUuid id_;
    QUrl url_;
    QString name_;
    QIcon icon_;
    qint64 size_ = 0;
    QDateTime timestamp_;
};
