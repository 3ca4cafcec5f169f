#include "platform_sdk/VXSuWebVC.h"

#include "foundation/URLEncode.h"
#include "os/foundation/Log.h"
#include "os/uikit/Application.h"
#include "os/uikit/NavigationController.h"
#include "os/uikit/Storyboard.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "widgets/UIImage+VXColor.h"

VXSuWebVCRef VXSuWebVC::instantiate() {
    registerInterfaceFile();
    auto board = ui::Storyboard::storyboardWithName("VXSuTabBarVC", URLEncode::getSdkBundle());
    return std::dynamic_pointer_cast<VXSuWebVC>(board->instantiateViewControllerWithIdentifier("VXSuWebVC"));
}

const ui::ButtonRef& VXSuWebVC::backBtn() {
    if (!backBtn_) {
        backBtn_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
        backBtn_->setFrame(cg::RectMake(0, 0, 25, 25));
        backBtn_->setImage(VXColor::sdkImageNamed("VX_nav_back.png"), ui::ControlStateNormal);
        backBtn_->addTarget(ref<VXSuWebVC>(), &VXSuWebVC::goBack, ui::ControlEventTouchUpInside);
    }
    return backBtn_;
}

const ui::ButtonRef& VXSuWebVC::moreBtn() {
    if (!moreBtn_) {
        moreBtn_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
        moreBtn_->setFrame(cg::RectMake(0, 0, 25, 25));
        moreBtn_->setImage(VXColor::sdkImageNamed("vx_tab_webMore.png"), ui::ControlStateNormal);
        moreBtn_->addTarget(ref<VXSuWebVC>(), &VXSuWebVC::goToSafari, ui::ControlEventTouchUpInside);
    }
    return moreBtn_;
}

void VXSuWebVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    _initUI();
}

void VXSuWebVC::_initUI() {
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::withCustomView(backBtn()));
    navigationItem()->setTitle(name_);
    if (auto web = webView.lock()) {
        // An address that does not parse makes a request without a URL, which loads nothing.
        auto address = ns::URL::fromString(url_.value_or(""));
        if (address) web->loadRequest(ns::URLRequest::requestWithURL(address));
    }
    if (isShowMore_) navigationItem()->setRightBarButtonItem(ui::BarButtonItem::withCustomView(moreBtn()));
}

void VXSuWebVC::goBack() {
    auto web = webView.lock();
    if (web && web->canGoBack()) {
        web->goBack();
        return;
    }
    auto nav = navigationController();
    if (!nav) return;
    if (isShowSuperVc_) {
        nav->popViewControllerAnimated(true);
        return;
    }
    nav->dismissViewControllerAnimated(true, [] {
        if (!ShareVale::sharedInstance()->isHideSuspend()) CXRHelperBtn::show();
    });
}

void VXSuWebVC::goToSafari() {
    if (auto address = ns::URL::fromString(url_.value_or(""))) ui::Application::shared().openURL(address);
}

bool VXSuWebVC::shouldStartLoad(const ui::WebViewRef&, const ns::Ref<ns::URLRequest>& request,
                                ui::WebViewNavigationType) {
    std::string address = request && request->url() ? request->url()->absoluteString() : std::string();
    ns::log("url str = %@", address);
    if (address.find("vorlix://rw") == std::string::npos) return true;
    std::string box = ShareVale::sharedInstance()->iosWapBoxUrl().stringValue().value_or("");
    if (auto target = ns::URL::fromString(box); target && !box.empty()) ui::Application::shared().openURL(target);
    return false;
}

void VXSuWebVC::didStartLoad(const ui::WebViewRef&) { ns::log("开始加载"); }

void VXSuWebVC::didFailLoad(const ui::WebViewRef&, const ns::Ref<ns::Error>&) { ns::log("加载失败"); }
