#pragma once
// A control: enabled, selected and highlighted state, and target-action. Targets are held weakly
// (an action whose target is gone is skipped); actions run in the order they were added.
// Touch tracking: touch-down on begin; drag inside/outside (with enter and exit) on moves;
// touch-up-inside when the touch ends within 70 points of the bounds, else touch-up-outside;
// cancel on cancel. A disabled control takes no touches: hit-testing passes through it.

#include "os/uikit/View.h"

#include <functional>

namespace ui {

class Control;
using ControlRef = ns::Ref<Control>;

enum ControlState : unsigned {
    ControlStateNormal = 0,
    ControlStateHighlighted = 1u << 0,
    ControlStateDisabled = 1u << 1,
    ControlStateSelected = 1u << 2,
    ControlStateFocused = 1u << 3,
};

enum ControlEvents : unsigned {
    ControlEventTouchDown = 1u << 0,
    ControlEventTouchDownRepeat = 1u << 1,
    ControlEventTouchDragInside = 1u << 2,
    ControlEventTouchDragOutside = 1u << 3,
    ControlEventTouchDragEnter = 1u << 4,
    ControlEventTouchDragExit = 1u << 5,
    ControlEventTouchUpInside = 1u << 6,
    ControlEventTouchUpOutside = 1u << 7,
    ControlEventTouchCancel = 1u << 8,
    ControlEventValueChanged = 1u << 12,
    ControlEventPrimaryActionTriggered = 1u << 13,
    ControlEventEditingDidBegin = 1u << 16,
    ControlEventEditingChanged = 1u << 17,
    ControlEventEditingDidEnd = 1u << 18,
    ControlEventEditingDidEndOnExit = 1u << 19,
    ControlEventAllTouchEvents = 0x00000FFFu,
    ControlEventAllEditingEvents = 0x000F0000u,
    ControlEventAllEvents = 0xFFFFFFFFu,
};

enum class ControlContentHorizontalAlignment : int { Center = 0, Left = 1, Right = 2, Fill = 3 };
enum class ControlContentVerticalAlignment : int { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

class Control : public View {
public:
    // An action on a weakly held target: the member function runs while the target lives.
    template <class T> void addTarget(const ns::Ref<T>& target, void (T::*action)(), unsigned events) {
        ns::Weak<T> weak = target;
        addEntry(target.get(), [weak, action](Control&) {
            auto t = weak.lock();
            if (t) ((*t).*action)();
            return t != nullptr;
        }, events);
    }
    // The same with the sender, as the sender's class (the action is skipped when it is not one).
    template <class T, class S> void addTarget(const ns::Ref<T>& target, void (T::*action)(const ns::Ref<S>&),
                                               unsigned events) {
        ns::Weak<T> weak = target;
        addEntry(target.get(), [weak, action](Control& sender) {
            auto t = weak.lock();
            if (!t) return false;
            if (auto s = std::dynamic_pointer_cast<S>(sender.ref<ns::Object>())) ((*t).*action)(s);
            return true;
        }, events);
    }
    // A block without target; the control keeps it (capture owners weakly).
    void addAction(std::function<void(Control& sender)> action, unsigned events);
    // Removes the target's actions for the events (a null target: every action for them).
    void removeTarget(const void* target, unsigned events = ControlEventAllEvents);
    // Events that have at least one action.
    unsigned allControlEvents() const;
    // Runs the actions registered for any of the events, in the order they were added.
    virtual void sendActionsForControlEvents(unsigned events);

    bool isEnabled() const { return enabled_; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted);
    // The state bits (normal 0, highlighted 1, disabled 2, selected 4).
    unsigned state() const;

    ControlContentHorizontalAlignment contentHorizontalAlignment() const { return horizontalAlignment_; }
    void setContentHorizontalAlignment(ControlContentHorizontalAlignment a) { horizontalAlignment_ = a; setNeedsLayout(); }
    ControlContentVerticalAlignment contentVerticalAlignment() const { return verticalAlignment_; }
    void setContentVerticalAlignment(ControlContentVerticalAlignment a) { verticalAlignment_ = a; setNeedsLayout(); }

    bool isTracking() const { return tracking_; }
    bool isTouchInside() const { return touchInside_; }

    bool acceptsTouches() const override;
    void touchesBegan(const TouchSet& touches, const EventRef& event) override;
    void touchesMoved(const TouchSet& touches, const EventRef& event) override;
    void touchesEnded(const TouchSet& touches, const EventRef& event) override;
    void touchesCancelled(const TouchSet& touches, const EventRef& event) override;

protected:
    // Hook for subclasses when any state bit changes.
    virtual void stateDidChange() {}

private:
    struct Entry {
        const void* target;
        std::function<bool(Control&)> call; // false when the target is gone
        unsigned events;
    };
    void addEntry(const void* target, std::function<bool(Control&)> call, unsigned events);
    bool isInsideTracking(const TouchRef& touch) const;

    std::vector<Entry> entries_;
    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
    bool tracking_ = false;
    bool touchInside_ = false;
    ControlContentHorizontalAlignment horizontalAlignment_ = ControlContentHorizontalAlignment::Center;
    ControlContentVerticalAlignment verticalAlignment_ = ControlContentVerticalAlignment::Center;
};

} // namespace ui
