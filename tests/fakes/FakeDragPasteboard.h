#pragma once

#include "platform/DragPasteboard.h"

#include <QMap>

// The data of a drag, held in memory: MIME type to bytes, as a source program offers them.
class FakeDragPasteboard final : public DragPasteboard {
public:
    FakeDragPasteboard() = default;
    FakeDragPasteboard(std::initializer_list<std::pair<const QString, QByteArray>> offered)
        : contents(offered) {}

    QList<QString> types() const override { return contents.keys(); }
    std::optional<QByteArray> dataForType(const QString& type) const override {
        if (!contents.contains(type)) {
            return std::nullopt;
        }
        return contents.value(type);
    }

    QMap<QString, QByteArray> contents;
};
