#include "E2eSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QThread>

#include <csignal>
#include <sys/stat.h>
#include <xcb/xcb.h>

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(content);
    }
}

// A display number nobody uses: neither its socket nor its lock file exists.
int freeDisplayNumber() {
    for (int n = 50 + int(QCoreApplication::applicationPid() % 200);; ++n) {
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) &&
            !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n))) {
            return n;
        }
    }
}

} // namespace

E2eSession::E2eSession()
    : E2eSession(Options()) {}

E2eSession::E2eSession(const Options& options) {
    if (!root_.isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    const QString r = root_.path();
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert(QStringLiteral("HOME"), r + QStringLiteral("/home"));
    env_.insert(QStringLiteral("XDG_CONFIG_HOME"), r + QStringLiteral("/home/.config"));
    env_.insert(QStringLiteral("XDG_DATA_HOME"), r + QStringLiteral("/home/.local/share"));
    env_.insert(QStringLiteral("XDG_CACHE_HOME"), r + QStringLiteral("/home/.cache"));
    env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), r + QStringLiteral("/runtime"));
    env_.insert(QStringLiteral("TMPDIR"), r + QStringLiteral("/tmp"));
    env_.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env_.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // The desktop is the one the session starts, whatever the desktop running the tests is.
    env_.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    for (const char* sub : {"/home/Desktop", "/home/Pictures", "/home/.config", "/tmp"}) {
        QDir().mkpath(r + QString::fromLatin1(sub));
    }
    QDir().mkpath(r + QStringLiteral("/runtime"));
    chmod(QFile::encodeName(r + QStringLiteral("/runtime")).constData(), 0700);
    writeFile(configHome() + QStringLiteral("/user-dirs.dirs"),
              "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Pictures\"\n");

    ok_ = startServer(options);
}

E2eSession::~E2eSession() {
    // Hodgebin first, then the clients, the server last.
    for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) {
        if (*it != xvfb_) {
            stop(*it);
        }
    }
    if (xvfb_ != nullptr) {
        stop(xvfb_);
    }
    for (QProcess* p : processes_) {
        delete p;
    }
}

QString E2eSession::home() const {
    return env_.value(QStringLiteral("HOME"));
}
QString E2eSession::configHome() const {
    return env_.value(QStringLiteral("XDG_CONFIG_HOME"));
}
QString E2eSession::settingsFile() const {
    return configHome() + QStringLiteral("/Hodgebin/Hodgebin.conf");
}
QString E2eSession::picturesFolder() const {
    return home() + QStringLiteral("/Pictures");
}

const char* E2eSession::name(WindowManager wm) {
    switch (wm) {
    case WindowManager::none:
        return "none";
    case WindowManager::openbox:
        return "openbox";
    case WindowManager::xfwm4:
        return "xfwm4";
    case WindowManager::mutter:
        return "mutter";
    }
    return "?";
}

bool E2eSession::startServer(const Options& options) {
    const int number = freeDisplayNumber();
    display_ = QStringLiteral(":%1").arg(number);
    env_.insert(QStringLiteral("DISPLAY"), display_);
    xvfb_ = spawn(QStringLiteral("Xvfb"),
                  {display_, QStringLiteral("-screen"), QStringLiteral("0"), options.screen,
                   QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
    const bool up = waitUntil(
        [&] {
            if (xvfb_->state() == QProcess::NotRunning) {
                return true;
            }
            return run(QStringLiteral("xdpyinfo"), {}, {}, 2000).exitCode == 0;
        },
        15000, 100);
    if (!up || xvfb_->state() == QProcess::NotRunning) {
        error_ = QStringLiteral("Xvfb did not start on %1").arg(display_);
        return false;
    }
    // Xvfb's root is black, which hides a black pill.
    run(QStringLiteral("xsetroot"), {QStringLiteral("-solid"), QStringLiteral("#4a6fa5")});
    switch (options.windowManager) {
    case WindowManager::none:
        break;
    case WindowManager::openbox:
        spawn(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        break;
    case WindowManager::xfwm4: {
        env_.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("XFCE"));
        // On a bus of its own, so that the settings daemon it starts keeps its files in this
        // session's home: one started on the shared bus writes them to the real home, and a
        // second run then finds settings left by the first. Stopping the bus at the end stops
        // whatever it started.
        const QString bus = root_.path() + QStringLiteral("/xfwm4-bus");
        spawn(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"),
               QStringLiteral("--address=unix:path=") + bus});
        waitUntil([&] { return QFileInfo::exists(bus); }, 5000);
        const QProcessEnvironment shared = env_;
        env_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + bus);
        spawn(QStringLiteral("xfwm4"),
              {QStringLiteral("--compositor=on"), QStringLiteral("--sm-client-disable")});
        env_ = shared;
        break;
    }
    case WindowManager::mutter:
        spawn(QStringLiteral("mutter"), {QStringLiteral("--x11"), QStringLiteral("--sm-disable")});
        break;
    }
    if (options.windowManager != WindowManager::none) {
        // A window manager owns the WM selection once it manages the screen.
        const bool managed = waitUntil(
            [&] {
                return run(QStringLiteral("xprop"),
                           {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                    .out.contains("window id");
            },
            10000);
        if (!managed) {
            error_ =
                QStringLiteral("%1 did not start").arg(QLatin1String(name(options.windowManager)));
            return false;
        }
        // The first colour may be painted over while the window manager starts.
        run(QStringLiteral("xsetroot"), {QStringLiteral("-solid"), QStringLiteral("#4a6fa5")});
    }
    if (options.tray) {
        spawn(QStringLiteral("trayer"),
              {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
               QStringLiteral("right"), QStringLiteral("--height"), QStringLiteral("24"),
               QStringLiteral("--widthtype"), QStringLiteral("request")});
    }
    if (options.compositor) {
        spawn(QStringLiteral("xcompmgr"), {});
    }
    return true;
}

QProcess* E2eSession::spawn(const QString& program, const QStringList& args) {
    auto* process = new QProcess();
    process->setProcessEnvironment(env_);
    process->setProgram(program);
    process->setArguments(args);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(root_.path() + QStringLiteral("/") +
                                      QFileInfo(program).fileName() + QStringLiteral(".log"),
                                  QIODevice::Append);
    process->start();
    process->waitForStarted(5000);
    processes_.push_back(process);
    return process;
}

void E2eSession::stop(QProcess* process) {
    if (process->state() == QProcess::NotRunning) {
        return;
    }
    process->terminate();
    if (!process->waitForFinished(3000)) {
        process->kill();
        process->waitForFinished(3000);
    }
}

bool E2eSession::startHodgebin(int timeoutMs) {
    hodgebin_ = spawn(QStringLiteral(HODGEBIN_BINARY), {});
    return waitForStatus([](const QJsonObject&) { return true; }, timeoutMs).has_value();
}

E2eSession::Result E2eSession::runHodgebin(const QStringList& args, int timeoutMs) {
    return run(QStringLiteral(HODGEBIN_BINARY), args, {}, timeoutMs);
}

E2eSession::Result E2eSession::run(const QString& program, const QStringList& args,
                                   const QByteArray& input, int timeoutMs) {
    QProcess process;
    process.setProcessEnvironment(env_);
    process.start(program, args);
    Result result;
    if (!process.waitForStarted(5000)) {
        return result;
    }
    if (!input.isEmpty()) {
        process.write(input);
    }
    process.closeWriteChannel();
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(2000);
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

std::optional<QJsonObject> E2eSession::status() {
    const Result r = runHodgebin({QStringLiteral("--status")}, 5000);
    if (r.exitCode != 0) {
        return std::nullopt;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.trimmed());
    if (!doc.isObject()) {
        return std::nullopt;
    }
    return doc.object();
}

std::optional<QJsonObject>
E2eSession::waitForStatus(const std::function<bool(const QJsonObject&)>& pred, int timeoutMs) {
    std::optional<QJsonObject> last;
    const bool held = waitUntil(
        [&] {
            last = status();
            return last && pred(*last);
        },
        timeoutMs, 100);
    return held ? last : std::nullopt;
}

bool E2eSession::waitUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (true) {
        if (condition()) {
            return true;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(stepMs);
    }
}

quint32 E2eSession::clipboardOwner() const {
    xcb_connection_t* connection = xcb_connect(display_.toLocal8Bit().constData(), nullptr);
    quint32 owner = 0;
    if (xcb_connection_has_error(connection) == 0) {
        const char name[] = "CLIPBOARD";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
        if (atom != nullptr) {
            xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
                connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
            if (reply != nullptr) {
                owner = reply->owner;
            }
            free(reply);
        }
        free(atom);
    }
    xcb_disconnect(connection);
    return owner;
}

bool E2eSession::copyWithXclip(const QByteArray& bytes, const QString& type) {
    const quint32 before = clipboardOwner();
    QStringList args{QStringLiteral("-selection"), QStringLiteral("clipboard"),
                     QStringLiteral("-i")};
    if (!type.isEmpty()) {
        args << QStringLiteral("-t") << type;
    }
    if (run(QStringLiteral("xclip"), args, bytes).exitCode != 0) {
        return false;
    }
    return waitUntil(
        [&] {
            const quint32 owner = clipboardOwner();
            return owner != 0 && owner != before;
        },
        5000, 10);
}
