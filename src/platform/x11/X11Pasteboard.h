#pragma once

#include "platform/Pasteboard.h"

#include <QObject>

#include <memory>

class QClipboard;
class QMimeData;
class OfferedMimeData;

// The general pasteboard on the X11 CLIPBOARD selection (the primary selection is never read).
// The change count is our own counter: it moves when the selection changes hands or content
// (Qt learns this from XFixes events) and on our own writes, so asking it costs nothing.
// Contents are fetched from the owner only when read. Writes made between clearContents and
// commit are gathered and offered as one clipboard content.
class X11Pasteboard final : public QObject, public Pasteboard {
    Q_OBJECT
public:
    explicit X11Pasteboard(QClipboard* clipboard, QObject* parent = nullptr);
    ~X11Pasteboard() override;

    qint64 changeCount() const override { return changeCount_; }
    QList<QString> types() const override;
    std::optional<QByteArray> dataForType(const QString& type) const override;
    std::optional<QString> stringForType(const QString& type) const override;
    QList<QUrl> readFileURLs() const override;

    qint64 clearContents() override;
    bool setString(const QString& string, const QString& type) override;
    bool setData(const QByteArray& data, const QString& type) override;
    bool writeFileURLs(const QList<QUrl>& urls) override;
    void commit() override;

private:
    const QMimeData* current() const;
    OfferedMimeData& pending();
    void clipboardChanged(int mode);
    // Runs one transfer from the owner, unless this owner already let one time out.
    template <typename Read> auto fetch(const QMimeData& data, Read read) const;

    QClipboard* clipboard_;
    qint64 changeCount_ = 0;
    std::unique_ptr<OfferedMimeData> pending_;
    bool settingOwnData_ = false;
    // The change whose owner let a transfer time out; its other types are not asked for.
    mutable qint64 silentOwnerAt_ = -1;
};
