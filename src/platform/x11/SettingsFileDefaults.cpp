#include "platform/x11/SettingsFileDefaults.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString SettingsFileDefaults::standardFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Hodgebin/Hodgebin.conf");
}

SettingsFileDefaults::SettingsFileDefaults()
    : SettingsFileDefaults(standardFilePath()) {}

SettingsFileDefaults::SettingsFileDefaults(const QString& filePath)
    : settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {
    settings_->setAtomicSyncRequired(true);
    // The file is parsed on first access; its status is known only after that.
    settings_->allKeys();
    if (settings_->status() == QSettings::FormatError) {
        preserveUnreadableFile(filePath);
    }
}

QString SettingsFileDefaults::filePath() const {
    return settings_->fileName();
}

void SettingsFileDefaults::preserveUnreadableFile(const QString& filePath) {
    // The first write would replace a file that QSettings could not parse, and with it whatever
    // the user had stored: keep a copy beside it first.
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString backup = filePath + QStringLiteral(".unreadable-") + stamp;
    if (QFile::copy(filePath, backup)) {
        backupPath_ = backup;
    }
}

QVariant SettingsFileDefaults::objectForKey(const QString& key) const {
    return settings_->value(key);
}

bool SettingsFileDefaults::sync() {
    QDir().mkpath(QFileInfo(settings_->fileName()).absolutePath());
    settings_->sync();
    if (settings_->status() == QSettings::NoError) {
        return true;
    }
    // QSettings keeps answering the first error it ever met (also a file it could not parse at
    // start), so its status cannot tell whether this write reached the disk. A fresh object on
    // the same file shares the values not yet written and reports on its own attempt to write
    // them; it takes over, so the next write is judged on its own too.
    auto fresh = std::make_unique<QSettings>(settings_->fileName(), QSettings::IniFormat);
    fresh->setAtomicSyncRequired(true);
    fresh->sync();
    const bool written = fresh->status() == QSettings::NoError;
    settings_ = std::move(fresh);
    return written;
}

bool SettingsFileDefaults::write(const QString& key, const QVariant& value) {
    settings_->setValue(key, value);
    return sync();
}

bool SettingsFileDefaults::setBool(const QString& key, bool value) {
    return write(key, value);
}

bool SettingsFileDefaults::setInteger(const QString& key, qint64 value) {
    return write(key, value);
}

bool SettingsFileDefaults::setString(const QString& key, const QString& value) {
    return write(key, value);
}

bool SettingsFileDefaults::setData(const QString& key, const QByteArray& value) {
    return write(key, value);
}

bool SettingsFileDefaults::removeObject(const QString& key) {
    settings_->remove(key);
    return sync();
}
