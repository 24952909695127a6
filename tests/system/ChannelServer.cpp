// The command channel's server alone, in a process of its own whose open-file limit the test
// chooses: `hodgebin_channel_server LIMIT`. It answers every command with "ok <command>".
// Lines on its standard input: "fill" takes every descriptor still free (as the rest of a busy
// program might), "free" gives them back; each is acknowledged with a line on standard output.
#include "app/InstanceChannel.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    if (argc > 1) {
        const rlim_t limit = rlim_t(std::atoi(argv[1]));
        const rlimit nofile{limit, limit};
        if (setrlimit(RLIMIT_NOFILE, &nofile) != 0) {
            std::perror("setrlimit");
            return 1;
        }
    }
    QCoreApplication app(argc, argv);
    InstanceLock lock;
    if (!lock.tryAcquire()) {
        std::fprintf(stderr, "the instance lock is taken\n");
        return 1;
    }
    InstanceServer server([](const QString& command) { return QStringLiteral("ok ") + command; });
    if (!server.listen()) {
        return 1;
    }
    std::vector<int> taken;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[64] = {};
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0) {
            QCoreApplication::quit();
            return;
        }
        if (qstrncmp(line, "fill", 4) == 0) {
            for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) {
                taken.push_back(fd);
            }
            std::printf("filled %zu\n", taken.size());
        } else if (qstrncmp(line, "free", 4) == 0) {
            for (int fd : taken) {
                ::close(fd);
            }
            std::printf("freed %zu\n", taken.size());
            taken.clear();
        }
        std::fflush(stdout);
    });
    std::printf("listening\n");
    std::fflush(stdout);
    return app.exec();
}
