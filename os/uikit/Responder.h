#pragma once
// The responder chain: touches travel from the hit view up through its superviews and view
// controllers; one responder at a time is the first responder (the text input being edited).
// Touches and events are what the window hands to responders and gesture recognisers.

#include "os/foundation/Object.h"
#include "os/graphics/Geometry.h"

#include <vector>

namespace ui {

class View;
class Window;
class Responder;
class Touch;
class Event;
class GestureRecognizer;
using ResponderRef = ns::Ref<Responder>;
using TouchRef = ns::Ref<Touch>;
using EventRef = ns::Ref<Event>;
using TouchSet = std::vector<TouchRef>;

class Touch : public ns::Object {
public:
    enum class Phase : int { Began = 0, Moved = 1, Stationary = 2, Ended = 3, Cancelled = 4 };

    ns::Ref<View> view() const { return view_; }
    ns::Ref<Window> window() const;
    Phase phase() const { return phase_; }
    int tapCount() const { return tapCount_; }
    double timestamp() const { return timestamp_; }
    // The location in the view's coordinates (the window's when view is null).
    cg::Point locationInView(const ns::Ref<View>& view) const;
    cg::Point previousLocationInView(const ns::Ref<View>& view) const;
    // Recognisers the touch is delivered to (those of the hit view and its ancestors).
    const std::vector<ns::Ref<GestureRecognizer>>& gestureRecognizers() const { return recognizers_; }

    Touch() = default;

private:
    friend class Window;
    ns::Ref<View> view_;
    ns::Weak<Window> window_;
    Phase phase_ = Phase::Began;
    int tapCount_ = 1;
    double timestamp_ = 0;
    cg::Point location_;         // window coordinates
    cg::Point previousLocation_; // window coordinates
    std::vector<ns::Ref<GestureRecognizer>> recognizers_;
    EventRef event_;
    bool viewCancelled_ = false; // a recogniser took the touch from the view
    bool viewBegan_ = false;
};

class Event : public ns::Object {
public:
    TouchSet allTouches() const;
    double timestamp() const { return timestamp_; }

    Event() = default;

private:
    friend class Window;
    std::vector<ns::Weak<Touch>> touches_; // a touch holds its event
    double timestamp_ = 0;
};

class Responder : public ns::Object {
public:
    // The next responder up the chain; null at the end.
    virtual ResponderRef nextResponder() const { return nullptr; }

    // Touch handling; the defaults pass the touches to the next responder.
    virtual void touchesBegan(const TouchSet& touches, const EventRef& event);
    virtual void touchesMoved(const TouchSet& touches, const EventRef& event);
    virtual void touchesEnded(const TouchSet& touches, const EventRef& event);
    virtual void touchesCancelled(const TouchSet& touches, const EventRef& event);

    // First responder. Becoming one needs canBecomeFirstResponder and a window; the previous
    // first responder resigns first (and may refuse, which refuses this too). The window of the
    // new first responder becomes the key window. Keyboard notifications follow.
    virtual bool canBecomeFirstResponder() const { return false; }
    virtual bool canResignFirstResponder() const { return true; }
    virtual bool becomeFirstResponder();
    virtual bool resignFirstResponder();
    bool isFirstResponder() const;
    // The process's first responder, or null.
    static ResponderRef currentFirstResponder();

    // Input: a responder with a keyboard shows the keyboard (or its input view) while first responder.
    virtual bool wantsKeyboard() const { return false; }
    virtual ns::Ref<View> inputView() const { return nullptr; }
    virtual ns::Ref<View> inputAccessoryView() const { return nullptr; }
    // Re-reads the input views of the first responder (posts the keyboard's frame change).
    void reloadInputViews();

    // The window this responder is shown in, or null.
    virtual ns::Ref<Window> responderWindow() const { return nullptr; }

    // Resigns even when canResignFirstResponder says no (endEditing with force).
    bool forceResignFirstResponder();
    // Test hook: forgets the first responder without callbacks.
    static void resetFirstResponder();

protected:
    // Hooks around the change, after the first responder was set or cleared.
    virtual void didBecomeFirstResponder() {}
    virtual void didResignFirstResponder() {}

private:
    bool resign(bool force, bool handover);
};

} // namespace ui
