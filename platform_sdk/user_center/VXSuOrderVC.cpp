#include "platform_sdk/user_center/VXSuOrderVC.h"

#include "os/uikit/NavigationController.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/user_center/VXSuMyOrderVC.h"
#include "widgets/UIColor+XTExtention.h"

const ui::ButtonRef& VXSuOrderVC::navBtn() {
    if (!navBtn_) {
        navBtn_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
        navBtn_->setFrame({{0, 0}, {80, 25}});
        navBtn_->setTitle(std::string("我的预约"), ui::ControlStateNormal);
        navBtn_->titleLabel()->setFont(ui::Font::systemFontOfSize(14, ui::FontWeight::Medium));
        navBtn_->setTitleColor(XTExtention::colorWithHexString("#333333"), ui::ControlStateNormal);
        navBtn_->addTarget(ref<VXSuOrderVC>(), &VXSuOrderVC::goToMyOrderVc, ui::ControlEventTouchUpInside);
    }
    return navBtn_;
}

void VXSuOrderVC::viewDidLoad() {
    VXSuOrderListVC::viewDidLoad();
    auto holder = ui::View::create(navBtn()->bounds());
    holder->addSubview(navBtn());
    navigationItem()->setRightBarButtonItem(ui::BarButtonItem::withCustomView(holder));
    setUp("游戏预约");
}

void VXSuOrderVC::goToMyOrderVc() {
    if (auto nav = navigationController()) nav->pushViewController(ui::ViewController::create<VXSuMyOrderVC>(), true);
}

std::string VXSuOrderVC::path() const { return VXEndpoints::BookingList; }
