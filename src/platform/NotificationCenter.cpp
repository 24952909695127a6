#include "platform/NotificationCenter.h"

#include <algorithm>

NotificationCenter::Token NotificationCenter::addObserver(const QString& name,
                                                          const QObject* context, Block block) {
    const Token token = nextToken_++;
    observers_.push_back({token, name, context, context != nullptr, std::move(block)});
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    std::erase_if(observers_, [token](const Observer& o) { return o.token == token; });
}

void NotificationCenter::post(const QString& name) {
    std::erase_if(observers_, [](const Observer& o) { return o.hasContext && !o.context; });
    // Observers may add or remove observers while running: call a snapshot, and skip any
    // observer that was removed meanwhile.
    std::vector<Token> due;
    for (const Observer& o : observers_) {
        if (o.name == name) {
            due.push_back(o.token);
        }
    }
    for (Token token : due) {
        auto it = std::find_if(observers_.begin(), observers_.end(),
                               [token](const Observer& o) { return o.token == token; });
        if (it == observers_.end() || (it->hasContext && !it->context)) {
            continue;
        }
        Block block = it->block;
        block();
    }
}

int NotificationCenter::observerCount(const QString& name) const {
    return int(std::count_if(observers_.begin(), observers_.end(), [&](const Observer& o) {
        return o.name == name && (!o.hasContext || o.context);
    }));
}
