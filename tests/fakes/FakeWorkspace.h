#pragma once

#include "platform/Workspace.h"

#include <QFileInfo>

// A desktop that records what was revealed and opened instead of doing it.
class FakeWorkspace final : public Workspace {
public:
    std::optional<QString> frontmostApplicationName() const override { return frontmost; }

    QIcon iconForFile(const QString& path) const override {
        iconRequests.append(path);
        return QIcon();
    }

    qint64 fileSize(const QString& path) const override {
        const QFileInfo info(path);
        return info.exists() ? info.size() : 0;
    }

    void activateFileViewerSelectingURLs(const QList<QUrl>& urls) override {
        revealed.append(urls);
    }

    bool openURL(const QUrl& url) override {
        opened.append(url);
        return true;
    }

    std::optional<QString> frontmost;
    mutable QStringList iconRequests;
    QList<QUrl> revealed;
    QList<QUrl> opened;
};
