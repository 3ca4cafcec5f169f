#include "widgets/VXCountDownButton.h"

#include "os/foundation/Format.h"

VXCountDownButton::~VXCountDownButton() {
    if (timer_) timer_->invalidate();
}

void VXCountDownButton::startWithSecond(int second) {
    // A second start must not leave the first timer ticking as well.
    if (timer_) timer_->invalidate();
    totalSecond_ = second;
    second_ = second;
    ns::Weak<VXCountDownButton> weak = ref<VXCountDownButton>();
    timer_ = ns::Timer::scheduled(1.0, true, [weak](ns::Timer& timer) {
        if (auto self = weak.lock()) self->tick();
        else timer.invalidate();
    });
}

void VXCountDownButton::tick() {
    if (second_ <= 1) {
        stop();
        return;
    }
    --second_;
    std::string title = changeBlock_ ? changeBlock_(ref<VXCountDownButton>(), second_) : ns::format(DefaultChangeFormat, second_);
    setTitle(title, ui::ControlStateNormal);
}

void VXCountDownButton::stop() {
    if (!timer_) return;
    timer_->invalidate();
    timer_.reset();
    second_ = totalSecond_;
    std::string title = finishedBlock_ ? finishedBlock_(ref<VXCountDownButton>(), totalSecond_) : DefaultFinishedTitle;
    setTitle(title, ui::ControlStateNormal);
}
