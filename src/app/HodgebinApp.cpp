#include "app/HodgebinApp.h"

#include "app/AppDelegate.h"
#include "app/AppModels.h"
#include "app/CommandLine.h"
#include "app/InstanceChannel.h"
#include "notes/NotesManager.h"
#include "platform/Logging.h"
#include "platform/linux/DesktopScreenCapture.h"
#include "platform/linux/SettingsFileDefaults.h"
#include "platform/x11/X11Platform.h"
#include "settings/AutostartEntry.h"
#include "settings/SettingsManager.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace {

using Mode = CommandLine::Mode;

// How long a start waits for an instance that holds the lock but does not answer yet (it may
// be starting at this very moment).
constexpr int answerTimeoutMs = 10000;

// Every key the program keeps in its settings file. The others (junk, or keys nothing reads) are
// left out of the file at start; a copy of the file keeps them. A new key must be listed here.
QStringList settingsFileKeys() {
    return {SettingsManager::showNotchKey,
            SettingsManager::soundsEnabledKey,
            SettingsManager::maxClipboardItemsKey,
            SettingsManager::shortcutKindKey,
            SettingsManager::shortcutCombinationKey,
            NotesManager::storageKey,
            NotesManager::backupKey + QLatin1Char('*'),
            DesktopScreenCapture::locationKey};
}

void printError(const QString& message) {
    std::fprintf(stderr, "hodgebin: %s\n", message.toLocal8Bit().constData());
}

// The line the running instance is sent for a command; the toggle carries its tab.
QString channelCommand(const CommandLine& line) {
    switch (line.mode) {
    case Mode::Status:
        return QStringLiteral("status");
    case Mode::Quit:
        return QStringLiteral("quit");
    case Mode::Settings:
        return QStringLiteral("settings");
    case Mode::Toggle:
        return line.tab ? QStringLiteral("toggle ") + rawValue(*line.tab).toLower()
                        : QStringLiteral("toggle");
    default:
        return QStringLiteral("show");
    }
}

// Sends the command to the running instance; waits for one that is still starting.
std::optional<QString> sendToInstance(const QString& command) {
    QDeadlineTimer deadline(answerTimeoutMs);
    while (!deadline.hasExpired()) {
        if (const auto reply = InstanceClient::send(command, 1000)) {
            return reply;
        }
        if (!InstanceClient::instanceAlive()) {
            return std::nullopt;
        }
        QThread::msleep(50);
    }
    return std::nullopt;
}

int runClient(const CommandLine& line) {
    const std::optional<QString> reply = sendToInstance(channelCommand(line));
    if (!reply) {
        printError(InstanceClient::instanceAlive()
                       ? HodgebinApp::tr("the running Hodgebin does not answer")
                       : HodgebinApp::tr("Hodgebin is not running"));
        return 1;
    }
    if (line.mode == Mode::Status) {
        std::printf("%s\n", reply->toUtf8().constData());
        return 0;
    }
    if (line.mode == Mode::Quit && !InstanceClient::waitUntilGone(5000)) {
        // Return only once the instance has really gone, so a new start right after succeeds.
        printError(HodgebinApp::tr("the running instance did not end in time"));
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
    // The write end does not block: a full pipe already holds a pending quit.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

void quitOnTerminationSignals(QCoreApplication& app) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcApp) << "no signal pipe; SIGTERM ends Hodgebin without cleaning up";
        return;
    }
    instancePid = getpid();
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char buffer[64];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        app.quit();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

QString reply(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString answer(AppDelegate& delegate, const QString& command) {
    if (command == QLatin1String("status")) {
        return reply(delegate.status());
    }
    if (command == QLatin1String("quit")) {
        return reply({{QStringLiteral("quitting"), true}});
    }
    if (command == QLatin1String("settings")) {
        delegate.openSettings();
        return reply({{QStringLiteral("settings"), QStringLiteral("shown")}});
    }
    if (command == QLatin1String("show")) {
        delegate.openPanel();
        return reply({{QStringLiteral("drawer"), QStringLiteral("shown")}});
    }
    if (command == QLatin1String("toggle") || command.startsWith(QLatin1String("toggle "))) {
        const QString name = command.mid(7);
        const std::optional<DrawerTab> tab = drawerTabFromCommandLineName(name);
        if (!name.isEmpty() && !tab) {
            return reply({{QStringLiteral("error"), QStringLiteral("unknown tab")}});
        }
        delegate.toggleOnTab(tab);
        return reply({{QStringLiteral("drawer"), QStringLiteral("toggled")}});
    }
    return reply({{QStringLiteral("error"), QStringLiteral("unknown command")}});
}

int runInstance(int argc, char** argv, const CommandLine& line) {
    X11Platform::preferXcb();
    if (qgetenv("QT_QPA_PLATFORM") == "xcb" && !X11Platform::canConnectToDisplay()) {
        printError(HodgebinApp::tr("cannot open the X display (is DISPLAY set?)"));
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hodgebin"));
    QApplication::setApplicationVersion(QStringLiteral(HODGEBIN_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    quitOnTerminationSignals(app);

    // The composition root: every service, model and window is built here once, and each is
    // handed what it uses.
    X11Platform platform;
    platform.settingsFile().keepOnlyKeys(settingsFileKeys());
    AppModels models(platform.services());
    AutostartEntry autostart = AutostartEntry::forCurrentUser();
    AppDelegate delegate(platform.services(), models, autostart);

    InstanceServer server(
        [&delegate](const QString& command) { return answer(delegate, command); });
    QObject::connect(&server, &InstanceServer::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (!server.listen()) {
        qCWarning(lcApp) << "the command channel could not be opened yet; --status and --toggle "
                            "reach this instance once it can be";
    }

    QTimer::singleShot(0, &delegate, [&delegate, line] {
        delegate.start();
        // Started by `--toggle`: the drawer opens once everything is up.
        if (line.mode == Mode::Toggle) {
            delegate.toggleOnTab(line.tab);
        }
    });
    return app.exec();
}

// A plain start or a toggle: become the one instance, or hand the request to it.
int startOrForward(int argc, char** argv, const CommandLine& line) {
    if (InstancePaths::directory().isEmpty()) {
        printError(HodgebinApp::tr("no private folder for the instance lock and socket (%1); "
                                   "run with QT_LOGGING_RULES=\"hodgebin.app=true\" for details")
                       .arg(InstancePaths::candidates().join(QStringLiteral(", "))));
        return 1;
    }
    InstanceLock lock;
    QDeadlineTimer deadline(answerTimeoutMs);
    while (!lock.tryAcquire()) {
        // Another instance holds the lock: it opens its drawer instead. It may have started
        // this very moment and not listen yet.
        if (InstanceClient::send(channelCommand(line), 1000)) {
            if (line.mode == Mode::Run) {
                printError(
                    HodgebinApp::tr("Hodgebin is already running (pid %1); its drawer is shown")
                        .arg(lock.ownerPid()));
            }
            return 0;
        }
        if (deadline.hasExpired()) {
            printError(
                HodgebinApp::tr("Hodgebin (pid %1) holds the instance lock but does not answer")
                    .arg(lock.ownerPid()));
            return 1;
        }
        QThread::msleep(50);
    }
    return runInstance(argc, argv, line);
}

} // namespace

int HodgebinApp::main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    const CommandLine line = CommandLine::parse(arguments);
    if (!line.ok()) {
        printError(line.error);
        std::fprintf(stderr, "\n%s", CommandLine::helpText().toLocal8Bit().constData());
        return line.errorExitCode;
    }
    switch (line.mode) {
    case Mode::Help:
        std::fputs(CommandLine::helpText().toLocal8Bit().constData(), stdout);
        return 0;
    case Mode::Version:
        std::printf("hodgebin %s\n", HODGEBIN_VERSION);
        return 0;
    case Mode::Status:
    case Mode::Quit:
    case Mode::Settings:
        return runClient(line);
    case Mode::Toggle:
    case Mode::Run:
        break;
    }
    return startOrForward(argc, argv, line);
}
