#include "app/InstanceChannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 maxCommandLength = 1024;

// A folder we own, that is no link, and that nobody else can read or enter.
bool isPrivateFolder(const QByteArray& path) {
    struct stat st {};
    if (lstat(path.constData(), &st) != 0) {
        return false;
    }
    return S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

QString makePrivateFolder(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    return isPrivateFolder(native) ? path : QString();
}

} // namespace

namespace InstancePaths {

QString directory() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        struct stat st {};
        if (stat(runtime.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid()) {
            const QString folder =
                makePrivateFolder(QFile::decodeName(runtime) + QStringLiteral("/hodgebin"));
            if (!folder.isEmpty()) {
                return folder;
            }
        }
    }
    return makePrivateFolder(QDir::tempPath() + QStringLiteral("/hodgebin-") +
                             QString::number(getuid()));
}

QString socketPath() {
    const QString dir = directory();
    return dir.isEmpty() ? QString() : dir + QStringLiteral("/hodgebin.sock");
}

QString lockPath() {
    const QString dir = directory();
    return dir.isEmpty() ? QString() : dir + QStringLiteral("/hodgebin.lock");
}

} // namespace InstancePaths

InstanceLock::InstanceLock() {
    const QString path = InstancePaths::lockPath();
    if (!path.isEmpty()) {
        lock_ = std::make_unique<QLockFile>(path);
        // Never stale by age: only a dead owner makes the lock stale.
        lock_->setStaleLockTime(0);
    }
}

bool InstanceLock::tryAcquire() {
    // Without a private folder there is no safe channel; run unguarded rather than not at all.
    return !lock_ || lock_->tryLock(0);
}

qint64 InstanceLock::ownerPid() const {
    qint64 pid = 0;
    QString host;
    QString app;
    if (lock_ && lock_->getLockInfo(&pid, &host, &app)) {
        return pid;
    }
    return 0;
}

InstanceServer::InstanceServer(Handler handler, QObject* parent)
    : QObject(parent)
    , handler_(std::move(handler))
    , server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &InstanceServer::accept);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::listen() {
    const QString path = InstancePaths::socketPath();
    if (path.isEmpty()) {
        return false;
    }
    QLocalServer::removeServer(path);
    return server_->listen(path);
}

void InstanceServer::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
        // A client that says nothing is not kept waiting for.
        QTimer::singleShot(2000, socket, [socket] { socket->abort(); });
        if (socket->bytesAvailable() > 0) {
            serve(socket);
        }
    }
}

void InstanceServer::serve(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > maxCommandLength) {
            socket->abort();
        }
        return;
    }
    const QString command = QString::fromUtf8(socket->readLine(maxCommandLength)).trimmed();
    socket->write(handler_(command).toUtf8() + '\n');
    socket->flush();
    socket->disconnectFromServer();
    if (command == QLatin1String("quit")) {
        Q_EMIT quitRequested();
    }
}

namespace InstanceClient {

std::optional<QString> send(const QString& command, int timeoutMs) {
    const QString path = InstancePaths::socketPath();
    if (path.isEmpty()) {
        return std::nullopt;
    }
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(int(deadline.remainingTime()))) {
        return std::nullopt;
    }
    socket.write(command.toUtf8() + '\n');
    socket.flush();
    QByteArray reply;
    while (!reply.contains('\n') && !deadline.hasExpired()) {
        if (!socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            if (socket.state() != QLocalSocket::ConnectedState) {
                reply += socket.readAll();
                break;
            }
            continue;
        }
        reply += socket.readAll();
    }
    const int end = reply.indexOf('\n');
    if (end < 0) {
        return std::nullopt;
    }
    return QString::fromUtf8(reply.left(end));
}

bool waitUntilGone(int timeoutMs) {
    const QString path = InstancePaths::lockPath();
    if (path.isEmpty()) {
        return true;
    }
    QLockFile lock(path);
    lock.setStaleLockTime(0);
    if (lock.tryLock(timeoutMs)) {
        lock.unlock();
        return true;
    }
    return false;
}

} // namespace InstanceClient
