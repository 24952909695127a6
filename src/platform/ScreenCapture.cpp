#include "platform/ScreenCapture.h"

#include <QDir>
#include <QFile>

#include <pwd.h>

QString expandTildeInPath(const QString& path) {
    if (!path.startsWith(QLatin1Char('~'))) {
        return path;
    }
    const qsizetype slash = path.indexOf(QLatin1Char('/'));
    const QString user = path.mid(1, slash < 0 ? -1 : slash - 1);
    const QString rest = slash < 0 ? QString() : path.mid(slash);
    QString home;
    if (user.isEmpty()) {
        home = QDir::homePath();
    } else {
        const passwd* entry = ::getpwnam(QFile::encodeName(user).constData());
        if (entry == nullptr || entry->pw_dir == nullptr) {
            // An unknown user: the path stays as written.
            return path;
        }
        home = QFile::decodeName(entry->pw_dir);
    }
    if (home.endsWith(QLatin1Char('/')) && rest.startsWith(QLatin1Char('/'))) {
        home.chop(1);
    }
    return home + rest;
}
