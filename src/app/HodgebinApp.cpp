#include "app/HodgebinApp.h"

#include "app/AppDelegate.h"
#include "app/AppModels.h"
#include "app/InstanceChannel.h"
#include "platform/x11/X11Platform.h"
#include "settings/SettingsManager.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace {

enum class Mode { Run, Status, Quit, Settings, Toggle, Help, Version };

const char* usageText =
    "Usage: hodgebin [--status | --quit | --settings | --toggle | --help | --version]\n"
    "\n"
    "Hodgebin keeps a clipboard history, a file shelf, notes and recent screenshots\n"
    "in a drawer at the top of the screen.\n"
    "\n"
    "  (no option)  start Hodgebin, unless it is already running\n"
    "  --status     print one line of JSON describing the running instance\n"
    "  --quit       end the running instance\n"
    "  --settings   open the settings window of the running instance\n"
    "  --toggle     open or close the drawer of the running instance\n"
    "  --help       show this help\n"
    "  --version    show the version\n";

// Exactly one switch or none; anything else is a usage error.
std::optional<Mode> parse(int argc, char** argv) {
    if (argc == 1) {
        return Mode::Run;
    }
    if (argc != 2) {
        return std::nullopt;
    }
    const char* arg = argv[1];
    if (std::strcmp(arg, "--status") == 0) {
        return Mode::Status;
    }
    if (std::strcmp(arg, "--quit") == 0) {
        return Mode::Quit;
    }
    if (std::strcmp(arg, "--settings") == 0) {
        return Mode::Settings;
    }
    if (std::strcmp(arg, "--toggle") == 0) {
        return Mode::Toggle;
    }
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
        return Mode::Help;
    }
    if (std::strcmp(arg, "--version") == 0) {
        return Mode::Version;
    }
    return std::nullopt;
}

int runClient(Mode mode, int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString command = QStringLiteral("quit");
    if (mode == Mode::Status) {
        command = QStringLiteral("status");
    } else if (mode == Mode::Settings) {
        command = QStringLiteral("settings");
    } else if (mode == Mode::Toggle) {
        command = QStringLiteral("toggle");
    }
    const std::optional<QString> reply = InstanceClient::send(command);
    if (!reply) {
        std::fputs("hodgebin: Hodgebin is not running\n", stderr);
        return 1;
    }
    if (mode == Mode::Status) {
        std::printf("%s\n", reply->toUtf8().constData());
        return 0;
    }
    if (mode == Mode::Settings || mode == Mode::Toggle) {
        return 0;
    }
    // Return only once the instance has really gone, so a new start right after succeeds.
    if (!InstanceClient::waitUntilGone(5000)) {
        std::fputs("hodgebin: the running instance did not end in time\n", stderr);
        return 1;
    }
    return 0;
}

// SIGTERM and SIGINT end the event loop normally, so the instance lock is released.
int signalPipe[2] = {-1, -1};
pid_t instancePid = 0;

void onTerminationSignal(int) {
    // A child forked by a library inherits this handler; only the instance itself may quit.
    if (getpid() != instancePid) {
        return;
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

void quitOnTerminationSignals(QCoreApplication& app) {
    if (::pipe2(signalPipe, O_CLOEXEC) != 0) {
        return;
    }
    instancePid = getpid();
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] { app.quit(); });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

int runInstance(int argc, char** argv) {
    InstanceLock lock;
    if (!lock.tryAcquire()) {
        std::fprintf(stderr, "hodgebin: Hodgebin is already running (pid %lld)\n",
                     static_cast<long long>(lock.ownerPid()));
        return 0;
    }

    X11Platform::preferXcb();
    if (qgetenv("QT_QPA_PLATFORM") == "xcb" && !X11Platform::canConnectToDisplay()) {
        std::fputs("hodgebin: cannot open the X display (is DISPLAY set?)\n", stderr);
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hodgebin"));
    QApplication::setApplicationVersion(QStringLiteral(HODGEBIN_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    quitOnTerminationSignals(app);

    X11Platform platform;
    AppModels models(platform.services());
    AppDelegate delegate(platform.services(), SettingsManager::shared(), models);

    InstanceServer server([&delegate](const QString& command) -> QString {
        if (command == QLatin1String("status")) {
            return delegate.status().toString();
        }
        if (command == QLatin1String("quit")) {
            return QStringLiteral("{\"quitting\":true}");
        }
        if (command == QLatin1String("toggle")) {
            delegate.togglePanel();
            return QStringLiteral("{\"drawer\":\"toggled\"}");
        }
        if (command == QLatin1String("settings")) {
            delegate.openSettings();
            return QStringLiteral("{\"settings\":\"shown\"}");
        }
        return QStringLiteral("{\"error\":\"unknown command\"}");
    });
    QObject::connect(&server, &InstanceServer::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    server.listen();

    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    return app.exec();
}

} // namespace

int HodgebinApp::main(int argc, char** argv) {
    const std::optional<Mode> mode = parse(argc, argv);
    if (!mode) {
        std::fputs(usageText, stderr);
        return 2;
    }
    switch (*mode) {
    case Mode::Help:
        std::fputs(usageText, stdout);
        return 0;
    case Mode::Version:
        std::printf("hodgebin %s\n", HODGEBIN_VERSION);
        return 0;
    case Mode::Status:
    case Mode::Quit:
    case Mode::Settings:
    case Mode::Toggle:
        return runClient(*mode, argc, argv);
    case Mode::Run:
        break;
    }
    return runInstance(argc, argv);
}
