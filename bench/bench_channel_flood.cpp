// Whether the command channel of the running program still answers after its open-file budget
// was spent: the real binary on a throw-away Xvfb, its limit lowered to 256 open files, then
// rounds of 1,000 idle connections held for 3 s and closed, each followed by a `hodgebin
// --status` whose time to answer (or failure) is printed.
//
//   dbus-run-session -- bench_channel_flood [rounds] [connections] [limit]
#include "E2eSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

// Connects without waiting: a full backlog answers EAGAIN at once, and is tried again until
// the deadline. Answers the descriptor, or -1.
int connectIdle(const QByteArray& path, const QDeadlineTimer& deadline) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(),
                std::min<size_t>(path.size(), sizeof address.sun_path - 1));
    while (!deadline.hasExpired()) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            return -1;
        }
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            return fd;
        }
        const int error = errno;
        close(fd);
        if (error != EAGAIN) {
            return -1;
        }
        QThread::msleep(2);
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    const int connections = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int limit = argc > 3 ? std::atoi(argv[3]) : 256;

    // This side holds every connection at once.
    rlimit own{};
    getrlimit(RLIMIT_NOFILE, &own);
    own.rlim_cur = own.rlim_max;
    setrlimit(RLIMIT_NOFILE, &own);

    E2eSession::Options options;
    options.windowManager = E2eSession::WindowManager::none;
    E2eSession session(options);
    if (!session.ok() || !session.startHodgebin()) {
        std::printf("channel flood: hodgebin did not start: %s\n", qPrintable(session.error()));
        return 1;
    }
    const qint64 pid = session.hodgebin()->processId();
    const QString nofile = QStringLiteral("--nofile=%1:%1").arg(limit);
    if (session
            .run(QStringLiteral("prlimit"), {QStringLiteral("--pid"), QString::number(pid), nofile})
            .exitCode != 0) {
        std::printf("channel flood: prlimit failed\n");
        return 1;
    }
    const QString socketPath = session.environment().value(QStringLiteral("XDG_RUNTIME_DIR")) +
                               QStringLiteral("/hodgebin/hodgebin.sock");
    const QByteArray nativePath = QFile::encodeName(socketPath);

    std::printf("channel flood: open-file limit %d, %d idle connections held 3 s, %d rounds\n",
                limit, connections, rounds);
    double worst = 0;
    int failures = 0;
    for (int round = 1; round <= rounds; ++round) {
        std::vector<int> held;
        const QDeadlineTimer deadline(10000);
        for (int i = 0; i < connections; ++i) {
            const int fd = connectIdle(nativePath, deadline);
            if (fd >= 0) {
                held.push_back(fd);
            }
        }
        QThread::sleep(3);
        for (int fd : held) {
            close(fd);
        }
        QElapsedTimer timer;
        timer.start();
        const E2eSession::Result status = session.runHodgebin({QStringLiteral("--status")}, 15000);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        const bool answered = status.exitCode == 0 && status.out.startsWith('{');
        const bool alive = session.hodgebin()->state() == QProcess::Running;
        if (answered) {
            worst = std::max(worst, seconds);
        } else {
            ++failures;
        }
        std::printf("  round %d: %4zu connected; --status %s after %.3f s; socket file %s; "
                    "program %s\n",
                    round, held.size(), answered ? "answered" : "FAILED", seconds,
                    QFile::exists(socketPath) ? "present" : "GONE", alive ? "running" : "ENDED");
        std::fflush(stdout);
    }
    std::printf("  answered %d of %d rounds; slowest answer %.3f s\n", rounds - failures, rounds,
                worst);
    return 0;
}
