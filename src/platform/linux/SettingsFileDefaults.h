#pragma once

#include "platform/UserDefaults.h"

#include <QSettings>

#include <memory>

// User defaults kept in an INI file (by default ~/.config/Hodgebin/Hodgebin.conf). Every write
// is synced at once; QSettings replaces the file atomically, so a crash never leaves half a file.
class SettingsFileDefaults final : public UserDefaults {
public:
    // The standard location under the XDG config home.
    SettingsFileDefaults();
    explicit SettingsFileDefaults(const QString& filePath);

    QVariant objectForKey(const QString& key) const override;
    void setBool(const QString& key, bool value) override;
    void setInteger(const QString& key, qint64 value) override;
    void setString(const QString& key, const QString& value) override;
    void setData(const QString& key, const QByteArray& value) override;
    void removeObject(const QString& key) override;

    QString filePath() const;
    // Where an unparseable settings file was copied before anything was written over it.
    QString backupPath() const { return backupPath_; }

    static QString standardFilePath();

private:
    void write(const QString& key, const QVariant& value);
    void preserveUnreadableFile(const QString& filePath);

    std::unique_ptr<QSettings> settings_;
    QString backupPath_;
};
