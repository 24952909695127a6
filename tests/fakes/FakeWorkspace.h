#pragma once

#include "platform/Workspace.h"

#include <QFileInfo>
#include <QHash>

// A desktop that records what was revealed and opened instead of doing it.
class FakeWorkspace final : public Workspace {
public:
    std::optional<QString> activeApplicationName() const override { return activeApplication; }

    QIcon iconForFile(const QString& path) const override {
        iconRequests.append(path);
        return icons.value(path);
    }

    qint64 fileSize(const QString& path) const override {
        const QFileInfo info(path);
        return info.exists() ? info.size() : 0;
    }

    void showInFileManager(const QList<QUrl>& urls) override { revealed.append(urls); }

    bool openUrl(const QUrl& url) override {
        opened.append(url);
        return true;
    }

    std::optional<QString> activeApplication;
    mutable QStringList iconRequests;
    // The icon a file is given; none for the rest.
    QHash<QString, QIcon> icons;
    QList<QUrl> revealed;
    QList<QUrl> opened;
};
