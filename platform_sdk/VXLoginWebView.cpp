#include "platform_sdk/VXLoginWebView.h"

#include "foundation/URLEncode.h"
#include "os/foundation/Log.h"
#include "os/uikit/Application.h"
#include "widgets/UIView+Extension.h"

VXLoginWebViewRef VXLoginWebView::fromXib() {
    registerInterfaceFile();
    return Extension::ViewFromXib<VXLoginWebView>();
}

void VXLoginWebView::setName(std::optional<std::string> name) {
    name_ = std::move(name);
    if (auto label = titleL.lock()) label->setText(name_);
}

void VXLoginWebView::setUrl(std::optional<std::string> url) {
    url_ = std::move(url);
    auto web = webView.lock();
    auto address = ns::URL::fromString(url_.value_or(""));
    if (web && address) web->loadRequest(ns::URLRequest::requestWithURL(address));
}

void VXLoginWebView::setIsShowMore(bool show) {
    isShowMore_ = show;
    if (auto more = moreBtn.lock()) more->setHidden(!show);
}

void VXLoginWebView::awakeFromNib() {
    ui::View::awakeFromNib();
    if (auto web = webView.lock()) web->setOpaque(false);
}

void VXLoginWebView::goBack() { removeFromSuperview(); }

void VXLoginWebView::doMoreBtnClick() {
    if (!URLEncode::isURL(url_)) return;
    if (auto address = ns::URL::fromString(*url_)) ui::Application::shared().openURL(address);
}

void VXLoginWebView::didStartLoad(const ui::WebViewRef&) { ns::log("开始加载"); }

void VXLoginWebView::didFailLoad(const ui::WebViewRef&, const ns::Ref<ns::Error>&) { ns::log("加载失败"); }
