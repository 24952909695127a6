#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QUrl>
#include <QUuid>

#include <list>

class MainQueue;
class ScreenshotItem;

// The thumbnails of the screenshots on screen and near it. They are decoded on the main
// queue's workers when first asked for and kept up to a byte budget; beyond it the one shown
// least recently is dropped, so memory follows what is shown, not how many screenshots there
// are. Decoding a screenshot takes the whole picture in memory for a moment, so one is decoded
// at a time, in the order asked for; those no longer shown by then are passed over.
class ScreenshotThumbnails final : public QObject {
    Q_OBJECT

public:
    // A few hundred thumbnails of screen-shaped pictures.
    static constexpr qsizetype defaultByteBudget = qsizetype(24) << 20;

    explicit ScreenshotThumbnails(MainQueue& mainQueue, qsizetype byteBudget = defaultByteBudget,
                                  QObject* parent = nullptr);

    // The item's thumbnail, counted as just shown; null while it is being made (thumbnailReady
    // follows) or when it could not be.
    QImage thumbnail(const ScreenshotItem& item);
    // The item is no longer shown: if its decode has not started, it does not start.
    void release(const QUuid& id);
    // The item is gone: its thumbnail is dropped.
    void forget(const QUuid& id);
    void clear();

    qsizetype byteCount() const { return bytes_; }
    qsizetype count() const { return cache_.size(); }
    // Thumbnails asked for and not yet made.
    qsizetype pendingCount() const { return waiting_.size() + (decoding_ ? 1 : 0); }

Q_SIGNALS:
    void thumbnailReady(const QUuid& id);
    // The item's file no longer holds a picture that decodes.
    void thumbnailFailed(const QUuid& id);

private:
    struct Entry {
        QImage image;
        std::list<QUuid>::iterator recency;
    };
    struct Request {
        QUuid id;
        QUrl url;
    };

    void decodeNext();
    void decoded(const QUuid& id, QImage image);

    MainQueue& mainQueue_;
    qsizetype budget_;
    qsizetype bytes_ = 0;
    QHash<QUuid, Entry> cache_;
    // Most recently shown first.
    std::list<QUuid> recency_;
    // Asked for, not started, in the order asked.
    QList<Request> waiting_;
    bool decoding_ = false;
    QUuid decodingId_;
    // Counts forget and clear calls, so a decode that ends after its item went is dropped.
    quint64 generation_ = 0;
};
