#include "app/StatusJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

// Quoting goes through QJsonDocument so that every escape is right.
QString quoted(const QString& s) {
    const QByteArray array = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

} // namespace

StatusJson& StatusJson::add(const QString& key, bool value) {
    members_.emplace_back(key, value);
    return *this;
}

StatusJson& StatusJson::add(const QString& key, qint64 value) {
    members_.emplace_back(key, value);
    return *this;
}

StatusJson& StatusJson::add(const QString& key, const QString& value) {
    members_.emplace_back(key, value);
    return *this;
}

StatusJson& StatusJson::add(const QString& key, const std::vector<QString>& values) {
    members_.emplace_back(key, values);
    return *this;
}

StatusJson& StatusJson::add(const QString& key, const StatusJson& object) {
    members_.emplace_back(key, std::make_shared<StatusJson>(object));
    return *this;
}

QString StatusJson::toString() const {
    QString out = QStringLiteral("{");
    bool first = true;
    for (const auto& [key, value] : members_) {
        if (!first) {
            out += QLatin1Char(',');
        }
        first = false;
        out += quoted(key) + QLatin1Char(':');
        if (const bool* b = std::get_if<bool>(&value)) {
            out += *b ? QStringLiteral("true") : QStringLiteral("false");
        } else if (const qint64* n = std::get_if<qint64>(&value)) {
            out += QString::number(*n);
        } else if (const QString* s = std::get_if<QString>(&value)) {
            out += quoted(*s);
        } else if (const auto* list = std::get_if<std::vector<QString>>(&value)) {
            out += QLatin1Char('[');
            for (size_t i = 0; i < list->size(); ++i) {
                out += (i > 0 ? QStringLiteral(",") : QString()) + quoted((*list)[i]);
            }
            out += QLatin1Char(']');
        } else {
            out += std::get<std::shared_ptr<StatusJson>>(value)->toString();
        }
    }
    return out + QLatin1Char('}');
}
