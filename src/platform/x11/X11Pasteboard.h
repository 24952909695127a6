#pragma once

#include "platform/Pasteboard.h"

#include <QObject>

#include <memory>

class BackgroundTask;
class MainQueue;
class QClipboard;
class OfferedMimeData;
class X11SelectionReader;

// The general pasteboard on the X11 CLIPBOARD selection (the primary selection is never read).
// The change count is our own counter: it moves when the selection changes hands or content
// (Qt learns this from XFixes events) and on our own writes, so asking it costs nothing.
// Contents are fetched by a reader with its own X connection, on the main queue's workers; the
// main thread never waits for another program. Our own content is served by Qt from what was
// written: an image's other encoding is made once per write, in the background, and offered once
// it is ready; it is given up when newer content replaces the image first.
class X11Pasteboard final : public QObject, public Pasteboard {
    Q_OBJECT
public:
    // Qt's own clipboard gives up on a silent owner after 5 s, and so do we by default.
    static constexpr int defaultTransferTimeoutMs = 5000;

    X11Pasteboard(QClipboard* clipboard, MainQueue& queue,
                  int transferTimeoutMs = defaultTransferTimeoutMs, QObject* parent = nullptr);
    ~X11Pasteboard() override;

    qint64 changeCount() const override { return changeCount_; }
    void observeChanges(std::function<void()> changed) override;
    void readContents(Read read, std::function<void()> done) override;

    qint64 clearContents() override;
    bool setString(const QString& string, const QString& type) override;
    bool setData(const QByteArray& data, const QString& type) override;
    bool writeFileURLs(const QList<QUrl>& urls) override;
    void commit() override;

private:
    OfferedMimeData& pending();
    void clipboardChanged(int mode);
    void countChange();

    QClipboard* clipboard_;
    MainQueue& queue_;
    qint64 changeCount_ = 0;
    std::function<void()> changed_;
    std::unique_ptr<OfferedMimeData> pending_;
    // Making the other encoding of the image on the clipboard now, if we wrote one.
    std::shared_ptr<BackgroundTask> companionTask_;
    bool settingOwnData_ = false;
    std::unique_ptr<X11SelectionReader> reader_;
};
