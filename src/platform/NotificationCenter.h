#pragma once

#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

// The process-internal notification centre: names mapped to observers, all on the main thread.
// Posting calls the observers synchronously, in the order they were added.
class NotificationCenter {
public:
    using Token = quint64;
    using Block = std::function<void()>;

    // The observer is dropped once context (when given) is destroyed.
    Token addObserver(const QString& name, const QObject* context, Block block);
    void removeObserver(Token token);
    void post(const QString& name);

    int observerCount(const QString& name) const;

private:
    struct Observer {
        Token token;
        QString name;
        QPointer<const QObject> context;
        bool hasContext;
        Block block;
    };
    std::vector<Observer> observers_;
    Token nextToken_ = 1;
};
