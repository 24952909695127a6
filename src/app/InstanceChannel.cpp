#include "app/InstanceChannel.h"

#include "platform/Logging.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 maxCommandLength = 1024;

// Makes the folder, or takes the one there, if it is a real folder of this user that nobody
// else can read or enter. The checks run after creation: a folder someone else made first at
// this name fails them.
QString makePrivateFolder(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        qCWarning(lcApp) << "cannot create" << path << ":" << strerror(errno);
        return {};
    }
    struct stat st {};
    if (lstat(native.constData(), &st) != 0) {
        qCWarning(lcApp) << "cannot inspect" << path << ":" << strerror(errno);
        return {};
    }
    if (!S_ISDIR(st.st_mode)) {
        qCWarning(lcApp) << path << "is not a folder (a link or a file); not used";
        return {};
    }
    if (st.st_uid != getuid()) {
        qCWarning(lcApp) << path << "belongs to user" << st.st_uid << "; not used";
        return {};
    }
    if ((st.st_mode & 077) != 0) {
        // Our own folder, opened up since; close it again before anything goes in.
        if (chmod(native.constData(), 0700) != 0 || lstat(native.constData(), &st) != 0 ||
            (st.st_mode & 077) != 0) {
            qCWarning(lcApp) << path << "is open to other users and cannot be closed; not used";
            return {};
        }
    }
    return path;
}

// The user's runtime directory, when it is a folder of this user.
QString runtimeDirectory() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) {
        return {};
    }
    struct stat st {};
    if (stat(runtime.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) {
        qCWarning(lcApp) << "XDG_RUNTIME_DIR is not a folder of this user; not used";
        return {};
    }
    return QFile::decodeName(runtime);
}

QString cacheDirectory() {
    QString cache = QFile::decodeName(qgetenv("XDG_CACHE_HOME"));
    if (cache.isEmpty() || !QDir::isAbsolutePath(cache)) {
        cache = QDir::homePath() + QStringLiteral("/.cache");
    }
    return cache;
}

} // namespace

namespace InstancePaths {

QStringList candidates() {
    QStringList folders;
    const QString runtime = runtimeDirectory();
    if (!runtime.isEmpty()) {
        folders.append(runtime + QStringLiteral("/hodgebin"));
    }
    folders.append(QDir::tempPath() + QStringLiteral("/hodgebin-") + QString::number(getuid()));
    folders.append(cacheDirectory() + QStringLiteral("/hodgebin-instance"));
    return folders;
}

QString directory() {
    const QStringList folders = candidates();
    for (const QString& folder : folders) {
        if (folder == folders.constLast()) {
            QDir().mkpath(cacheDirectory());
        }
        const QString made = makePrivateFolder(folder);
        if (!made.isEmpty()) {
            return made;
        }
    }
    return {};
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
    return lock_ && lock_->tryLock(0);
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

bool instanceAlive() {
    const QString path = InstancePaths::lockPath();
    if (path.isEmpty()) {
        return false;
    }
    QLockFile lock(path);
    qint64 pid = 0;
    QString host;
    QString app;
    if (!lock.getLockInfo(&pid, &host, &app) || pid <= 0) {
        return false;
    }
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

} // namespace InstanceClient
