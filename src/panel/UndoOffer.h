#pragma once

#include <QObject>

#include <memory>

class MainQueue;
class Timer;

// The few seconds after a "Clear" in which it can be taken back. The model that cleared keeps
// what it took away and opens the offer; the offer closes by itself once its time is up (the
// model then lets go of what it kept), or when the model closes it. Without a queue to time
// it, nothing is offered.
class UndoOffer final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isOpen READ isOpen NOTIFY openChanged)

public:
    static constexpr double duration = 5.0;

    explicit UndoOffer(MainQueue* queue, QObject* parent = nullptr);
    ~UndoOffer() override;

    bool isOpen() const { return open_; }
    // Open for a full duration from now, also when it already was; answers whether it is.
    bool open();
    void close();

Q_SIGNALS:
    void openChanged(bool open);

private:
    void stopTimer();

    MainQueue* queue_;
    std::shared_ptr<Timer> timer_;
    bool open_ = false;
};
