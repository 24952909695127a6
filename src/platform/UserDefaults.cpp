#include "platform/UserDefaults.h"

// Values come back from a text file as strings, so the typed reads interpret strings the way
// they were written; anything else reads as false / 0.
bool UserDefaults::boolForKey(const QString& key) const {
    const QVariant value = objectForKey(key);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return value.toLongLong() != 0;
    case QMetaType::Double:
        return value.toDouble() != 0.0;
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString s = value.toString().trimmed().toLower();
        if (s == QLatin1String("true") || s == QLatin1String("yes")) {
            return true;
        }
        bool ok = false;
        const qint64 n = s.toLongLong(&ok);
        return ok && n != 0;
    }
    default:
        return false;
    }
}

qint64 UserDefaults::integerForKey(const QString& key) const {
    const QVariant value = objectForKey(key);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return value.toLongLong();
    case QMetaType::Double: {
        const double d = value.toDouble();
        return d >= -9.2e18 && d <= 9.2e18 ? qint64(d) : 0;
    }
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        bool ok = false;
        const qint64 n = value.toString().trimmed().toLongLong(&ok);
        return ok ? n : 0;
    }
    default:
        return 0;
    }
}

QString UserDefaults::stringForKey(const QString& key) const {
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray) {
        return value.toString();
    }
    return {};
}

QByteArray UserDefaults::dataForKey(const QString& key) const {
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QByteArray) {
        return value.toByteArray();
    }
    if (value.typeId() == QMetaType::QString) {
        return value.toString().toUtf8();
    }
    return {};
}

void UserDefaults::setDataInBackground(const QString& key, Produce produce, Done done) {
    const bool written = setData(key, produce());
    if (done) {
        done(written);
    }
}
