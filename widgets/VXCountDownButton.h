#pragma once
// A button that counts down in its title once a second (the SMS-code buttons), then offers to ask
// again. The timer runs on the run loop that started it, whether or not the button is on screen;
// it holds the button weakly and stops when the button goes away.

#include "os/foundation/Timer.h"
#include "os/uikit/Button.h"

#include <functional>
#include <string>

class VXCountDownButton;
using VXCountDownButtonRef = ns::Ref<VXCountDownButton>;

class VXCountDownButton : public ui::Button {
public:
    // Title for (button, seconds): seconds left while counting, the total when finished.
    using TitleBlock = std::function<std::string(const VXCountDownButtonRef& button, int seconds)>;

    static inline const std::string DefaultChangeFormat = "%d秒";
    static inline const std::string DefaultFinishedTitle = "重新获取";

    // Total and remaining seconds become `second`, and a repeating 1 s timer starts on the
    // current run loop (default mode), replacing one that was running. Each tick lowers the
    // remaining seconds and sets the normal title from the change block ("%d秒" without one);
    // the tick that finds 1 second left (or fewer) stops the timer, resets the remaining seconds
    // to the total and sets the normal title from the finished block ("重新获取" without one).
    void startWithSecond(int second);
    void didChange(TitleBlock block) { changeBlock_ = std::move(block); }
    void didFinished(TitleBlock block) { finishedBlock_ = std::move(block); }

    int second() const { return second_; }
    int totalSecond() const { return totalSecond_; }
    bool isCounting() const { return timer_ != nullptr; }

    ~VXCountDownButton() override;

private:
    void tick();
    void stop();

    int totalSecond_ = 0;
    int second_ = 0;
    ns::Ref<ns::Timer> timer_;
    TitleBlock changeBlock_;
    TitleBlock finishedBlock_;
};
