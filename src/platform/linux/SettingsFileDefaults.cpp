#include "platform/linux/SettingsFileDefaults.h"

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

void SettingsFileDefaults::write(const QString& key, const QVariant& value) {
    QDir().mkpath(QFileInfo(settings_->fileName()).absolutePath());
    settings_->setValue(key, value);
    settings_->sync();
}

void SettingsFileDefaults::setBool(const QString& key, bool value) {
    write(key, value);
}

void SettingsFileDefaults::setInteger(const QString& key, qint64 value) {
    write(key, value);
}

void SettingsFileDefaults::setString(const QString& key, const QString& value) {
    write(key, value);
}

void SettingsFileDefaults::setData(const QString& key, const QByteArray& value) {
    write(key, value);
}

void SettingsFileDefaults::removeObject(const QString& key) {
    settings_->remove(key);
    settings_->sync();
}
