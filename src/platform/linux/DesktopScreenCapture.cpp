#include "platform/linux/DesktopScreenCapture.h"

#include "platform/UserDefaults.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QUrl>

namespace {

// Spectacle's configuration is small; anything far larger is not one.
constexpr qint64 maxConfigSize = 1 << 20;

// KConfig's escapes in values.
QString unescape(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case 'x':
            if (i + 2 < value.size()) {
                bool ok = false;
                const int code = value.mid(i + 1, 2).toInt(&ok, 16);
                if (ok) {
                    out += QChar(code);
                    i += 2;
                    break;
                }
            }
            out += next;
            break;
        default:
            out += next;
        }
    }
    return out;
}

// `$VAR` and `${VAR}` as KConfig expands them in entries marked [$e]; shell commands are not run.
QString expandVariables(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) != QLatin1Char('$') || i + 1 >= value.size()) {
            out += value.at(i);
            continue;
        }
        qsizetype start = i + 1;
        qsizetype end = start;
        QString name;
        if (value.at(start) == QLatin1Char('{')) {
            end = value.indexOf(QLatin1Char('}'), start);
            if (end < 0) {
                out += value.mid(i);
                break;
            }
            name = value.mid(start + 1, end - start - 1);
            i = end;
        } else {
            while (end < value.size() &&
                   (value.at(end).isLetterOrNumber() || value.at(end) == QLatin1Char('_'))) {
                ++end;
            }
            if (end == start) {
                out += value.at(i);
                continue;
            }
            name = value.mid(start, end - start);
            i = end - 1;
        }
        out += qEnvironmentVariable(name.toLocal8Bit().constData());
    }
    return out;
}

std::optional<QString> folderFromSetting(const QString& value) {
    if (value.isEmpty()) {
        return std::nullopt;
    }
    if (value.contains(QStringLiteral("://")) || value.startsWith(QStringLiteral("file:"))) {
        const QUrl url(value);
        if (!url.isLocalFile() || url.toLocalFile().isEmpty()) {
            // A remote folder cannot be watched.
            return std::nullopt;
        }
        return url.toLocalFile();
    }
    return expandTildeInPath(value);
}

} // namespace

DesktopScreenCapture::DesktopScreenCapture(const UserDefaults& defaults,
                                           QString spectacleConfigPath)
    : defaults_(defaults)
    , spectacleConfigPath_(std::move(spectacleConfigPath)) {}

QString DesktopScreenCapture::standardSpectacleConfigPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/spectaclerc");
}

std::optional<QString> DesktopScreenCapture::spectacleSaveFolder(const QByteArray& config) {
    QHash<QString, QString> entries; // "Group/key" -> value
    QString group;
    for (const QByteArray& rawLine : config.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            // A header without its closing bracket names no group that is looked up.
            const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
            group = close > 0 ? line.mid(1, close - 1) : QStringLiteral("\n");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            continue;
        }
        QString key = line.left(equals).trimmed();
        bool expand = false;
        // Key options such as [$e] (expand variables) or a locale follow the key's name.
        if (const qsizetype bracket = key.indexOf(QLatin1Char('[')); bracket > 0) {
            expand = key.mid(bracket).contains(QStringLiteral("$e"));
            key = key.left(bracket).trimmed();
        }
        QString value = unescape(line.mid(equals + 1).trimmed());
        if (expand) {
            value = expandVariables(value);
        }
        entries.insert(group + QLatin1Char('/') + key, value);
    }
    // Newer releases keep the folder under [ImageSave], older ones under [Save] or [General].
    for (const char* key : {"ImageSave/imageSaveLocation", "Save/defaultSaveLocation",
                            "General/defaultSaveLocation", "General/default-save-location"}) {
        if (const auto folder = folderFromSetting(entries.value(QString::fromLatin1(key)))) {
            return folder;
        }
    }
    return std::nullopt;
}

std::optional<QString> DesktopScreenCapture::location() const {
    const QVariant own = defaults_.objectForKey(locationKey);
    if (own.isValid()) {
        const QString path = own.toString().trimmed();
        if (!path.isEmpty()) {
            return expandTildeInPath(path);
        }
    }
    // Only a regular file is read: a pipe under that name would block the start.
    QFile spectacle(spectacleConfigPath_);
    if (QFileInfo(spectacleConfigPath_).isFile() && spectacle.size() <= maxConfigSize &&
        spectacle.open(QIODevice::ReadOnly)) {
        if (const auto folder = spectacleSaveFolder(spectacle.read(maxConfigSize))) {
            return folder;
        }
    }
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty()) {
        const QString screenshots = pictures + QStringLiteral("/Screenshots");
        if (QFileInfo(screenshots).isDir()) {
            return screenshots;
        }
    }
    return std::nullopt;
}
