#pragma once
// Dispatch queues: the main queue (drained by the main run loop), global concurrent queues by
// priority on the shared worker pool, and serial queues with labels and target queues.

#include "os/foundation/Thread.h"
#include "os/foundation/TimeTicks.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace dispatch {

enum class Priority { High, Default, Low, Background };

class Queue {
public:
    struct Impl;

    // A null handle.
    Queue() = default;

    static Queue main();
    static Queue global(Priority priority = Priority::Default);
    // A serial queue: blocks run one at a time in submission order, on the target queue's
    // threads (default: the default-priority global queue).
    static Queue createSerial(std::string label, Queue target = {});
    // A serial queue with a quality of service (recorded only).
    static Queue createSerial(std::string label, ns::QualityOfService qos, int relativePriority = 0);

    const std::string& label() const;
    bool isSerial() const;
    bool isMain() const;
    Queue target() const;
    ns::QualityOfService qualityOfService() const;
    // Whether the calling thread is running a block of this queue right now.
    bool isCurrent() const;

    explicit operator bool() const { return impl_ != nullptr; }
    bool operator==(const Queue& other) const { return impl_ == other.impl_; }

    std::shared_ptr<Impl> impl() const { return impl_; }

private:
    explicit Queue(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}
    std::shared_ptr<Impl> impl_;
};

// Queues `block`; returns at once.
void async(const Queue& queue, std::function<void()> block);
// Runs `block` on `queue` and waits for it. Works from a background thread onto the main queue
// while the main thread pumps its run loop. Sync onto the queue the caller is running on (the
// main queue from the main thread, or the current serial queue) is a programming error: aborts.
void sync(const Queue& queue, const std::function<void()>& block);
// Queues `block` on `queue` after `seconds` on the clock (rounded to the nearest nanosecond).
void after(double seconds, const Queue& queue, std::function<void()> block);
void after(ns::TimeDelta delay, const Queue& queue, std::function<void()> block);

// Runs `block` exactly once per token, process-wide; concurrent callers wait for it.
using OnceToken = std::once_flag;
void once(OnceToken& token, const std::function<void()>& block);

// Whether no global or serial queue has a block waiting or running (the main queue aside).
bool isIdle();

} // namespace dispatch
