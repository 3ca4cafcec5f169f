#include "platform_sdk/CXRHelperBtn.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Clock.h"
#include "os/foundation/Log.h"
#include "os/foundation/ResetRegistry.h"
#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Label.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/CXRWindowManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXGameOverView.h"
#include "platform_sdk/VXLoginAPI.h"
#include "platform_sdk/VXRefusals.h"
#include "widgets/UIImage+VXColor.h"

#include <cmath>
#include <mutex>

namespace {

constexpr double Edge = 60;        // the drop zone along each edge, and the inset of a pull-in
constexpr double DragStart = 30;   // how far from the centre a move must go to start a drag
constexpr double Speed = 600;      // points per second of a move
constexpr double SnapDuration = 0.1;
constexpr double ReportInterval = 120;
constexpr double DockedAlpha = 0.5;
constexpr double DraggedAlpha = 0.51;

std::mutex& slotMutex() {
    static std::mutex m;
    return m;
}

CXRHelperBtnRef& slot() {
    static CXRHelperBtnRef shared;
    return shared;
}

float distance(cg::Point a, cg::Point b) { return static_cast<float>(std::hypot(a.x - b.x, a.y - b.y)); }

} // namespace

CXRHelperBtn::UserCentreOpener& CXRHelperBtn::userCentreOpener() {
    static UserCentreOpener opener;
    return opener;
}

CXRHelperBtnRef CXRHelperBtn::shared() {
    std::lock_guard lock(slotMutex());
    static const bool registered = [] {
        ns::ResetRegistry::add("CXRHelperBtn", [] {
            CXRHelperBtnRef old;
            {
                std::lock_guard inner(slotMutex());
                old.swap(slot());
            }
            if (!old) return;
            old->stopTimer();
            old->removeFromSuperview();
        });
        return true;
    }();
    (void)registered;
    if (!slot()) {
        slot() = ui::View::create<CXRHelperBtn>();
        slot()->setUp();
    }
    return slot();
}

void CXRHelperBtn::show() { shared()->setHidden(false); }

void CXRHelperBtn::hide() { shared()->setHidden(true); }

void CXRHelperBtn::setUp() {
    auto window = CXRWindowManager::topWindow();
    cg::Rect bounds = window ? window->bounds() : cg::RectZero;
    keyWindowWidth_ = bounds.size.width;
    keyWindowHeight_ = bounds.size.height;
    // Half of the button lies outside the right edge.
    setFrame(cg::RectMake(keyWindowWidth_ - 30, 30, 60, 90));
    imageView()->setContentMode(ui::ContentMode::ScaleAspectFit);
    showLook("vx_suIcon_right.png", {0, 0, 0, 30}, DockedAlpha);
    if (window) window->addSubview(ref<CXRHelperBtn>());
    setStatus(0);
    auto self = ref<CXRHelperBtn>();
    addTarget(self, &CXRHelperBtn::endDo, ui::ControlEventTouchUpInside);
    addTarget(self, &CXRHelperBtn::endDrag, ui::ControlEventTouchUpOutside | ui::ControlEventTouchCancel);
    recordScreenStatus();
}

void CXRHelperBtn::showLook(const char* image, ui::EdgeInsets insets, double alpha) {
    setImage(VXColor::sdkImageNamed(image), ui::ControlStateNormal);
    setImageEdgeInsets(insets);
    setAlpha(alpha);
}

void CXRHelperBtn::setStatus(int status) {
    status_ = status;
    moveWhenTouchToChangesStatus();
}

// --- Online time ---

void CXRHelperBtn::startTimer() {
    ns::log("开启定时器");
    requestTimer();
}

void CXRHelperBtn::stopTimer() {
    if (timer_) timer_.cancel();
    timer_ = {};
}

void CXRHelperBtn::requestTimer() {
    // Two sources would report the same player twice per interval.
    stopTimer();
    auto source = dispatch::TimerSource::create(dispatch::Queue::global());
    timer_ = source;
    source.setTimer(dispatch::TimerSource::Start::wall(ns::Clock::wallNow()), ReportInterval, 0);
    auto ticks = std::make_shared<int>(0); // touched on the main queue only
    ns::Weak<CXRHelperBtn> weak = ref<CXRHelperBtn>();
    source.setEventHandler([source, ticks, weak] {
        dispatch::async(dispatch::Queue::main(), [source, ticks, weak] {
            // A tick that was on its way when the timer stopped reports nothing.
            if (source.isCancelled()) return;
            // The first tick comes at once: the first report goes out one interval later.
            if (*ticks >= 1) {
                VXLoginAPI::doUploadUserOlineTimeBlock([source, weak](const ns::Value&) {
                    if (source.isCancelled()) return;
                    source.cancel();
                    // The button holds no other cancelled source: a newer start replaces a cancelled one.
                    if (auto self = weak.lock(); self && self->timer_.isCancelled()) self->timer_ = {};
                    auto over = ui::View::create<VXGameOverView>(ui::Screen::mainScreen().bounds());
                    if (auto window = CXRWindowManager::topWindow()) window->addSubview(over);
                });
            }
            ++*ticks;
        });
    });
    source.resume();
}

// --- Touches ---

void CXRHelperBtn::touchesMoved(const ui::TouchSet& touches, const ui::EventRef& event) {
    ui::Button::touchesMoved(touches, event);
    auto parent = superview();
    for (const auto& touch : touches) {
        cg::Point location = touch->locationInView(parent);
        if (touchCount_ == 0) {
            // The first move only arms the drag.
            touchCount_ = 1;
            return;
        }
        if (touchCount_ == 1) {
            if (distance(center(), location) < DragStart) return;
            touchCount_ = 2;
        }
        if (touch->view().get() != this) continue;
        if (alpha() == DockedAlpha) showLook("vx_suIcon_center.png", {0, 0, 0, 0}, DraggedAlpha);
        isMoving_ = true;
        btnAnimations_ = None;
        starMoveToCenter(location);
    }
}

void CXRHelperBtn::endDo() {
    touchCount_ = 0;
    recordScreenStatus();
    if (!isMoving_) {
        doShowHelperVC();
        return;
    }
    isMoving_ = false;
    btnAnimations_ = checkingDirection();
    startAnimation(btnAnimations_);
}

void CXRHelperBtn::endDrag() {
    touchCount_ = 0;
    if (!isMoving_) return;
    isMoving_ = false;
    btnAnimations_ = checkingDirection();
    startAnimation(btnAnimations_);
}

void CXRHelperBtn::doShowHelperVC() {
    auto& open = userCentreOpener();
    ns::Weak<CXRHelperBtn> weak = ref<CXRHelperBtn>();
    setHidden(true);
    bool shown = open && open([weak] {
        auto self = weak.lock();
        if (!self) return;
        ShareVale::sharedInstance()->setIsLoggedIn(false);
        if (self->failed_) self->failed_(ns::Value("注销"), ns::Value("-9"));
        self->stopTimer();
    });
    if (shown) return;
    // The button stays, and the game hears why nothing opened.
    ns::log("CXRHelperBtn: the user centre cannot be shown");
    setHidden(false);
    if (failed_) failed_(ns::Value(VXRefusal::NoUserCentre.message), ns::Value(VXRefusal::NoUserCentre.codeText));
}

// --- Snapping ---

int CXRHelperBtn::checkingDirection() const {
    cg::Point c = center();
    float right = static_cast<float>(keyWindowWidth_ - c.x);
    float bottom = static_cast<float>(keyWindowHeight_ - c.y);
    if (right <= Edge) {
        if (bottom < right) return Bottom;
        return c.y < right ? Top : Right;
    }
    if (c.x <= Edge) {
        if (c.y < c.x) return Top;
        return c.x > bottom ? Bottom : Left;
    }
    if (bottom < Edge) return Bottom;
    return c.y < Edge ? Top : None;
}

void CXRHelperBtn::startAnimation(int direction) {
    if (direction == None) {
        setStatus(1);
        return;
    }
    setStatus(0);
    ui::View::beginAnimations();
    ui::View::setAnimationDuration(SnapDuration);
    cg::Point c = center();
    switch (direction) {
    case Left: {
        auto key = ui::Application::shared().keyWindow();
        bool homeIndicator = ui::DeviceProfile::systemVersionAtLeast(11) && key && key->safeAreaInsets().bottom > 0;
        if (homeIndicator && screenFlag_ == 0) {
            // Beside the home indicator in landscape the button stays fully visible.
            setCenter({Edge, c.y});
            setStatus(1);
        } else {
            setCenter({0, c.y});
            showLook("vx_suIcon_left.png", {0, 30, 0, 0}, DockedAlpha);
        }
        break;
    }
    case Top:
        if (screenFlag_ == 1) {
            angle_ = 0;
            setCenter({c.x, Edge});
            btnAnimations_ = None;
            setStatus(1);
        } else {
            setCenter({c.x, 0});
        }
        break;
    case Right:
        setCenter({keyWindowWidth_, c.y});
        showLook("vx_suIcon_right.png", {0, 0, 0, 30}, DockedAlpha);
        break;
    case Bottom:
        setCenter({c.x, keyWindowHeight_});
        break;
    default:
        break;
    }
    ui::View::commitAnimations();
}

void CXRHelperBtn::recordScreenStatus() {
    screenFlag_ = keyWindowHeight_ > keyWindowWidth_ ? 1 : 0;
    moveWhenTouchToChangesStatus();
}

void CXRHelperBtn::moveWhenTouchToChangesStatus() {
    if (status_ != 1) return;
    cg::Point c = center();
    if (c.x == 0) setCenter({Edge, c.y});
    else if (c.x == keyWindowWidth_) setCenter({keyWindowWidth_ - Edge, c.y});
    else if (c.y == keyWindowHeight_) setCenter({c.x, keyWindowHeight_ - Edge});
    else if (c.y == 0) setCenter({c.x, Edge});
}

void CXRHelperBtn::starMoveToCenter(cg::Point point) {
    ui::View::beginAnimations();
    ui::View::setAnimationDuration(distance(center(), point) / Speed);
    setCenter(point);
    ui::View::commitAnimations();
}
