#pragma once

#include <functional>
#include <memory>

class MainQueue;
class Timer;

// Steps an animation once per display refresh on the main queue, reading time from its clock.
// The step answers whether to go on; the link stops by itself once it answers false.
class FrameTicker {
public:
    class Link {
    public:
        explicit Link(std::shared_ptr<Timer> timer);
        // Dropping the link stops it.
        ~Link();
        Link(const Link&) = delete;
        Link& operator=(const Link&) = delete;
        void stop();
        bool isRunning() const;

    private:
        std::shared_ptr<Timer> timer_;
    };

    explicit FrameTicker(MainQueue& queue);

    // step(now) gets the queue's uptime in seconds.
    std::shared_ptr<Link> start(double refreshRate, std::function<bool(double now)> step);

    MainQueue& queue() const { return queue_; }

private:
    MainQueue& queue_;
};
