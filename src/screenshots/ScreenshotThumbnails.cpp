#include "screenshots/ScreenshotThumbnails.h"

#include "platform/MainQueue.h"
#include "screenshots/ScreenshotItem.h"

#include <algorithm>

ScreenshotThumbnails::ScreenshotThumbnails(MainQueue& mainQueue, qsizetype byteBudget,
                                           QObject* parent)
    : QObject(parent)
    , mainQueue_(mainQueue)
    , budget_(byteBudget) {}

QImage ScreenshotThumbnails::thumbnail(const ScreenshotItem& item) {
    const QUuid id = item.id();
    const auto found = cache_.find(id);
    if (found != cache_.end()) {
        recency_.splice(recency_.begin(), recency_, found->recency);
        return found->image;
    }
    const bool asked = (decoding_ && decodingId_ == id) ||
                       std::any_of(waiting_.cbegin(), waiting_.cend(),
                                   [&](const Request& request) { return request.id == id; });
    if (!asked) {
        waiting_.append({id, item.url()});
        decodeNext();
    }
    return {};
}

void ScreenshotThumbnails::decodeNext() {
    if (decoding_ || waiting_.isEmpty()) {
        return;
    }
    const Request request = waiting_.takeFirst();
    decoding_ = true;
    decodingId_ = request.id;
    mainQueue_.asyncBackground(
        this, [url = request.url] { return ScreenshotItem::makeThumbnail(url); },
        [id = request.id, generation = generation_](ScreenshotThumbnails* self, QImage image) {
            self->decoding_ = false;
            if (generation == self->generation_) {
                self->decoded(id, std::move(image));
            }
            self->decodeNext();
        });
}

void ScreenshotThumbnails::decoded(const QUuid& id, QImage image) {
    if (image.isNull()) {
        Q_EMIT thumbnailFailed(id);
        return;
    }
    recency_.push_front(id);
    bytes_ += image.sizeInBytes();
    cache_.insert(id, {std::move(image), recency_.begin()});
    // The newest is kept even when it alone is over the budget.
    while (bytes_ > budget_ && recency_.size() > 1) {
        const QUuid oldest = recency_.back();
        recency_.pop_back();
        bytes_ -= cache_.take(oldest).image.sizeInBytes();
    }
    Q_EMIT thumbnailReady(id);
}

void ScreenshotThumbnails::release(const QUuid& id) {
    waiting_.removeIf([&](const Request& request) { return request.id == id; });
}

void ScreenshotThumbnails::forget(const QUuid& id) {
    release(id);
    if (decoding_ && decodingId_ == id) {
        ++generation_;
    }
    if (const auto found = cache_.find(id); found != cache_.end()) {
        bytes_ -= found->image.sizeInBytes();
        recency_.erase(found->recency);
        cache_.erase(found);
    }
}

void ScreenshotThumbnails::clear() {
    ++generation_;
    waiting_.clear();
    cache_.clear();
    recency_.clear();
    bytes_ = 0;
}
