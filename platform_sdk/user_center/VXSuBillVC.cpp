#include "platform_sdk/user_center/VXSuBillVC.h"

#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/user_center/VXPingList.h"
#include "platform_sdk/user_center/VXSuBillCell.h"
#include "platform_sdk/user_center/VXUserCentre.h"

VXSuBillVCRef VXSuBillVC::instantiate() {
    registerInterfaceFile();
    return VXUserCentre::instantiate<VXSuBillVC>("VXSuBillVC");
}

void VXSuBillVC::viewDidLoad() {
    VXRefreshViewController::viewDidLoad();
    _initUI();
}

void VXSuBillVC::_initUI() {
    view()->setBackgroundColor(ui::Color::colorWithRed(250.0 / 255, 250.0 / 255, 250.0 / 255, 1));
    std::string name, title;
    if (isPtb_) {
        name = "平台币", title = "平台币明细", url_ = "Userexpand/getptblog";
    } else if (isStars_) {
        name = "星币", title = "星币明细", url_ = "Sdkhome/getstarcoinlog";
        menuArr_ = {"后台发放", "金币兑换"};
    } else {
        name = "代金券", title = "代金券明细", url_ = "Sdkhome/getdjqlog";
        menuArr_ = {"后台代充", "金币兑换", "渠道代充"};
    }
    if (auto l = showL.lock()) l->setText(name);
    navTitleL()->setText(title);
    navTitleL()->sizeToFit();
    nowBtn = oneBtn;
    if (!menuArr_.empty()) {
        menu()->setTitle(menuArr_.front());
        if (auto bar = bgView.lock()) bar->addSubview(menu());
    }
    tableView()->setBackgroundColor(ui::Color::clearColor());
    VXSuBillCell::registerInterfaceFile();
    tableView()->registerNib(VXUserCentre::nib("VXSuBillCell"), "VXSuBillCell");
    tableView()->setRowHeight(45);
    tableViewDidTriggerHeaderRefresh();
}

const VXDropdownMenuRef& VXSuBillVC::menu() {
    if (!menu_) {
        menu_ = ui::View::create<VXDropdownMenu>(cg::RectMake(0, 0, 100, 30));
        auto self = ref<VXSuBillVC>();
        menu_->setDataSource(ns::Weak<VXDropdownMenuDataSource>(self));
        menu_->setDelegate(ns::Weak<VXDropdownMenuDelegate>(self));
        menu_->setTitle("后台代充");
        VXPingList::styleMenu(menu_, ui::Color::whiteColor(), ui::Color::colorWithRed(240.0 / 255, 240.0 / 255, 240.0 / 255, 1));
    }
    return menu_;
}

void VXSuBillVC::viewWillLayoutSubviews() {
    VXRefreshViewController::viewWillLayoutSubviews();
    // Under the chosen tab (not always the income one).
    auto line = indicator.lock();
    if (auto chosen = nowBtn.lock(); line && chosen) line->setCenter({chosen->center().x, line->center().y});
    auto bar = bgView.lock();
    double top = (bar ? cg::RectGetMaxY(bar->frame()) : 0) + 5;
    cg::Rect b = view()->bounds();
    tableView()->setFrame(cg::RectMake(16, top, b.size.width - 32, b.size.height - top));
}

void VXSuBillVC::doTypeBtnClick(const ui::ButtonRef& button) {
    if (button == nowBtn.lock()) return;
    if (auto line = indicator.lock()) line->setCenter({button->center().x, line->center().y});
    nowBtn = button;
    bool income = button == oneBtn.lock();
    if (isPtb_) {
        menu()->setHidden(true);
        url_ = income ? "Userexpand/getptblog" : "Userexpand/payptblog";
    } else if (isStars_) {
        menu()->setHidden(!income);
        url_ = income ? "Sdkhome/getstarcoinlog" : "Sdkhome/paystarcoinlog";
        if (income) menuArr_ = {"后台发放", "金币兑换"};
    } else {
        menu()->setHidden(false);
        url_ = income ? "Sdkhome/getdjqlog" : "Sdkhome/paydjqlog";
        menuArr_ = income ? std::vector<std::string>{"后台代充", "金币兑换", "渠道代充"}
                          : std::vector<std::string>{"游戏充值", "代理撤回"};
    }
    if (!menuArr_.empty()) menu()->setTitle(menuArr_.front());
    flag_ = 1;
    tableViewDidTriggerHeaderRefresh();
}

VXRefreshViewController::PageRequest VXSuBillVC::request() {
    auto share = ShareVale::sharedInstance();
    PageRequest r;
    r.path = url_;
    r.parameters = {{"username", share->userName()}, {"appid", share->appID()}, {"type", "ios"}, {"screen", flag_}};
    r.container = [](const ns::Value& reply) { return reply["c"]; };
    return r;
}

void VXSuBillVC::tableViewDidTriggerHeaderRefresh() {
    auto r = request();
    ns::Weak<VXSuBillVC> weak = ref<VXSuBillVC>();
    r.refused = [weak](const ns::Value& reply) {
        if (auto self = weak.lock()) CXRMessage::showMessage(reply["b"].stringValue(), self->view());
    };
    // The rows keep the sign of the tab they were loaded for, also after a later switch fails.
    bool income = nowBtn.lock() == oneBtn.lock();
    r.firstPageApplied = [weak, income](const ns::Value&) {
        if (auto self = weak.lock()) self->loadedIncome_ = income;
    };
    r.firstPageNeedsStatus = true;
    loadFirstPage(std::move(r));
}

void VXSuBillVC::tableViewDidTriggerFooterRefresh() { loadNextPage(request()); }

long VXSuBillVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource().size()); }

ui::TableViewCellRef VXSuBillVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXSuBillCell>(table->dequeueReusableCell("VXSuBillCell", indexPath));
    cell->setDic(dataSource()[indexPath.row]);
    cell->setIsGet(loadedIncome_);
    return cell;
}

long VXSuBillVC::numberOfOptionsInDropdownMenu(const VXDropdownMenuRef&) { return static_cast<long>(menuArr_.size()); }

double VXSuBillVC::heightForOptionAtIndex(const VXDropdownMenuRef&, long) { return 30; }

std::string VXSuBillVC::titleForOptionAtIndex(const VXDropdownMenuRef&, long index) {
    return index >= 0 && index < static_cast<long>(menuArr_.size()) ? menuArr_[static_cast<size_t>(index)] : std::string();
}

void VXSuBillVC::didSelectOptionAtIndex(const VXDropdownMenuRef&, long index, const std::string&) {
    flag_ = index + 1;
    tableViewDidTriggerHeaderRefresh();
}
