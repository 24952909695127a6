#include "platform/MimeDragPasteboard.h"

#include <QMimeData>

QList<QString> MimeDragPasteboard::types() const {
    return data_.formats();
}

std::optional<QByteArray> MimeDragPasteboard::dataForType(const QString& type) const {
    if (!data_.hasFormat(type)) {
        return std::nullopt;
    }
    return data_.data(type);
}
