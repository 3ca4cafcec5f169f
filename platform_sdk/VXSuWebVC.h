#pragma once
// The platform's web page: a full-size web view under the navigation bar, a back button that walks
// the page history first, an optional button that opens the address in the system browser, and
// the one link ("vorlix://rw") that hands over to the box-app page instead of loading.
// It is the scene "VXSuWebVC" of the storyboard "VXSuTabBarVC" in the SDK bundle.

#include "os/uikit/Button.h"
#include "os/uikit/ViewController.h"
#include "os/uikit/WebView.h"

#include <optional>
#include <string>

class VXSuWebVC;
using VXSuWebVCRef = ns::Ref<VXSuWebVC>;

class VXSuWebVC : public ui::ViewController, public ui::WebViewDelegate {
public:
    // A new page from its storyboard scene (the view loads when first needed).
    static VXSuWebVCRef instantiate();
    // Registers the scene with the storyboard registry; safe to call again.
    static void registerInterfaceFile();

    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> name) { name_ = std::move(name); }
    const std::optional<std::string>& url() const { return url_; }
    void setUrl(std::optional<std::string> url) { url_ = std::move(url); }
    // YES when the page was pushed onto a stack, NO when it is a navigation root.
    bool isShowSuperVc() const { return isShowSuperVc_; }
    void setIsShowSuperVc(bool v) { isShowSuperVc_ = v; }
    bool isShowMore() const { return isShowMore_; }
    void setIsShowMore(bool v) { isShowMore_ = v; }

    ns::Weak<ui::WebView> webView;
    // 25 x 25 buttons, made on first access.
    const ui::ButtonRef& backBtn();
    const ui::ButtonRef& moreBtn();

    void viewDidLoad() override;
    // Back in the page's history, else pop (pushed) or close the user centre (root).
    void goBack();
    void goToSafari();

    bool shouldStartLoad(const ui::WebViewRef& webView, const ns::Ref<ns::URLRequest>& request,
                         ui::WebViewNavigationType navigationType) override;
    void didStartLoad(const ui::WebViewRef& webView) override;
    void didFailLoad(const ui::WebViewRef& webView, const ns::Ref<ns::Error>& error) override;

private:
    void _initUI();

    std::optional<std::string> name_, url_;
    bool isShowSuperVc_ = false;
    bool isShowMore_ = false;
    ui::ButtonRef backBtn_, moreBtn_;
};
