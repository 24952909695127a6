#include "platform/linux/FileManagerReveal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QStringList>

namespace {

void openContainingFolder(const QList<QUrl>& urls) {
    if (!urls.isEmpty()) {
        QDesktopServices::openUrl(
            QUrl::fromLocalFile(QFileInfo(urls.first().toLocalFile()).absolutePath()));
    }
}

} // namespace

void revealInFileManager(const QList<QUrl>& urls, QObject* context) {
    if (urls.isEmpty()) {
        return;
    }
    QStringList uris;
    for (const QUrl& url : urls) {
        uris << QString::fromUtf8(url.toEncoded());
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openContainingFolder(urls);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 3000), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, urls] {
        if (watcher->isError()) {
            openContainingFolder(urls);
        }
        watcher->deleteLater();
    });
}
