#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

// The command channel of a process that runs out of file descriptors: its server runs in a
// process of its own with a low open-file limit, and is told when to take every descriptor left.

namespace {

class ChannelServer {
public:
    explicit ChannelServer(int openFileLimit) {
        QDir().mkpath(runtime());
        chmod(QFile::encodeName(runtime()).constData(), 0700);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start(QStringLiteral(HODGEBIN_CHANNEL_SERVER), {QString::number(openFileLimit)});
        started_ = process_.waitForStarted(5000) && line() == "listening";
    }
    ~ChannelServer() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    bool started() const { return started_; }
    QString socketPath() const { return runtime() + QStringLiteral("/hodgebin/hodgebin.sock"); }
    // Hands the server a line on its input; answers its acknowledgement.
    QByteArray tell(const QByteArray& what) {
        process_.write(what + '\n');
        return line();
    }
    QByteArray errors() { return process_.readAllStandardError(); }

private:
    QString runtime() const { return dir_.path() + QStringLiteral("/runtime"); }
    QByteArray line() {
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
        }
        return process_.readLine().trimmed();
    }

    QTemporaryDir dir_;
    QProcess process_;
    bool started_ = false;
};

// One client connection, made without waiting for the server to accept it.
class Client {
public:
    explicit Client(const QString& path) {
        const QByteArray native = QFile::encodeName(path);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~Client() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }

    bool connected() const { return fd_ >= 0; }
    void send(const QByteArray& line) {
        ASSERT_EQ(write(fd_, line.constData(), line.size()), line.size());
    }
    // The reply line; nothing when the server closed the connection first or the time ran out.
    std::optional<QByteArray> reply(int timeoutMs = 10000) {
        QByteArray received;
        QDeadlineTimer deadline(timeoutMs);
        while (!received.contains('\n') && !deadline.hasExpired()) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, int(deadline.remainingTime())) <= 0) {
                continue;
            }
            char buffer[256];
            const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            received.append(buffer, n);
        }
        if (!received.contains('\n')) {
            return std::nullopt;
        }
        return received.left(received.indexOf('\n'));
    }
    // Whether the server has closed this connection by now.
    bool closedByServer() const {
        char byte;
        return recv(fd_, &byte, 1, MSG_DONTWAIT | MSG_PEEK) == 0;
    }

private:
    int fd_ = -1;
};

using Clients = std::vector<std::unique_ptr<Client>>;

Clients connectIdle(const QString& path, int count) {
    Clients clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(std::make_unique<Client>(path));
    }
    return clients;
}

std::optional<QByteArray> ask(const QString& path, const QByteArray& command) {
    Client client(path);
    if (!client.connected()) {
        return std::nullopt;
    }
    client.send(command + '\n');
    return client.reply();
}

} // namespace

TEST(InstanceChannel, AnswersAgainAfterItsDescriptorsRanOutAndItsSocketFileWentAway) {
    ChannelServer server(64);
    ASSERT_TRUE(server.started());
    const QString path = server.socketPath();

    // Clients that say nothing: only the newest few are held, the oldest let go first.
    Clients idle = connectIdle(path, 40);
    EXPECT_EQ(ask(path, "status"), QByteArray("ok status"));
    qsizetype dropped = 0;
    while (dropped < qsizetype(idle.size()) && idle[size_t(dropped)]->closedByServer()) {
        ++dropped;
    }
    EXPECT_GT(dropped, 0);
    EXPECT_LT(dropped, qsizetype(idle.size()));
    for (size_t i = size_t(dropped); i < idle.size(); ++i) {
        EXPECT_FALSE(idle[i]->closedByServer()) << "client " << i << " dropped out of order";
    }

    // Every descriptor is taken: the idle clients make room for one with a command.
    EXPECT_TRUE(server.tell("fill").startsWith("filled"));
    EXPECT_EQ(ask(path, "status"), QByteArray("ok status"));
    for (const auto& client : idle) {
        EXPECT_TRUE(client->closedByServer());
    }

    // Nothing left to let go: the command waits in the queue until descriptors are free, and a
    // socket file removed meanwhile is made again.
    EXPECT_TRUE(server.tell("fill").startsWith("filled"));
    Client waiting(path);
    ASSERT_TRUE(waiting.connected());
    waiting.send("status\n");
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_TRUE(server.tell("free").startsWith("freed"));
    EXPECT_EQ(waiting.reply(), QByteArray("ok status"));
    EXPECT_EQ(ask(path, "toggle"), QByteArray("ok toggle"));

    // Said once per shortage, with where and why.
    const QByteArray errors = server.errors();
    EXPECT_EQ(errors.count("cannot take connections"), 2) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QFile::encodeName(path)));
    EXPECT_TRUE(errors.contains(strerror(EMFILE)));
}
