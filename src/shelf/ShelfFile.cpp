#include "shelf/ShelfFile.h"

#include "platform/Workspace.h"

#include <algorithm>

ShelfFile ShelfFile::make(const QUrl& url, const Workspace* workspace, const QDateTime& now) {
    ShelfFile file;
    file.id_ = QUuid::createUuid();
    file.url_ = url;
    file.name_ = lastPathComponent(url);
    file.timestamp_ = now;
    const QString path = url.toLocalFile();
    if (workspace != nullptr && !path.isEmpty()) {
        file.icon_ = workspace->iconForFile(path);
        file.size_ = std::max<qint64>(0, workspace->fileSize(path));
    }
    return file;
}

QString ShelfFile::lastPathComponent(const QUrl& url) {
    QString path = url.path(QUrl::FullyDecoded);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    if (path == QLatin1String("/")) {
        return path;
    }
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}
