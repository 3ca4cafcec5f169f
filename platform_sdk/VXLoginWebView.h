#pragma once
// A platform page inside the login window: a title bar with back and "open in browser" buttons
// over a web view. Setting the address loads it at once, so the title goes first.

#include "os/uikit/Button.h"
#include "os/uikit/Label.h"
#include "os/uikit/WebView.h"

#include <optional>
#include <string>

class VXLoginWebView;
using VXLoginWebViewRef = ns::Ref<VXLoginWebView>;

class VXLoginWebView : public ui::View, public ui::WebViewDelegate {
public:
    static VXLoginWebViewRef fromXib();
    static void registerInterfaceFile();

    ns::Weak<ui::WebView> webView;
    ns::Weak<ui::Button> moreBtn;
    ns::Weak<ui::Label> titleL;

    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> name);
    const std::optional<std::string>& url() const { return url_; }
    // Stores and loads the address (an address that does not parse loads nothing).
    void setUrl(std::optional<std::string> url);
    bool isShowMore() const { return isShowMore_; }
    // The browser button shows exactly when the flag is set.
    void setIsShowMore(bool show);

    void awakeFromNib() override;
    void goBack();
    void doMoreBtnClick();

    void didStartLoad(const ui::WebViewRef& webView) override;
    void didFailLoad(const ui::WebViewRef& webView, const ns::Ref<ns::Error>& error) override;

private:
    std::optional<std::string> name_, url_;
    bool isShowMore_ = false;
};
