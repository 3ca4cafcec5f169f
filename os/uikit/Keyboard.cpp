#include "os/uikit/Keyboard.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/NotificationCenter.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/GeometryValue.h"
#include "os/uikit/Screen.h"
#include "os/uikit/View.h"

namespace ui {

Keyboard& Keyboard::shared() {
    static Keyboard keyboard;
    return keyboard;
}

void Keyboard::reset() {
    visible_ = false;
    frame_ = cg::RectZero;
    ++generation_;
}

void Keyboard::update(const ResponderRef& responder, bool gained) {
    cg::Rect screen = Screen::mainScreen().bounds();
    if (responder && responder->wantsKeyboard()) {
        double height = DeviceProfile::keyboardHeight();
        if (auto input = responder->inputView()) height = input->frame().size.height;
        if (auto accessory = responder->inputAccessoryView()) height += accessory->frame().size.height;
        cg::Rect end = cg::RectMake(0, screen.size.height - height, screen.size.width, height);
        if (!visible_ || gained || !(end == frame_)) change(end, true);
    } else if (visible_) {
        change(cg::RectMake(0, screen.size.height, screen.size.width, frame_.size.height), false);
    }
}

void Keyboard::change(cg::Rect end, bool show) {
    cg::Rect screen = Screen::mainScreen().bounds();
    cg::Rect begin = visible_ ? frame_ : cg::RectMake(0, screen.size.height, screen.size.width, end.size.height);
    visible_ = show;
    frame_ = end;
    ns::Dictionary info{
        {KeyboardFrameBeginUserInfoKey, GeometryValue::withRect(begin)},
        {KeyboardFrameEndUserInfoKey, GeometryValue::withRect(end)},
        {KeyboardAnimationDurationUserInfoKey, AnimationDuration},
        {KeyboardAnimationCurveUserInfoKey, AnimationCurve},
    };
    auto& center = ns::NotificationCenter::defaultCenter();
    center.post(KeyboardWillChangeFrameNotification, nullptr, info);
    center.post(show ? KeyboardWillShowNotification : KeyboardWillHideNotification, nullptr, info);
    unsigned long generation = generation_;
    dispatch::after(AnimationDuration, dispatch::Queue::main(), [this, generation, show, info] {
        if (generation != generation_) return;
        auto& c = ns::NotificationCenter::defaultCenter();
        c.post(KeyboardDidChangeFrameNotification, nullptr, info);
        c.post(show ? KeyboardDidShowNotification : KeyboardDidHideNotification, nullptr, info);
    });
}

} // namespace ui
