#include "os/uikit/Window.h"

#include "os/foundation/Clock.h"
#include "os/foundation/NotificationCenter.h"
#include "os/uikit/Application.h"
#include "os/uikit/Control.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/GestureRecognizer.h"
#include "os/uikit/Screen.h"
#include "os/uikit/ViewController.h"

#include <algorithm>

namespace ui {

Window::~Window() = default;

void Window::initWithFrame(cg::Rect frame) {
    View::initWithFrame(frame);
    View::setHidden(true);
    Application::shared().addWindow(ref<Window>());
}

void Window::setRootViewController(const ns::Ref<ViewController>& controller) {
    if (controller == root_) return;
    auto old = root_;
    WindowRef self = ref<Window>();
    if (old && old->isViewLoaded() && old->view()->superview().get() == this) old->view()->removeFromSuperview();
    root_ = controller;
    if (!controller) return;
    auto view = controller->view();
    view->setFrame(bounds());
    insertSubview(view, 0);
}

void Window::setHidden(bool hidden) {
    if (hidden == isHidden()) return;
    WindowRef self = ref<Window>();
    auto group = ViewController::settledIn(*this, hidden);
    ViewController::sendWill(group, !hidden, false);
    if (hidden) {
        auto first = std::dynamic_pointer_cast<View>(Responder::currentFirstResponder());
        if (first && first->isDescendantOfView(this)) first->forceResignFirstResponder();
    }
    View::setHidden(hidden);
    Application::shared().windowVisibilityChanged(self);
    if (!hidden) layoutIfNeeded();
    ViewController::sendDid(group, !hidden, false);
    ns::NotificationCenter::defaultCenter().post(hidden ? WindowDidBecomeHiddenNotification
                                                        : WindowDidBecomeVisibleNotification, self);
}

void Window::makeKeyAndVisible() {
    setHidden(false);
    makeKeyWindow();
}

void Window::makeKeyWindow() { Application::shared().setKeyWindow(ref<Window>()); }

void Window::resignKey() { Application::shared().passKeyFrom(ref<Window>()); }

bool Window::isKeyWindow() const { return Application::shared().keyWindow().get() == this; }

EdgeInsets Window::safeAreaInsets() const {
    EdgeInsets screen = DeviceProfile::safeAreaInsets();
    cg::Rect s = Screen::mainScreen().bounds();
    cg::Rect f = frame();
    auto clampPositive = [](double v) { return v > 0 ? v : 0; };
    return EdgeInsets{
        clampPositive(screen.top - (f.origin.y - s.origin.y)),
        clampPositive(screen.left - (f.origin.x - s.origin.x)),
        clampPositive((f.origin.y + f.size.height) - (s.origin.y + s.size.height - screen.bottom)),
        clampPositive((f.origin.x + f.size.width) - (s.origin.x + s.size.width - screen.right)),
    };
}

// --- Touch delivery ---

TouchRef Window::beginTouch(cg::Point point, int tapCount) {
    auto event = ns::make<Event>();
    event->timestamp_ = ns::Clock::now();
    auto hit = hitTest(point, event);
    if (!hit) return nullptr;
    auto touch = ns::make<Touch>();
    touch->view_ = hit;
    touch->window_ = ref<Window>();
    touch->location_ = touch->previousLocation_ = point;
    touch->tapCount_ = tapCount;
    touch->timestamp_ = event->timestamp_;
    touch->event_ = event;
    event->touches_ = {touch};

    // Recognisers of the hit view and its ancestors. A control keeps single taps to itself:
    // tap recognisers above an enabled control do not see its touches.
    bool onControl = std::dynamic_pointer_cast<Control>(hit) != nullptr;
    for (auto v = hit; v; v = v->superview()) {
        for (const auto& r : v->gestureRecognizers()) {
            if (!r->isEnabled()) continue;
            if (onControl && v != hit && std::dynamic_pointer_cast<TapGestureRecognizer>(r)) continue;
            if (!r->shouldReceiveTouch(touch)) continue;
            touch->recognizers_.push_back(r);
        }
    }
    deliver(touch, Touch::Phase::Began);
    return touch;
}

void Window::moveTouch(const TouchRef& touch, cg::Point point) {
    if (!touch || touch->phase_ == Touch::Phase::Ended || touch->phase_ == Touch::Phase::Cancelled) return;
    touch->previousLocation_ = touch->location_;
    touch->location_ = point;
    touch->timestamp_ = ns::Clock::now();
    deliver(touch, Touch::Phase::Moved);
}

void Window::endTouch(const TouchRef& touch, cg::Point point) {
    if (!touch || touch->phase_ == Touch::Phase::Ended || touch->phase_ == Touch::Phase::Cancelled) return;
    touch->previousLocation_ = touch->location_;
    touch->location_ = point;
    touch->timestamp_ = ns::Clock::now();
    deliver(touch, Touch::Phase::Ended);
}

void Window::cancelTouch(const TouchRef& touch) {
    if (!touch || touch->phase_ == Touch::Phase::Ended || touch->phase_ == Touch::Phase::Cancelled) return;
    deliver(touch, Touch::Phase::Cancelled);
}

void Window::deliver(const TouchRef& touch, Touch::Phase phase) {
    WindowRef self = ref<Window>();
    touch->phase_ = phase;
    TouchSet set{touch};
    const EventRef& event = touch->event_;

    auto recognizers = touch->recognizers_;
    for (const auto& r : recognizers) {
        if (r->isFinished()) continue;
        r->handleTouches(phase, set, event);
        if (r->hasRecognized()) {
            // The first recogniser to recognise wins the touch.
            for (const auto& other : recognizers)
                if (other != r && !other->isFinished()) other->fail();
            if (r->cancelsTouchesInView() && !touch->viewCancelled_) {
                touch->viewCancelled_ = true;
                if (touch->viewBegan_) touch->view_->touchesCancelled(set, event);
            }
        }
    }

    if (!touch->viewCancelled_) {
        auto view = touch->view_;
        switch (phase) {
        case Touch::Phase::Began:
            touch->viewBegan_ = true;
            view->touchesBegan(set, event);
            break;
        case Touch::Phase::Moved:
        case Touch::Phase::Stationary: view->touchesMoved(set, event); break;
        case Touch::Phase::Ended: view->touchesEnded(set, event); break;
        case Touch::Phase::Cancelled: view->touchesCancelled(set, event); break;
        }
    }
    if (phase == Touch::Phase::Ended || phase == Touch::Phase::Cancelled)
        for (const auto& r : recognizers) r->touchSequenceEnded();
}

} // namespace ui
