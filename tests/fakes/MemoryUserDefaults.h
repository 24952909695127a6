#pragma once

#include "platform/UserDefaults.h"

#include <QHash>
#include <QStringList>
#include <QVariantMap>

// User defaults held in memory, recording every write so tests can tell a rewrite from none.
class MemoryUserDefaults final : public UserDefaults {
public:
    QVariant objectForKey(const QString& key) const override { return values.value(key); }
    void setBool(const QString& key, bool value) override { write(key, value); }
    void setInteger(const QString& key, qint64 value) override { write(key, value); }
    void setString(const QString& key, const QString& value) override { write(key, value); }
    void setData(const QString& key, const QByteArray& value) override { write(key, value); }
    void removeObject(const QString& key) override {
        values.remove(key);
        writes.append(key);
    }

    int writeCount(const QString& key) const { return int(writes.count(key)); }

    QVariantMap values;
    QStringList writes;

private:
    void write(const QString& key, const QVariant& value) {
        values.insert(key, value);
        writes.append(key);
    }
};
