#include "platform_sdk/VXCouponsVC.h"

#include "foundation/URLEncode.h"
#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Nib.h"
#include "os/uikit/Screen.h"
#include "os/uikit/Window.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXCouponsCell.h"
#include "platform_sdk/VXEndpoints.h"

#include <mutex>

ns::Ref<NetWorkManager> VXCouponsVC::manager() {
    if (!manager_) manager_ = NetWorkManager::sharedInstance();
    return manager_;
}

void VXCouponsVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    if (auto card = couponsView.lock()) card->addSubview(tableView);
    cg::Rect screen = ui::Screen::mainScreen().bounds();
    auto key = ui::Application::shared().keyWindow();
    bool notch = screen.size.width > screen.size.height && ui::DeviceProfile::systemVersionAtLeast(11) && key &&
                 key->safeAreaInsets().bottom > 0;
    if (auto constraint = left.lock()) constraint->setConstant(notch ? 40 : 10);
    static std::once_flag registered;
    std::call_once(registered, registerVXCouponsCellNib);
    tableView->setRowHeight(100);
    tableView->registerNib(ui::Nib::nibWithNibName("VXCouponsCell", URLEncode::getSdkBundle()), "VXCouponsCell");
    tableView->setContentInset({0, 0, 50, 0});
    loadData();
}

void VXCouponsVC::loadData() {
    auto share = ShareVale::sharedInstance();
    // Nil values leave their key out.
    ns::Dictionary p;
    p.set("z", share->userName()), p.set("b", share->appID()), p.set("e", share->gameID());
    p.set("f", share->chanelid()), p.set("mm", money);
    ns::Weak<VXCouponsVC> weak = ref<VXCouponsVC>();
    manager()->POST(
        VXEndpoints::baseURL() + VXEndpoints::PayGetCoupons, p,
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self || reply["code"].integerValue() != 1) return;
            if (const ns::Array* data = reply["data"].arrayPtr())
                for (const auto& entry : *data)
                    if (entry.isDictionary()) self->dataSource_.push_back(VXCouponsModel::initWithDictionary(entry));
            if (self->tableView) self->tableView->reloadData();
        },
        [](const ns::Ref<ns::Error>&) {});
}

void VXCouponsVC::doCancel(const ns::Ref<ns::Object>&) { dismissViewControllerAnimated(true); }

void VXCouponsVC::goToGameBox() {
    if (auto address = ShareVale::sharedInstance()->iosWapBoxUrl().stringValue())
        ui::Application::shared().openURL(ns::URL::fromString(*address));
    dismissViewControllerAnimated(true);
}

long VXCouponsVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource_.size()); }

ui::TableViewCellRef VXCouponsVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXCouponsCell>(table->dequeueReusableCell("VXCouponsCell", indexPath));
    if (!cell) return table->dequeueReusableCell("VXCouponsCell", indexPath);
    cell->setModel(dataSource_[static_cast<size_t>(indexPath.row)]);
    ns::Weak<VXCouponsVC> weak = ref<VXCouponsVC>();
    cell->couponsBlock = [weak](const ns::Ref<VXCouponsModel>& model) {
        auto self = weak.lock();
        if (!self || !self->couponsBlock) return;
        self->couponsBlock(model);
        self->dismissViewControllerAnimated(true);
    };
    return cell;
}
