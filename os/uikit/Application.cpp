#include "os/uikit/Application.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Bundle.h"
#include "os/foundation/NotificationCenter.h"
#include "os/foundation/ResetRegistry.h"
#include "os/foundation/Strings.h"
#include "os/uikit/Keyboard.h"
#include "os/uikit/Transition.h"
#include "os/uikit/Window.h"

#include <algorithm>

namespace ui {
namespace {

const std::set<std::string>& defaultSchemes() {
    static const std::set<std::string> schemes{"http", "https"};
    return schemes;
}

void post(const std::string& name) { ns::NotificationCenter::defaultCenter().post(name); }

} // namespace

Application& Application::shared() {
    static Application* app = [] {
        auto* a = new Application;
        ns::ResetRegistry::add("ui.Application", [] { Application::shared().reset(); });
        return a;
    }();
    return *app;
}

Application::Application() : schemes_(defaultSchemes()) {}

void Application::reset() {
    // Taken out first: releasing windows runs destructors that may look at the application.
    auto windows = std::move(windows_);
    windows_.clear();
    key_.reset();
    auto delegate = std::move(delegate_);
    delegate_.reset();
    state_ = ApplicationState::Active;
    schemes_ = defaultSchemes();
    opened_.clear();
    tasks_.clear();
    networkActivity_ = false;
    Responder::resetFirstResponder();
    Keyboard::shared().reset();
    PendingTransition::invalidateAll();
    windows.clear();
    delegate.reset();
}

// --- Windows ---

std::vector<ns::Ref<Window>> Application::windows() const {
    std::vector<std::pair<const WindowEntry*, ns::Ref<Window>>> live;
    for (const auto& e : windows_)
        if (auto w = e.weak.lock()) live.emplace_back(&e, w);
    std::stable_sort(live.begin(), live.end(), [](const auto& a, const auto& b) {
        if (a.second->windowLevel() != b.second->windowLevel()) return a.second->windowLevel() < b.second->windowLevel();
        return a.first->order < b.first->order;
    });
    std::vector<ns::Ref<Window>> out;
    for (auto& [entry, w] : live) out.push_back(w);
    return out;
}

ns::Ref<Window> Application::keyWindow() const { return key_.lock(); }

void Application::addWindow(const ns::Ref<Window>& window) {
    windows_.erase(std::remove_if(windows_.begin(), windows_.end(), [](const WindowEntry& e) { return e.weak.expired(); }),
                   windows_.end());
    windows_.push_back({window, nullptr, nextOrder_++});
}

void Application::windowVisibilityChanged(const ns::Ref<Window>& window) {
    for (auto& e : windows_) {
        if (e.weak.lock() != window) continue;
        if (window->isHidden()) {
            e.strong.reset();
        } else {
            e.strong = window;
            e.order = nextOrder_++;
        }
    }
    if (window->isHidden()) passKeyFrom(window);
}

void Application::passKeyFrom(const ns::Ref<Window>& window) {
    if (!window || key_.lock() != window) return;
    auto all = windows();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (*it != window && !(*it)->isHidden()) {
            setKeyWindow(*it);
            return;
        }
    }
    key_.reset();
    window->resignKeyWindow();
    ns::NotificationCenter::defaultCenter().post(WindowDidResignKeyNotification, window);
}

void Application::setKeyWindow(const ns::Ref<Window>& window) {
    auto old = key_.lock();
    if (old == window) return;
    key_ = window;
    if (old) {
        old->resignKeyWindow();
        ns::NotificationCenter::defaultCenter().post(WindowDidResignKeyNotification, old);
    }
    if (window) {
        window->becomeKeyWindow();
        ns::NotificationCenter::defaultCenter().post(WindowDidBecomeKeyNotification, window);
    }
}

// --- State ---

void Application::changeState(ApplicationState to) {
    auto d = delegate_;
    switch (to) {
    case ApplicationState::Active:
        if (state_ == ApplicationState::Active) return;
        if (state_ == ApplicationState::Background) {
            state_ = ApplicationState::Inactive;
            if (d) d->willEnterForeground();
            post(ApplicationWillEnterForegroundNotification);
        }
        state_ = ApplicationState::Active;
        if (d) d->didBecomeActive();
        post(ApplicationDidBecomeActiveNotification);
        break;
    case ApplicationState::Inactive:
        if (state_ != ApplicationState::Active) return;
        state_ = ApplicationState::Inactive;
        if (d) d->willResignActive();
        post(ApplicationWillResignActiveNotification);
        break;
    case ApplicationState::Background:
        if (state_ == ApplicationState::Background) return;
        changeState(ApplicationState::Inactive);
        state_ = ApplicationState::Background;
        if (d) d->didEnterBackground();
        post(ApplicationDidEnterBackgroundNotification);
        break;
    }
}

void Application::becomeActive() { changeState(ApplicationState::Active); }
void Application::resignActive() { changeState(ApplicationState::Inactive); }
void Application::enterBackground() { changeState(ApplicationState::Background); }

void Application::receiveMemoryWarning() {
    if (auto d = delegate_) d->didReceiveMemoryWarning();
    post(ApplicationDidReceiveMemoryWarningNotification);
}

// --- Other apps ---

bool Application::canOpenURL(const ns::Ref<ns::URL>& url) const {
    if (!url || !url->scheme()) return false;
    return schemes_.count(ns::str::lowercase(*url->scheme())) > 0;
}

bool Application::openURL(const ns::Ref<ns::URL>& url) {
    if (!canOpenURL(url)) return false;
    opened_.push_back(url);
    return true;
}

void Application::openURL(const ns::Ref<ns::URL>& url, const ns::Dictionary&, std::function<void(bool)> completion) {
    bool ok = openURL(url);
    if (completion) dispatch::async(dispatch::Queue::main(), [completion, ok] { completion(ok); });
}

void Application::setInstalledSchemes(std::set<std::string> schemes) {
    schemes_.clear();
    for (const auto& s : schemes) schemes_.insert(ns::str::lowercase(s));
}

bool Application::deliverOpenURL(const ns::Ref<ns::URL>& url, const std::optional<std::string>& sourceApplication,
                                 const ns::Value& annotation) {
    auto d = delegate_;
    if (!d || !url) return false;
    ns::Dictionary options;
    if (sourceApplication) options.set(ApplicationOpenURLOptionsSourceApplicationKey, *sourceApplication);
    if (!annotation.isNil()) options.set(ApplicationOpenURLOptionsAnnotationKey, annotation);
    if (auto r = d->openURL(url, options)) return *r;
    if (auto r = d->openURL(url, sourceApplication, annotation)) return *r;
    if (auto r = d->handleOpenURL(url)) return *r;
    return false;
}

unsigned Application::supportedInterfaceOrientationsForWindow(const ns::Ref<Window>& window) const {
    if (auto d = delegate_)
        if (auto mask = d->supportedInterfaceOrientations(window)) return *mask;
    unsigned mask = 0;
    if (auto bundle = ns::Bundle::main()) {
        ns::Value list = bundle->objectForInfoDictionaryKey("UISupportedInterfaceOrientations");
        for (size_t i = 0; i < list.count(); ++i) {
            auto name = list[i].string().value_or("");
            if (name == "UIInterfaceOrientationPortrait") mask |= InterfaceOrientationMaskPortrait;
            else if (name == "UIInterfaceOrientationPortraitUpsideDown") mask |= InterfaceOrientationMaskPortraitUpsideDown;
            else if (name == "UIInterfaceOrientationLandscapeLeft") mask |= InterfaceOrientationMaskLandscapeLeft;
            else if (name == "UIInterfaceOrientationLandscapeRight") mask |= InterfaceOrientationMaskLandscapeRight;
        }
    }
    return mask ? mask : InterfaceOrientationMaskAllButUpsideDown;
}

// --- Background tasks ---

BackgroundTaskIdentifier Application::beginBackgroundTask(std::function<void()> expirationHandler) {
    BackgroundTaskIdentifier id = nextTask_++;
    tasks_.push_back({id, std::move(expirationHandler)});
    return id;
}

void Application::endBackgroundTask(BackgroundTaskIdentifier identifier) {
    tasks_.erase(std::remove_if(tasks_.begin(), tasks_.end(), [&](const Task& t) { return t.id == identifier; }),
                 tasks_.end());
}

void Application::expireBackgroundTasks() {
    auto running = tasks_;
    for (const auto& t : running)
        if (t.expiration) t.expiration();
}

} // namespace ui
