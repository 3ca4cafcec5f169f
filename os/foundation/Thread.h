#pragma once
// Named threads with their own run loop, kept alive so that work can be performed on them.

#include "os/foundation/Object.h"
#include "os/foundation/RunLoop.h"

#include <functional>
#include <memory>
#include <string>

namespace ns {

// Recorded on threads and queues; the host scheduler is not asked for it.
enum class QualityOfService { UserInteractive, UserInitiated, Default, Utility, Background };

class Thread : public Object {
public:
    // A thread that runs `entry`, or, without one, runs its run loop until cancel().
    static Ref<Thread> create(std::string name, std::function<void()> entry = {});

    const std::string& name() const { return name_; }
    QualityOfService qualityOfService() const { return qos_; }
    void setQualityOfService(QualityOfService qos) { qos_ = qos; } // before start()
    bool isStarted() const;
    bool isCancelled() const;
    bool isFinished() const;

    // The thread's run loop; exists before start(), so work performed early waits for it.
    RunLoop& runLoop() const { return *loop_; }

    void start();
    // Perform on thread, not waiting: queues `fn` on the thread's run loop.
    void perform(std::function<void()> fn);
    // Marks the thread cancelled and stops its run loop (an entry that runs the loop returns).
    void cancel();

    // The calling thread's name ("main" on the main thread, "" for unnamed threads).
    static std::string currentName();
    static bool isMainThread();

    Thread(std::string name, std::function<void()> entry);
    ~Thread() override;

private:
    struct State;
    std::string name_;
    std::function<void()> entry_;
    QualityOfService qos_ = QualityOfService::Default;
    std::shared_ptr<RunLoop> loop_;
    std::shared_ptr<State> state_;
};

} // namespace ns
