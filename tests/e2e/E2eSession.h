#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A throw-away desktop for one test: a virtual X server (with a window manager and a tray when
// asked), a fresh HOME and XDG folders, and the real hodgebin binary. Everything it starts it
// stops again, by PID, when it goes away. The test binary runs inside dbus-run-session, so the
// session bus is its own too.
class E2eSession {
public:
    // The window managers that Debian's desktops use: bare openbox, XFCE's (with its
    // compositor on, as XFCE ships it) and GNOME's (mutter, as an X11 window manager).
    enum class WindowManager { none, openbox, xfwm4, mutter };
    static const char* name(WindowManager wm);

    struct Options {
        WindowManager windowManager = WindowManager::openbox;
        bool tray = false;
        bool compositor = false;
        QString screen = QStringLiteral("1920x1080x24");
    };

    E2eSession();
    explicit E2eSession(const Options& options);
    ~E2eSession();

    bool ok() const { return ok_; }
    QString error() const { return error_; }

    QString display() const { return display_; }
    QString home() const;
    QString configHome() const;
    QString settingsFile() const;
    QString picturesFolder() const;
    QProcessEnvironment environment() const { return env_; }
    // Changes what the programs started from now on see, e.g. DISPLAY for a nested X server.
    void setEnvironment(const QString& name, const QString& value) { env_.insert(name, value); }

    // Starts `hodgebin` and waits until it answers --status; false when it never did.
    bool startHodgebin(int timeoutMs = 15000);
    QProcess* hodgebin() const { return hodgebin_; }
    // Starts another `hodgebin` and waits for it to end; its exit code and output.
    struct Result {
        int exitCode = -1;
        bool finished = false;
        QByteArray out;
        QByteArray err;
    };
    Result runHodgebin(const QStringList& args, int timeoutMs = 15000);
    // The running instance's status, parsed.
    std::optional<QJsonObject> status();
    // Polls the status until the predicate holds: the status that satisfied it, or nothing when
    // the time ran out first.
    std::optional<QJsonObject> waitForStatus(const std::function<bool(const QJsonObject&)>& pred,
                                             int timeoutMs = 5000);

    // Runs an X client (xclip, xdotool, ...) against this display.
    Result run(const QString& program, const QStringList& args, const QByteArray& input = {},
               int timeoutMs = 10000);
    // Starts a long-lived X client that the session stops at the end.
    QProcess* spawn(const QString& program, const QStringList& args);

    // The window that owns the CLIPBOARD selection now; 0 when nobody does.
    quint32 clipboardOwner() const;
    // Copies with xclip and waits until xclip's window owns the clipboard: xclip takes the
    // selection in a child after its own process has ended, so its exit proves nothing.
    bool copyWithXclip(const QByteArray& bytes, const QString& type = QString());

    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs = 50);

private:
    bool startServer(const Options& options);
    void stop(QProcess* process);

    QTemporaryDir root_;
    QProcessEnvironment env_;
    QString display_;
    QProcess* xvfb_ = nullptr;
    QProcess* hodgebin_ = nullptr;
    std::vector<QProcess*> processes_;
    bool ok_ = false;
    QString error_;
};
