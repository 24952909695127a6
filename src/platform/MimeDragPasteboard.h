#pragma once

#include "platform/DragPasteboard.h"

class QMimeData;

// The drag pasteboard of a Qt drop: the data of the drag event, read while the event lasts.
class MimeDragPasteboard final : public DragPasteboard {
public:
    explicit MimeDragPasteboard(const QMimeData& data)
        : data_(data) {}

    QList<QString> types() const override;
    std::optional<QByteArray> dataForType(const QString& type) const override;

private:
    const QMimeData& data_;
};
