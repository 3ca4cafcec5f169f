#pragma once
// The H5 pay page of an order. It tells its opener, through webViewCallBack, whenever the player
// comes back to the app or taps back; it never pops itself. Its did-become-active observer lives
// only while the page is on a navigation stack and alive.

#include "os/uikit/ActivityIndicatorView.h"
#include "os/uikit/WebView.h"
#include "platform_sdk/VXBaseVC.h"

#include <functional>

class VXWebPayVC;
using VXWebPayVCRef = ns::Ref<VXWebPayVC>;

class VXWebPayVC : public VXBaseVC, public ui::WebViewDelegate {
public:
    using CallBack = std::function<void(const VXWebPayVCRef& page)>;

    std::optional<std::string> url;
    // An official WeChat H5 page: loaded by GET, escaped, with the Referer.
    bool isGFWXH5 = false;
    CallBack webViewCallBack;

    // Made on first use: the screen view's bounds, white, delegate the page.
    const ui::WebViewRef& webView();
    // Made on first use: a red indicator in the middle of the screen.
    const ui::ActivityIndicatorViewRef& avi();

    void viewDidLoad() override;
    void didMoveToParentViewController(const ui::ViewControllerRef& parent) override;
    // The app became active again: the opener hears of it.
    void cancelBtnClick();
    // The back button: only tells the opener.
    void popAction() override;
    bool shouldAutorotate() const override { return false; }
    ui::InterfaceOrientation preferredInterfaceOrientationForPresentation() const override {
        return ui::InterfaceOrientation::Portrait;
    }

    bool shouldStartLoad(const ui::WebViewRef&, const ns::Ref<ns::URLRequest>&, ui::WebViewNavigationType) override {
        return true;
    }
    void didStartLoad(const ui::WebViewRef& webView) override;
    void didFinishLoad(const ui::WebViewRef& webView) override;
    void didFailLoad(const ui::WebViewRef& webView, const ns::Ref<ns::Error>& error) override;

    // Percent-escapes every UTF-8 byte outside RFC 3986's unreserved and reserved characters and
    // keeps existing "%XX" escapes; a "%" without two hex digits becomes "%25".
    static std::string escapedURLString(const std::string& text);

    ~VXWebPayVC() override;

private:
    void observeActivation(bool on);
    ui::WebViewRef webView_;
    ui::ActivityIndicatorViewRef avi_;
    bool observing_ = false;
};
