#pragma once

#include "platform/Workspace.h"

#include <QObject>

// The desktop as X11 and freedesktop.org services show it.
class X11Workspace final : public QObject, public Workspace {
    Q_OBJECT
public:
    explicit X11Workspace(QObject* parent = nullptr);

    // The class name (WM_CLASS) of the window named by _NET_ACTIVE_WINDOW; nothing while that
    // window is one of ours.
    std::optional<QString> activeApplicationName() const override;
    QIcon iconForFile(const QString& path) const override;
    qint64 fileSize(const QString& path) const override;
    // org.freedesktop.FileManager1.ShowItems; the containing folder is opened when no file
    // manager answers.
    void showInFileManager(const QList<QUrl>& urls) override;
    bool openUrl(const QUrl& url) override;
};
