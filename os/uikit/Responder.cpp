#include "os/uikit/Responder.h"

#include "os/uikit/Keyboard.h"
#include "os/uikit/View.h"
#include "os/uikit/Window.h"

namespace ui {
namespace {

ns::Weak<Responder>& firstResponder() {
    static ns::Weak<Responder> first;
    return first;
}

} // namespace

// --- Touch and event ---

ns::Ref<Window> Touch::window() const { return window_.lock(); }

cg::Point Touch::locationInView(const ns::Ref<View>& view) const {
    auto w = window_.lock();
    if (!view || !w) return location_;
    return view->convertPointFromView(location_, w.get());
}

cg::Point Touch::previousLocationInView(const ns::Ref<View>& view) const {
    auto w = window_.lock();
    if (!view || !w) return previousLocation_;
    return view->convertPointFromView(previousLocation_, w.get());
}

TouchSet Event::allTouches() const {
    TouchSet out;
    for (const auto& t : touches_)
        if (auto touch = t.lock()) out.push_back(touch);
    return out;
}

// --- Responder chain ---

void Responder::touchesBegan(const TouchSet& touches, const EventRef& event) {
    if (auto next = nextResponder()) next->touchesBegan(touches, event);
}

void Responder::touchesMoved(const TouchSet& touches, const EventRef& event) {
    if (auto next = nextResponder()) next->touchesMoved(touches, event);
}

void Responder::touchesEnded(const TouchSet& touches, const EventRef& event) {
    if (auto next = nextResponder()) next->touchesEnded(touches, event);
}

void Responder::touchesCancelled(const TouchSet& touches, const EventRef& event) {
    if (auto next = nextResponder()) next->touchesCancelled(touches, event);
}

// --- First responder ---

bool Responder::isFirstResponder() const { return firstResponder().lock().get() == this; }

ResponderRef Responder::currentFirstResponder() { return firstResponder().lock(); }

void Responder::resetFirstResponder() { firstResponder().reset(); }

bool Responder::becomeFirstResponder() {
    if (isFirstResponder()) return true;
    if (!canBecomeFirstResponder()) return false;
    auto window = responderWindow();
    if (!window) return false;
    ResponderRef self = ref<Responder>();
    if (auto old = firstResponder().lock()) {
        if (!old->resign(false, true)) return false;
    }
    firstResponder() = self;
    window->makeKeyWindow();
    didBecomeFirstResponder();
    if (isFirstResponder()) Keyboard::shared().update(self, true);
    return true;
}

bool Responder::resignFirstResponder() { return resign(false, false); }

bool Responder::forceResignFirstResponder() { return resign(true, false); }

bool Responder::resign(bool force, bool handover) {
    if (!isFirstResponder()) return true;
    if (!force && !canResignFirstResponder()) return false;
    ResponderRef self = ref<Responder>();
    firstResponder().reset();
    didResignFirstResponder();
    if (!handover) Keyboard::shared().update(nullptr, false);
    return true;
}

void Responder::reloadInputViews() {
    if (isFirstResponder()) Keyboard::shared().update(ref<Responder>(), false);
}

} // namespace ui
