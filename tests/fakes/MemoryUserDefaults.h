#pragma once

#include "platform/UserDefaults.h"

#include <QHash>
#include <QStringList>
#include <QVariantMap>

// User defaults held in memory, recording every write so tests can tell a rewrite from none.
// values stands for what is on disk: while failWrites is set, writes are refused and change
// nothing there.
class MemoryUserDefaults final : public UserDefaults {
public:
    QVariant objectForKey(const QString& key) const override { return values.value(key); }
    bool setBool(const QString& key, bool value) override { return write(key, value); }
    bool setInteger(const QString& key, qint64 value) override { return write(key, value); }
    bool setString(const QString& key, const QString& value) override { return write(key, value); }
    bool setData(const QString& key, const QByteArray& value) override { return write(key, value); }
    bool removeObject(const QString& key) override {
        if (failWrites) {
            refused.append(key);
            return false;
        }
        values.remove(key);
        writes.append(key);
        return true;
    }

    int writeCount(const QString& key) const { return int(writes.count(key)); }

    QVariantMap values;
    QStringList writes;
    bool failWrites = false;
    // Keys of the writes refused while failWrites was set.
    QStringList refused;

private:
    bool write(const QString& key, const QVariant& value) {
        if (failWrites) {
            refused.append(key);
            return false;
        }
        values.insert(key, value);
        writes.append(key);
        return true;
    }
};
