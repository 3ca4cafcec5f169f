#include "platform_sdk/user_center/VXSuCouponVC.h"

#include "os/uikit/Application.h"
#include "os/uikit/NavigationController.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/user_center/VXPingList.h"
#include "platform_sdk/user_center/VXSuCouponCell.h"
#include "platform_sdk/user_center/VXSuMyCouponVC.h"
#include "platform_sdk/user_center/VXUserCentre.h"

VXSuCouponVCRef VXSuCouponVC::instantiate() {
    registerInterfaceFile();
    return VXUserCentre::instantiate<VXSuCouponVC>("VXSuCouponVC");
}

void VXSuCouponVC::viewDidLoad() {
    VXRefreshViewController::viewDidLoad();
    _initUI();
}

void VXSuCouponVC::_initUI() {
    navTitleL()->setText("抵扣券领取");
    navTitleL()->sizeToFit();
    auto holder = ui::View::create(navBtn()->bounds());
    holder->addSubview(navBtn());
    navigationItem()->setRightBarButtonItem(ui::BarButtonItem::withCustomView(holder));
    tableView()->setBackgroundColor(ui::Color::colorWithRed(245.0 / 255, 245.0 / 255, 245.0 / 255, 1));
    VXSuCouponCell::registerInterfaceFile();
    tableView()->registerNib(VXUserCentre::nib("VXSuCouponCell"), "VXSuCouponCell");
    tableViewDidTriggerHeaderRefresh();
}

const ui::ButtonRef& VXSuCouponVC::navBtn() {
    if (!navBtn_) {
        navBtn_ = ui::View::create<ui::Button>(cg::RectMake(0, 0, 80, 25));
        navBtn_->setTitle("我的抵扣券", ui::ControlStateNormal);
        navBtn_->setTitleColor(ui::Color::darkGrayColor(), ui::ControlStateNormal);
        navBtn_->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
        navBtn_->addTarget(ref<VXSuCouponVC>(), &VXSuCouponVC::goToMyCouponVC, ui::ControlEventTouchUpInside);
    }
    return navBtn_;
}

void VXSuCouponVC::goToMyCouponVC() {
    if (auto nav = navigationController()) nav->pushViewController(ui::ViewController::create<VXSuMyCouponVC>(), true);
}

void VXSuCouponVC::viewWillLayoutSubviews() {
    VXRefreshViewController::viewWillLayoutSubviews();
    bool notch = VXUserCentre::isNotch();
    double top = notch ? 155 : 131, bottom = notch ? 106 : 72;
    cg::Rect b = view()->bounds();
    tableView()->setFrame(cg::RectMake(0, top, b.size.width, b.size.height - top - bottom));
}

void VXSuCouponVC::tableViewDidTriggerHeaderRefresh() {
    auto share = ShareVale::sharedInstance();
    ns::Dictionary params{{"username", share->userName()}, {"type", "ios"}, {"cpsId", share->chanelid()},
                          {"gid", share->gameID()}};
    ns::Weak<VXSuCouponVC> weak = ref<VXSuCouponVC>();
    CXRSdpNetTool::sharedTool()->PostWithURLString(
        "Sdkdetail/couponlists", params,
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            if (reply["a"].integerValue() != 1) return CXRMessage::showMessage(reply["b"].stringValue(), self->view());
            auto* rows = reply["c"]["data"].arrayPtr();
            self->dataSource() = VXPingList::models<VXSuCouponModel>(rows ? *rows : ns::Array());
            // The whole list is one page.
            self->setPage(1);
            self->setTotalPage(1);
            self->setShowRefreshFooter(true);
            self->tableViewDidFinishTriggerHeader(true, true);
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) self->tableViewDidFinishTriggerHeader(true, false);
        });
}

VXSuCouponModelRef VXSuCouponVC::modelAt(long row) {
    return row >= 0 && row < static_cast<long>(dataSource().size()) ? dataSource()[row].objectAs<VXSuCouponModel>() : nullptr;
}

std::optional<long> VXSuCouponVC::rowOf(const VXSuCouponModelRef& model) {
    for (size_t i = 0; i < dataSource().size(); ++i)
        if (dataSource()[i].objectAs<VXSuCouponModel>() == model) return static_cast<long>(i);
    return std::nullopt;
}

long VXSuCouponVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource().size()); }

ui::TableViewCellRef VXSuCouponVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXSuCouponCell>(table->dequeueReusableCell("VXSuCouponCell", indexPath));
    auto model = modelAt(indexPath.row);
    bool claimed = model && ns::Value(model->is_get).boolValue();
    cell->setHidden(claimed);
    if (!claimed) cell->setModel(model);
    return cell;
}

std::optional<double> VXSuCouponVC::heightForRow(const ui::TableViewRef&, const ui::IndexPath& indexPath) {
    auto model = modelAt(indexPath.row);
    return model && ns::Value(model->is_get).boolValue() ? 0 : 110;
}

void VXSuCouponVC::didSelectRow(const ui::TableViewRef&, const ui::IndexPath& indexPath) {
    if (auto model = modelAt(indexPath.row)) claim(model);
}

void VXSuCouponVC::claim(const VXSuCouponModelRef& model) {
    if (!claiming_.insert(model.get()).second) return;
    ns::Dictionary params{{"cid", model->cid}, {"username", ShareVale::sharedInstance()->userName()}};
    ns::Weak<VXSuCouponVC> weak = ref<VXSuCouponVC>();
    // The reply updates the coupon it was sent for, wherever (or whether) its row is now.
    NetWorkManager::sharedInstance()->PostCouponURL(
        "Sdkdetail/getcoupon", params,
        [weak, model](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            self->claiming_.erase(model.get());
            if (!reply.isDictionary()) return CXRMessage::showMessage(std::string("服务器错误"), self->view());
            if (reply["a"].integerValue() != 1) return CXRMessage::showMessage(reply["b"].stringValue(), self->view());
            CXRMessage::showMessage(std::string("领取成功"), self->view());
            model->is_get = std::string("1");
            if (auto row = self->rowOf(model)) {
                ui::View::performWithoutAnimation([&] {
                    self->tableView()->reloadRows({ui::IndexPath{0, *row}}, ui::TableViewRowAnimation::None);
                });
            }
        },
        [weak, model](const ns::Ref<ns::Error>&) {
            auto self = weak.lock();
            if (!self) return;
            self->claiming_.erase(model.get());
            CXRMessage::showMessage(std::string("服务器错误"), self->view());
        });
}

void VXSuCouponVC::getAllCoupons() {
    auto share = ShareVale::sharedInstance();
    ns::Dictionary params{{"gid", share->gameID()}, {"username", share->userName()}};
    ns::Weak<VXSuCouponVC> weak = ref<VXSuCouponVC>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        "Sdkdetail/getcouponall", params,
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            if (!reply.isDictionary()) return CXRMessage::showMessage(std::string("服务器错误"), self->view());
            if (reply["a"].integerValue() != 1) return CXRMessage::showMessage(reply["b"].stringValue(), self->view());
            CXRMessage::showMessage(std::string("领取成功"), self->view());
            self->dataSource().clear();
            self->tableView()->reloadData();
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) CXRMessage::showMessage(std::string("服务器错误"), self->view());
        });
}

void VXSuCouponVC::goToBox() {
    auto address = ShareVale::sharedInstance()->iosWapBoxUrl().stringValue();
    if (!address || address->empty()) return;
    if (auto url = ns::URL::fromString(*address)) ui::Application::shared().openURL(url);
}
