#pragma once

#include "platform/UserDefaults.h"

#include <QList>
#include <QSettings>

#include <memory>

class MainQueue;

// User defaults kept in an INI file (by default ~/.config/Hodgebin/Hodgebin.conf). Every write
// is synced at once; QSettings replaces the file atomically, so a crash never leaves half a file.
// A write that cannot reach the disk answers false; its value stays readable and is written
// with the next write that succeeds. Background writes run on the main queue's workers, one at
// a time, each through a settings object of its own; QSettings keeps objects on the same file
// coherent across threads. The queue must outlive this object.
class SettingsFileDefaults final : public UserDefaults {
public:
    // The standard location under the XDG config home.
    explicit SettingsFileDefaults(MainQueue& queue);
    SettingsFileDefaults(const QString& filePath, MainQueue& queue);
    // Waits for the background writes.
    ~SettingsFileDefaults() override;

    QVariant objectForKey(const QString& key) const override;
    bool setBool(const QString& key, bool value) override;
    bool setInteger(const QString& key, qint64 value) override;
    bool setString(const QString& key, const QString& value) override;
    bool setData(const QString& key, const QByteArray& value) override;
    bool removeObject(const QString& key) override;
    void setDataInBackground(const QString& key, Produce produce, Done done) override;
    void waitForBackgroundWrites() override;

    QString filePath() const { return filePath_; }
    // Where an unparseable settings file was copied before anything was written over it.
    QString backupPath() const { return backupPath_; }

    static QString standardFilePath();

private:
    class Writer;

    bool write(const QString& key, const QVariant& value);
    bool sync();
    void preserveUnreadableFile(const QString& filePath);

    MainQueue& queue_;
    std::unique_ptr<QSettings> settings_;
    // Fixed at construction: the background writes read it while the main thread may replace
    // settings_.
    const QString filePath_;
    QString backupPath_;
    // Shared with the write under way, which may be the last to let it go.
    std::shared_ptr<Writer> writer_;
    QMetaObject::Connection quitting_;
};
