#pragma once
// Gesture recognisers on a view: they see the touches of the view and its subviews before the
// hit view does. The first one to recognise wins the touch (the others fail) and, with
// cancelsTouchesInView, the hit view gets touchesCancelled instead of the rest. Targets are held
// weakly. A tap recognises when the touch ends within 10 points of where it began; a pan begins
// once the touch has moved 10 points, then changes with every move and ends with the touch.

#include "os/graphics/Geometry.h"
#include "os/uikit/Responder.h"

#include <functional>
#include <vector>

namespace ui {

class View;
class GestureRecognizer;
using GestureRecognizerRef = ns::Ref<GestureRecognizer>;

enum class GestureRecognizerState : int { Possible = 0, Began = 1, Changed = 2, Ended = 3, Cancelled = 4, Failed = 5 };

class GestureRecognizerDelegate {
public:
    virtual ~GestureRecognizerDelegate() = default;
    virtual bool shouldBegin(const GestureRecognizerRef& /*recognizer*/) { return true; }
    virtual bool shouldReceiveTouch(const GestureRecognizerRef& /*recognizer*/, const TouchRef& /*touch*/) { return true; }
};

class GestureRecognizer : public ns::Object {
public:
    template <class T> void addTarget(const ns::Ref<T>& target, void (T::*action)()) {
        ns::Weak<T> weak = target;
        addEntry(target.get(), [weak, action](GestureRecognizer&) {
            if (auto t = weak.lock()) ((*t).*action)();
        });
    }
    template <class T, class G> void addTarget(const ns::Ref<T>& target, void (T::*action)(const ns::Ref<G>&)) {
        ns::Weak<T> weak = target;
        addEntry(target.get(), [weak, action](GestureRecognizer& r) {
            auto t = weak.lock();
            auto g = std::dynamic_pointer_cast<G>(r.ref<ns::Object>());
            if (t && g) ((*t).*action)(g);
        });
    }
    // A block without target; the recogniser keeps it (capture owners weakly).
    void addAction(std::function<void(GestureRecognizer&)> action);
    void removeTarget(const void* target);

    GestureRecognizerState state() const { return state_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    ns::Ref<View> view() const { return view_.lock(); }
    ns::Weak<GestureRecognizerDelegate> delegate() const { return delegate_; }
    void setDelegate(ns::Weak<GestureRecognizerDelegate> delegate) { delegate_ = std::move(delegate); }
    bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
    void setCancelsTouchesInView(bool cancels) { cancelsTouchesInView_ = cancels; }
    // The touch's location in the view's coordinates (the window's for null).
    cg::Point locationInView(const ns::Ref<View>& view) const;
    size_t numberOfTouches() const { return touch_ ? 1 : 0; }

    // --- Used by the window's touch delivery ---
    bool shouldReceiveTouch(const TouchRef& touch);
    void handleTouches(Touch::Phase phase, const TouchSet& touches, const EventRef& event);
    bool isFinished() const;
    bool hasRecognized() const;
    void fail();
    void touchSequenceEnded();
    void setView(const ns::Ref<View>& view) { view_ = view; }

protected:
    virtual void touchesBegan(const TouchSet& /*touches*/, const EventRef& /*event*/) {}
    virtual void touchesMoved(const TouchSet& /*touches*/, const EventRef& /*event*/) {}
    virtual void touchesEnded(const TouchSet& /*touches*/, const EventRef& /*event*/) {}
    virtual void touchesCancelled(const TouchSet& touches, const EventRef& event);
    virtual void reset() {}
    // Moves to a state; began, changed, ended and cancelled run the actions. Beginning asks the
    // delegate's shouldBegin first (a NO fails the recogniser).
    void setState(GestureRecognizerState state);
    const TouchRef& currentTouch() const { return touch_; }

private:
    struct Entry {
        const void* target;
        std::function<void(GestureRecognizer&)> call;
    };
    void addEntry(const void* target, std::function<void(GestureRecognizer&)> call);

    std::vector<Entry> entries_;
    GestureRecognizerState state_ = GestureRecognizerState::Possible;
    bool enabled_ = true;
    bool cancelsTouchesInView_ = true;
    ns::Weak<View> view_;
    ns::Weak<GestureRecognizerDelegate> delegate_;
    TouchRef touch_;
};

class TapGestureRecognizer : public GestureRecognizer {
public:
    long numberOfTapsRequired() const { return taps_; }
    void setNumberOfTapsRequired(long taps) { taps_ = taps; }

protected:
    void touchesBegan(const TouchSet& touches, const EventRef& event) override;
    void touchesMoved(const TouchSet& touches, const EventRef& event) override;
    void touchesEnded(const TouchSet& touches, const EventRef& event) override;

private:
    long taps_ = 1;
    cg::Point start_;
};

class PanGestureRecognizer : public GestureRecognizer {
public:
    // Movement since the pan began, in the view's coordinates (the window's for null).
    cg::Point translationInView(const ns::Ref<View>& view) const;
    void setTranslation(cg::Point translation, const ns::Ref<View>& view);
    cg::Point velocityInView(const ns::Ref<View>& /*view*/) const { return {0, 0}; }

protected:
    void touchesBegan(const TouchSet& touches, const EventRef& event) override;
    void touchesMoved(const TouchSet& touches, const EventRef& event) override;
    void touchesEnded(const TouchSet& touches, const EventRef& event) override;

private:
    cg::Point start_;  // window coordinates
    cg::Point offset_; // translation set by setTranslation, window coordinates
};

} // namespace ui
