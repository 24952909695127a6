#pragma once

#include <QList>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QLocalSocket;
class QSocketNotifier;
class QTimer;

// Where the lock and the socket of the running instance live: a folder of our own, readable by
// this user only, in the user's runtime directory; without one, under the temporary folder;
// when that name is taken by someone else, in the user's cache folder. A folder that another
// user made, or that others can enter, is never used: whoever owns it could answer in our place.
namespace InstancePaths {
// Empty when no folder could be made safe to use.
QString directory();
// The folders directory() tries, in order.
QStringList candidates();
QString socketPath();
QString lockPath();
} // namespace InstancePaths

// Held by the one running instance for its whole life. A lock left by a crashed instance is
// recognised by its dead process and taken over.
class InstanceLock {
public:
    InstanceLock();
    // False while another live process holds the lock, and when there is no safe folder.
    bool tryAcquire();
    // The process holding the lock, when another one does.
    qint64 ownerPid() const;

private:
    std::unique_ptr<QLockFile> lock_;
};

// The running instance's end of the command channel: one line in, one line out.
//
// It heals by itself. When the process runs out of file descriptors, accepting fails: the server
// says so once, lets go of the connections that have sent nothing, and tries again as soon as a
// descriptor may be free (when a held connection closes, and on a timer that backs off), while
// clients wait queued in the socket. A socket file that has gone is made again. At most
// maxConnections are held at once: a new client pushes out the one that has waited longest
// without sending a command.
class InstanceServer final : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<QString(const QString& command)>;

    static constexpr int maxConnections = 16;
    // A client that sends no command for this long is dropped.
    static constexpr int idleTimeoutMs = 2000;

    explicit InstanceServer(Handler handler, QObject* parent = nullptr);
    ~InstanceServer() override;

    // Call only while holding the instance lock: a socket left behind is removed first. When
    // the socket cannot be made now, it is tried again later.
    bool listen();

Q_SIGNALS:
    // Emitted after the reply to "quit" has been written.
    void quitRequested();

private:
    struct Connection {
        QLocalSocket* socket;
        bool answered = false;
    };

    bool openSocket();
    void listenFailed(const QString& path, int error);
    void closeSocket();
    bool socketFileIsOurs() const;
    void acceptPending();
    void take(int fd);
    void serve(QLocalSocket* socket);
    void drop(QLocalSocket* socket);
    // Drops the connections that have not sent a command; answers how many there were.
    int shedIdle();
    void starve(int error);
    void scheduleRetry();
    void retry();

    Handler handler_;
    QString path_;
    int fd_ = -1;
    // The socket file that openSocket made, to tell whether it is still there.
    quint64 fileDevice_ = 0;
    quint64 fileInode_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* retryTimer_;
    int retryDelayMs_;
    // Accepting failed for want of descriptors and has not worked since.
    bool starved_ = false;
    // Making the socket failed, and has not worked since.
    bool listenFailing_ = false;
    // Oldest first.
    QList<Connection> held_;
};

// The other end, used by `hodgebin --status` and friends.
namespace InstanceClient {
// Sends one command and returns the reply line, or nothing when no instance answers.
std::optional<QString> send(const QString& command, int timeoutMs = 3000);
// Waits until the instance lock is free, i.e. the running instance has ended.
bool waitUntilGone(int timeoutMs);
// Whether a live process holds the instance lock (without touching the lock).
bool instanceAlive();
} // namespace InstanceClient
