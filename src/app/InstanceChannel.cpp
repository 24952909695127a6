#include "app/InstanceChannel.h"

#include "platform/Logging.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr qint64 maxCommandLength = 1024;
constexpr int listenBacklog = 64;
// Retries after running out of descriptors start soon and slow down to this, so a starved
// channel answers well within a second of descriptors being free again.
constexpr int firstRetryMs = 20;
constexpr int longestRetryMs = 400;
// A socket that cannot be made for another reason is tried again less often.
constexpr int longestRelistenMs = 10000;

bool outOfDescriptors(int error) {
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

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
    , retryTimer_(new QTimer(this))
    , retryDelayMs_(firstRetryMs) {
    retryTimer_->setSingleShot(true);
    connect(retryTimer_, &QTimer::timeout, this, &InstanceServer::retry);
}

InstanceServer::~InstanceServer() {
    for (const Connection& connection : std::as_const(held_)) {
        connection.socket->disconnect(this);
    }
    if (socketFileIsOurs()) {
        ::unlink(QFile::encodeName(path_).constData());
    }
    closeSocket();
}

bool InstanceServer::listen() {
    if (openSocket()) {
        return true;
    }
    scheduleRetry();
    return false;
}

bool InstanceServer::openSocket() {
    // The folder is made again if it went away.
    const QString path = InstancePaths::socketPath();
    if (path.isEmpty()) {
        return false;
    }
    path_ = path;
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(native.size()) >= sizeof address.sun_path) {
        listenFailed(path, ENAMETOOLONG);
        return false;
    }
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        const int error = errno;
        if (outOfDescriptors(error)) {
            starve(error);
        } else {
            listenFailed(path, error);
        }
        return false;
    }
    // Only the instance that holds the lock gets here, so whatever has the name was left
    // behind. The folder is this user's alone: nobody reaches the socket before its mode is set.
    ::unlink(native.constData());
    struct stat st {};
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(native.constData(), 0600) != 0 || ::listen(fd, listenBacklog) != 0 ||
        ::lstat(native.constData(), &st) != 0) {
        listenFailed(path, errno);
        ::close(fd);
        return false;
    }
    // A socket whose file went away is replaced only once it is empty: it no longer has a name,
    // so nobody new can reach it.
    closeSocket();
    listenFailing_ = false;
    fd_ = fd;
    fileDevice_ = quint64(st.st_dev);
    fileInode_ = quint64(st.st_ino);
    notifier_ = new QSocketNotifier(qintptr(fd_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &InstanceServer::acceptPending);
    return true;
}

void InstanceServer::listenFailed(const QString& path, int error) {
    // Once until it works again: the retries would repeat it.
    if (!listenFailing_) {
        qCWarning(lcApp) << "cannot listen on" << path << ":" << strerror(error);
        listenFailing_ = true;
    }
}

void InstanceServer::closeSocket() {
    delete notifier_;
    notifier_ = nullptr;
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool InstanceServer::socketFileIsOurs() const {
    struct stat st {};
    return fd_ >= 0 && ::lstat(QFile::encodeName(path_).constData(), &st) == 0 &&
           S_ISSOCK(st.st_mode) && quint64(st.st_dev) == fileDevice_ &&
           quint64(st.st_ino) == fileInode_;
}

void InstanceServer::acceptPending() {
    bool accepted = false;
    while (fd_ >= 0) {
        const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            accepted = true;
            take(fd);
            continue;
        }
        const int error = errno;
        if (error == EINTR || error == ECONNABORTED) {
            continue;
        }
        if (error == EAGAIN || error == EWOULDBLOCK) {
            break;
        }
        if (outOfDescriptors(error)) {
            // What the connections that said nothing hold is given back first; failing that,
            // the clients wait queued in the socket until descriptors are free again.
            starve(error);
            if (shedIdle() > 0) {
                continue;
            }
            notifier_->setEnabled(false);
            scheduleRetry();
            return;
        }
        qCWarning(lcApp) << "the command channel stopped accepting on" << path_ << ":"
                         << strerror(error) << "; listening again";
        closeSocket();
        scheduleRetry();
        return;
    }
    if (starved_) {
        starved_ = false;
        retryDelayMs_ = firstRetryMs;
        qCInfo(lcApp) << "the command channel takes connections again";
    }
    // These clients found the socket, but the next one may not: its file may have been removed.
    if (accepted && !socketFileIsOurs()) {
        qCWarning(lcApp) << "the socket file" << path_ << "has gone; making it again";
        if (!openSocket()) {
            scheduleRetry();
        }
    }
}

void InstanceServer::take(int fd) {
    if (held_.size() >= maxConnections) {
        const auto idle = std::find_if(held_.cbegin(), held_.cend(),
                                       [](const Connection& c) { return !c.answered; });
        drop(idle != held_.cend() ? idle->socket : held_.constFirst().socket);
    }
    auto* socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(fd, QLocalSocket::ConnectedState, QIODevice::ReadWrite)) {
        ::close(fd);
        delete socket;
        return;
    }
    held_.append({socket});
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] { drop(socket); });
    QTimer::singleShot(idleTimeoutMs, socket, [this, socket] { drop(socket); });
}

void InstanceServer::serve(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > maxCommandLength) {
            drop(socket);
        }
        return;
    }
    for (Connection& connection : held_) {
        if (connection.socket == socket) {
            connection.answered = true;
        }
    }
    const QString command = QString::fromUtf8(socket->readLine(maxCommandLength)).trimmed();
    socket->write(handler_(command).toUtf8() + '\n');
    socket->flush();
    socket->disconnectFromServer();
    if (command == QLatin1String("quit")) {
        Q_EMIT quitRequested();
    }
}

void InstanceServer::drop(QLocalSocket* socket) {
    const auto it = std::find_if(held_.begin(), held_.end(),
                                 [socket](const Connection& c) { return c.socket == socket; });
    if (it == held_.end()) {
        return;
    }
    held_.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    // Its descriptor is free now.
    if (starved_) {
        retryTimer_->start(0);
    }
}

int InstanceServer::shedIdle() {
    QList<QLocalSocket*> idle;
    for (const Connection& connection : std::as_const(held_)) {
        if (!connection.answered) {
            idle.append(connection.socket);
        }
    }
    for (QLocalSocket* socket : std::as_const(idle)) {
        drop(socket);
    }
    return int(idle.size());
}

void InstanceServer::starve(int error) {
    if (!starved_) {
        // Once per shortage: the retries would otherwise log every few milliseconds.
        qCWarning(lcApp) << "the command channel cannot take connections on" << path_ << ":"
                         << strerror(error)
                         << "; dropping idle connections and trying again until it can";
        starved_ = true;
    }
}

void InstanceServer::scheduleRetry() {
    if (!retryTimer_->isActive()) {
        retryTimer_->start(retryDelayMs_);
        retryDelayMs_ = std::min(retryDelayMs_ * 2, starved_ ? longestRetryMs : longestRelistenMs);
    }
}

void InstanceServer::retry() {
    if (notifier_ != nullptr) {
        notifier_->setEnabled(true);
        acceptPending();
    }
    if (starved_ || retryTimer_->isActive()) {
        return;
    }
    if (notifier_ == nullptr || !socketFileIsOurs()) {
        if (!openSocket()) {
            scheduleRetry();
            return;
        }
        retryDelayMs_ = firstRetryMs;
        qCInfo(lcApp) << "the command channel listens again on" << path_;
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
