#include "settings/AutostartEntry.h"

#include "DesktopEntryTemplate.h"
#include "platform/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace {

// One argument of an Exec line: quoted when it holds a reserved character, with the escapes
// the desktop entry format asks for (the quoting rule, then the string rule for backslashes).
QString execArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString quoted = argument;
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    bool needsQuotes = quoted.isEmpty();
    for (QChar c : argument) {
        needsQuotes = needsQuotes || reserved.contains(c);
    }
    if (!needsQuotes) {
        return quoted;
    }
    QString inner;
    for (QChar c : quoted) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            inner += QLatin1Char('\\');
        }
        inner += c;
    }
    inner.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

} // namespace

AutostartEntry::AutostartEntry(QString configHome, QString program)
    : configHome_(std::move(configHome))
    , program_(std::move(program)) {}

AutostartEntry AutostartEntry::forCurrentUser() {
    QString program = QStandardPaths::findExecutable(QStringLiteral("hodgebin"));
    if (program.isEmpty()) {
        program = QCoreApplication::applicationFilePath();
    }
    return AutostartEntry(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                          program);
}

QString AutostartEntry::path() const {
    return configHome_ + QStringLiteral("/autostart/hodgebin.desktop");
}

bool AutostartEntry::isEnabled() const {
    return QFileInfo(path()).isFile();
}

bool AutostartEntry::setEnabled(bool enabled) {
    const QString file = path();
    if (!enabled) {
        QFile entry(file);
        if (entry.exists() && !entry.remove()) {
            qCWarning(lcSettings) << "Start at login: cannot remove" << file << ":"
                                  << entry.errorString();
            return false;
        }
        return true;
    }
    const QString folder = QFileInfo(file).absolutePath();
    // mkpath keeps the reason to itself; making the last folder again tells it.
    if (!QDir().mkpath(folder) && ::mkdir(QFile::encodeName(folder).constData(), 0755) != 0) {
        qCWarning(lcSettings) << "Start at login: cannot create the folder" << folder << ":"
                              << qt_error_string(errno);
        return false;
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(desktopEntry(program_, true)) < 0 ||
        !out.commit()) {
        qCWarning(lcSettings) << "Start at login: cannot write" << file << ":" << out.errorString();
        return false;
    }
    return true;
}

QByteArray AutostartEntry::desktopEntry(const QString& program, bool autostart) {
    QString entry = QString::fromUtf8(desktopEntryTemplate);
    entry.replace(QStringLiteral("@HODGEBIN_EXEC@"), execArgument(program));
    if (autostart) {
        const QString header = QStringLiteral("[Desktop Entry]\n");
        entry.insert(entry.indexOf(header) + header.size(),
                     QStringLiteral("X-GNOME-Autostart-enabled=true\n"));
    }
    return entry.toUtf8();
}
