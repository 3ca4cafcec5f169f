#include "os/uikit/Control.h"

#include <algorithm>

namespace ui {
namespace {
// How far outside its bounds a touch still counts as inside a tracking control.
constexpr double TrackingSlop = 70;
} // namespace

void Control::addEntry(const void* target, std::function<bool(Control&)> call, unsigned events) {
    if (!call || !events) return;
    entries_.push_back({target, std::move(call), events});
}

void Control::addAction(std::function<void(Control& sender)> action, unsigned events) {
    if (!action) return;
    addEntry(nullptr, [action = std::move(action)](Control& sender) {
        action(sender);
        return true;
    }, events);
}

void Control::removeTarget(const void* target, unsigned events) {
    for (auto& e : entries_)
        if (!target || e.target == target) e.events &= ~events;
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.events == 0; }),
                   entries_.end());
}

unsigned Control::allControlEvents() const {
    unsigned all = 0;
    for (const auto& e : entries_) all |= e.events;
    return all;
}

void Control::sendActionsForControlEvents(unsigned events) {
    ns::Ref<Control> self = ref<Control>();
    // Copied: an action may add or remove actions.
    auto entries = entries_;
    for (auto& e : entries)
        if (e.events & events) e.call(*this);
}

void Control::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    stateDidChange();
}

void Control::setSelected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    stateDidChange();
}

void Control::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) return;
    highlighted_ = highlighted;
    stateDidChange();
}

unsigned Control::state() const {
    unsigned s = ControlStateNormal;
    if (highlighted_) s |= ControlStateHighlighted;
    if (!enabled_) s |= ControlStateDisabled;
    if (selected_) s |= ControlStateSelected;
    return s;
}

bool Control::acceptsTouches() const { return enabled_ && View::acceptsTouches(); }

bool Control::isInsideTracking(const TouchRef& touch) const {
    cg::Point p = touch->locationInView(std::const_pointer_cast<View>(ref<View>()));
    cg::Rect area = cg::RectInset(bounds(), -TrackingSlop, -TrackingSlop);
    return cg::RectContainsPoint(area, p);
}

void Control::touchesBegan(const TouchSet& touches, const EventRef&) {
    if (touches.empty() || !enabled_) return;
    ns::Ref<Control> self = ref<Control>();
    tracking_ = true;
    touchInside_ = true;
    setHighlighted(true);
    sendActionsForControlEvents(touches.front()->tapCount() > 1 ? ControlEventTouchDown | ControlEventTouchDownRepeat
                                                                : ControlEventTouchDown);
}

void Control::touchesMoved(const TouchSet& touches, const EventRef&) {
    if (touches.empty() || !tracking_) return;
    ns::Ref<Control> self = ref<Control>();
    bool inside = isInsideTracking(touches.front());
    bool was = touchInside_;
    touchInside_ = inside;
    setHighlighted(inside);
    unsigned events = inside ? ControlEventTouchDragInside : ControlEventTouchDragOutside;
    if (inside && !was) events |= ControlEventTouchDragEnter;
    if (!inside && was) events |= ControlEventTouchDragExit;
    sendActionsForControlEvents(events);
}

void Control::touchesEnded(const TouchSet& touches, const EventRef&) {
    if (touches.empty() || !tracking_) return;
    ns::Ref<Control> self = ref<Control>();
    bool inside = isInsideTracking(touches.front());
    tracking_ = false;
    touchInside_ = inside;
    setHighlighted(false);
    sendActionsForControlEvents(inside ? ControlEventTouchUpInside : ControlEventTouchUpOutside);
}

void Control::touchesCancelled(const TouchSet&, const EventRef&) {
    if (!tracking_) return;
    ns::Ref<Control> self = ref<Control>();
    tracking_ = false;
    touchInside_ = false;
    setHighlighted(false);
    sendActionsForControlEvents(ControlEventTouchCancel);
}

} // namespace ui
