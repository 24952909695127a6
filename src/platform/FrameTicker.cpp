#include "platform/FrameTicker.h"

#include "platform/MainQueue.h"

FrameTicker::Link::Link(std::shared_ptr<Timer> timer)
    : timer_(std::move(timer)) {}

FrameTicker::Link::~Link() {
    stop();
}

void FrameTicker::Link::stop() {
    if (timer_) {
        timer_->invalidate();
    }
}

bool FrameTicker::Link::isRunning() const {
    return timer_ && timer_->isValid();
}

FrameTicker::FrameTicker(MainQueue& queue)
    : queue_(queue) {}

std::shared_ptr<FrameTicker::Link> FrameTicker::start(double refreshRate,
                                                      std::function<bool(double)> step) {
    // A display that reports nonsense still animates at a sane pace.
    const double rate = refreshRate >= 10 && refreshRate <= 500 ? refreshRate : 60.0;
    auto holder = std::make_shared<std::weak_ptr<Link>>();
    MainQueue& queue = queue_;
    auto timer = queue_.scheduledTimer(1.0 / rate, true, [holder, &queue, step = std::move(step)] {
        const std::shared_ptr<Link> link = holder->lock();
        if (!link || !link->isRunning()) {
            return;
        }
        if (!step(queue.uptime())) {
            link->stop();
        }
    });
    auto link = std::make_shared<Link>(std::move(timer));
    *holder = link;
    return link;
}
