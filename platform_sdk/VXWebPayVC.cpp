#include "platform_sdk/VXWebPayVC.h"

#include "os/foundation/Log.h"
#include "os/foundation/NotificationCenter.h"
#include "os/uikit/Application.h"
#include "os/uikit/Color.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/VXEndpoints.h"

#include <cctype>
#include <cstring>

const ui::WebViewRef& VXWebPayVC::webView() {
    if (!webView_) {
        webView_ = ui::View::create<ui::WebView>(view()->bounds());
        webView_->setBackgroundColor(ui::Color::whiteColor());
        webView_->setDelegate(ns::Weak<ui::WebViewDelegate>(ref<VXWebPayVC>()));
    }
    return webView_;
}

const ui::ActivityIndicatorViewRef& VXWebPayVC::avi() {
    if (!avi_) {
        cg::Rect screen = ui::Screen::mainScreen().bounds();
        avi_ = ui::View::create<ui::ActivityIndicatorView>(
            cg::RectMake(screen.size.width / 2 - 50, screen.size.height / 2 - 80, 100, 100));
        avi_->setColor(ui::Color::redColor());
    }
    return avi_;
}

void VXWebPayVC::viewDidLoad() {
    VXBaseVC::viewDidLoad();
    observeActivation(true);
    view()->setBackgroundColor(ui::Color::whiteColor());
    view()->addSubview(webView());
    view()->addSubview(avi());
    avi()->startAnimating();
    ns::Ref<ns::URLRequest> request;
    if (isGFWXH5) {
        auto address = ns::URL::fromString(escapedURLString(url.value_or("")));
        request = ns::URLRequest::requestWithURL(address, ns::URLRequestCachePolicy::UseProtocolCachePolicy, 60);
        request->setHTTPMethod("GET");
        request->setValue(VXEndpoints::referer(), "Referer");
    } else {
        // Loaded exactly as the server gave it; an address that does not parse loads nothing.
        request = ns::URLRequest::requestWithURL(ns::URL::fromString(url.value_or("")));
    }
    webView()->loadRequest(request);
}

void VXWebPayVC::observeActivation(bool on) {
    auto& center = ns::NotificationCenter::defaultCenter();
    if (on && !observing_) {
        // Held weakly: a popped page must not live on to answer later activations.
        center.addObserver(ref<VXWebPayVC>(), [weak = ns::Weak<VXWebPayVC>(ref<VXWebPayVC>())](const ns::Notification&) {
            if (auto page = weak.lock()) page->cancelBtnClick();
        }, ui::ApplicationDidBecomeActiveNotification);
        observing_ = true;
    } else if (!on && observing_) {
        center.removeObserver(this, ui::ApplicationDidBecomeActiveNotification);
        observing_ = false;
    }
}

void VXWebPayVC::didMoveToParentViewController(const ui::ViewControllerRef& parent) {
    VXBaseVC::didMoveToParentViewController(parent);
    if (!parent) observeActivation(false);
}

void VXWebPayVC::cancelBtnClick() {
    if (webViewCallBack) webViewCallBack(ref<VXWebPayVC>());
}

void VXWebPayVC::popAction() { cancelBtnClick(); }

void VXWebPayVC::didStartLoad(const ui::WebViewRef&) { ns::log("开始加载"); }

void VXWebPayVC::didFinishLoad(const ui::WebViewRef&) {
    if (avi_) avi_->stopAnimating();
}

void VXWebPayVC::didFailLoad(const ui::WebViewRef&, const ns::Ref<ns::Error>&) { ns::log("加载失败"); }

VXWebPayVC::~VXWebPayVC() {
    ns::log("web销毁了");
    if (observing_) ns::NotificationCenter::defaultCenter().removeObserver(this);
}

std::string VXWebPayVC::escapedURLString(const std::string& text) {
    static const char* kept = "-._~:/?#[]@!$&'()*+,;=";
    auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '%') {
            bool escape = i + 2 < text.size() && hex(text[i + 1]) && hex(text[i + 2]);
            out += escape ? "%" : "%25";
        } else if (std::isalnum(c) && c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x80 && c != 0 && std::strchr(kept, c)) {
            out += static_cast<char>(c);
        } else {
            static const char* digits = "0123456789ABCDEF";
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}
