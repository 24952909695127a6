#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;

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
class InstanceServer final : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<QString(const QString& command)>;

    explicit InstanceServer(Handler handler, QObject* parent = nullptr);
    ~InstanceServer() override;

    // Call only while holding the instance lock: a socket left behind is removed first.
    bool listen();

Q_SIGNALS:
    // Emitted after the reply to "quit" has been written.
    void quitRequested();

private:
    void accept();
    void serve(QLocalSocket* socket);

    Handler handler_;
    QLocalServer* server_;
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
