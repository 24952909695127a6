#pragma once

#include <QString>

#include <memory>
#include <utility>
#include <variant>
#include <vector>

// A small JSON object that keeps its members in insertion order, so the status line reads in
// the order it is documented (QJsonObject sorts its keys).
class StatusJson {
public:
    StatusJson& add(const QString& key, bool value);
    StatusJson& add(const QString& key, qint64 value);
    StatusJson& add(const QString& key, int value) { return add(key, qint64(value)); }
    StatusJson& add(const QString& key, const QString& value);
    StatusJson& add(const QString& key, const char* value) {
        return add(key, QString::fromUtf8(value));
    }
    StatusJson& add(const QString& key, const std::vector<QString>& values);
    StatusJson& add(const QString& key, const StatusJson& object);

    QString toString() const;

private:
    using Value =
        std::variant<bool, qint64, QString, std::vector<QString>, std::shared_ptr<StatusJson>>;
    std::vector<std::pair<QString, Value>> members_;
};
