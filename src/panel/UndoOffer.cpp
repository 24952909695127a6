#include "panel/UndoOffer.h"

#include "platform/MainQueue.h"

UndoOffer::UndoOffer(MainQueue* queue, QObject* parent)
    : QObject(parent)
    , queue_(queue) {}

UndoOffer::~UndoOffer() {
    stopTimer();
}

bool UndoOffer::open() {
    if (queue_ == nullptr) {
        return false;
    }
    stopTimer();
    timer_ = queue_->scheduledTimer(duration, false,
                                    weakly(this, [](UndoOffer* self) { self->close(); }));
    if (!open_) {
        open_ = true;
        Q_EMIT openChanged(true);
    }
    return true;
}

void UndoOffer::close() {
    stopTimer();
    if (open_) {
        open_ = false;
        Q_EMIT openChanged(false);
    }
}

void UndoOffer::stopTimer() {
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
}
