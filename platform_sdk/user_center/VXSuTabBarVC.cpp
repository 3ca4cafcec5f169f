#include "platform_sdk/user_center/VXSuTabBarVC.h"

#include "foundation/URLEncode.h"
#include "os/foundation/Format.h"
#include "os/foundation/Strings.h"
#include "os/uikit/AdvertisingIdentifier.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/CXRWindowManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/VXNavigationController.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXSuStrategyVC.h"
#include "platform_sdk/user_center/VXSuUserVC.h"
#include "platform_sdk/user_center/VXSuWelfareVC.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace {
// The platform's app key for signing web-page addresses.
constexpr const char* kPlatformAppKey = "tondrel@!kit";

// A value as one query component: a name holding "&", "=", "#", a space or non-ASCII text would
// otherwise break the address or add keys to it. Letters, digits and "-._~" stay as they are.
std::string queryValue(const ns::Value& value) {
    static const ns::CharacterSet unreserved = ns::CharacterSet::characters(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~");
    return ns::str::addingPercentEncoding(value.description(), unreserved);
}
} // namespace

void VXSuTabBarVC::installAsUserCentre() {
    CXRHelperBtn::userCentreOpener() = [](std::function<void()> logout) {
        // A screen already presented there (another SDK screen) stays on top: present over it.
        auto presenter = CXRWindowManager::topPresenter(CXRWindowManager::topWindow());
        if (!presenter) return false;
        auto centre = ui::ViewController::create<VXSuTabBarVC>();
        centre->setModalPresentationStyle(ui::ModalPresentationStyle::FullScreen);
        centre->setLogoutBlock(std::move(logout));
        presenter->presentViewController(centre, true);
        return true;
    };
}

void VXSuTabBarVC::viewDidLoad() {
    ui::TabBarController::viewDidLoad();
    tabBar()->setBackgroundImage(VXColor::imageWithColor(ui::Color::whiteColor()));
    tabBar()->setShadowImage(VXColor::imageWithColor(ui::Color::colorWithRed(250 / 255.0, 250 / 255.0, 250 / 255.0, 1)));
    tabBar()->setTintColor(XTExtention::colorWithHexString("#4988FD"));
    view()->setBackgroundColor(ui::Color::whiteColor());
    addChildVcs();
}

void VXSuTabBarVC::addChildVcs() {
    auto mine = VXSuUserVC::instantiate();
    if (mine) mine->logoutBlock = logoutStep();
    addChildViewController(mine, "我的", "vx_tabbar_one0", "vx_tabbar_one1");

    addChildViewController(ui::ViewController::create<VXSuWelfareVC>(), "福利", "vx_tabbar_two0", "vx_tabbar_two1");

    auto task = VXSuWebVC::instantiate();
    task->setName("任务");
    task->setUrl(taskPageURL());
    addChildViewController(task, "任务", "vx_tabbar_three0", "vx_tabbar_three1");

    addChildViewController(ui::ViewController::create<VXSuStrategyVC>(), "攻略", "vx_tabbar_four0", "vx_tabbar_four1");

    auto service = VXSuWebVC::instantiate();
    service->setName("客服");
    service->setUrl(servicePageURL());
    addChildViewController(service, "客服", "vx_tabbar_five0", "vx_tabbar_five1");
}

void VXSuTabBarVC::addChildViewController(const ui::ViewControllerRef& page, const std::string& title,
                                          const std::string& image, const std::string& selectedImage) {
    if (!page) return;
    auto item = page->tabBarItem();
    // Drawn as stored, not tinted by the bar.
    auto stored = [](const std::string& name) {
        auto picture = VXColor::sdkImageNamed(name);
        return picture ? picture->imageWithRenderingMode(ui::ImageRenderingMode::AlwaysOriginal) : picture;
    };
    item->setImage(stored(image));
    item->setSelectedImage(stored(selectedImage));
    item->setTitle(title);
    auto nav = ui::ViewController::create<VXNavigationController>();
    nav->initWithRootViewController(page);
    // The tab bar shows the container's item: the page's own, shared.
    nav->setTabBarItem(item);
    ui::TabBarController::addChildViewController(nav);
}

std::function<void()> VXSuTabBarVC::logoutStep() {
    ns::Weak<VXSuTabBarVC> weak = ref<VXSuTabBarVC>();
    return [weak] {
        auto self = weak.lock();
        if (!self) return;
        self->isShouldDismiss_ = true;
        if (self->logoutBlock_) self->logoutBlock_();
        self->dismissViewControllerAnimated(true);
    };
}

ui::InterfaceOrientation VXSuTabBarVC::preferredInterfaceOrientationForPresentation() const {
    return ui::InterfaceOrientation::Portrait;
}

void VXSuTabBarVC::dismissViewControllerAnimated(bool animated, Completion completion) {
    if (!presentedViewController() && !isShouldDismiss_) return;
    ui::TabBarController::dismissViewControllerAnimated(animated, std::move(completion));
}

std::string VXSuTabBarVC::taskPageURL() {
    auto share = ShareVale::sharedInstance();
    std::string logintime = URLEncode::getNowTimeTimestamp();
    std::string sign = URLEncode::md5String(
        ns::format("username=%@&appkey=%@&logintime=%@", share->userName(), kPlatformAppKey, logintime));
    std::string imel = ui::AdvertisingIdentifierManager::sharedManager().advertisingIdentifier();
    // The sign covers the raw values; the address carries them escaped.
    return ns::format("%@Agreement/rw?username=%@&device=ios&imel=%@&gameid=%@&logintime=%@&sign=%@",
                      VXEndpoints::baseURL(), queryValue(share->userName()), queryValue(imel),
                      queryValue(share->gameID()), logintime, sign);
}

std::string VXSuTabBarVC::servicePageURL() {
    auto share = ShareVale::sharedInstance();
    return ns::format("%@sdkservicesdk/sdk_kefu_index?username=%@&type=ios&cpsId=%@&appid=%@", VXEndpoints::baseURL(),
                      queryValue(share->userName()), queryValue(share->chanelid()), queryValue(share->appID()));
}
