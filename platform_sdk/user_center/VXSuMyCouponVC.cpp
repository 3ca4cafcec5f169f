#include "platform_sdk/user_center/VXSuMyCouponVC.h"

#include "platform_sdk/ShareVale.h"
#include "platform_sdk/user_center/VXPingList.h"
#include "platform_sdk/user_center/VXSuCouponModel.h"
#include "platform_sdk/user_center/VXSuMyCouponCell.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "widgets/UIColor+XTExtention.h"

void VXSuMyCouponVC::viewDidLoad() {
    VXRefreshViewController::viewDidLoad();
    _initUI();
}

void VXSuMyCouponVC::_initUI() {
    navTitleL()->setText("我的抵扣券");
    navTitleL()->sizeToFit();
    status_ = "1";
    view()->addSubview(topView());
    tableView()->setBackgroundColor(ui::Color::colorWithRed(245.0 / 255, 245.0 / 255, 245.0 / 255, 1));
    cg::Rect b = view()->bounds();
    double top = cg::RectGetMaxY(topView()->frame());
    tableView()->setFrame(cg::RectMake(0, top, b.size.width, b.size.height - top));
    VXSuMyCouponCell::registerInterfaceFile();
    tableView()->registerNib(VXUserCentre::nib("VXSuMyCouponCell"), "VXSuMyCouponCell");
    tableView()->setRowHeight(100);
    tableViewDidTriggerHeaderRefresh();
}

const ui::ViewRef& VXSuMyCouponVC::topView() {
    if (topView_) return topView_;
    double w = view()->bounds().size.width, h = 45;
    topView_ = ui::View::create(cg::RectMake(0, VXUserCentre::isNotch() ? 88 : 64, w, h));
    topView_->setBackgroundColor(ui::Color::whiteColor());
    auto line = ui::View::create(cg::RectMake(0, h - 3, 40, 3));
    line->setBackgroundColor(XTExtention::colorWithHexString("#4958A7"));
    indicator = line;
    const char* titles[] = {"可用", "不可用"};
    for (int i = 0; i < 2; ++i) {
        auto button = ui::View::create<ui::Button>(cg::RectMake(i * w / 2, 0, w / 2, h));
        button->setTag(10 + i);
        button->setTitle(titles[i], ui::ControlStateNormal);
        button->setTitleColor(XTExtention::colorWithHexString("#959697"), ui::ControlStateNormal);
        button->setTitleColor(XTExtention::colorWithHexString("#4958A7"), ui::ControlStateDisabled);
        button->titleLabel()->setFont(ui::Font::systemFontOfSize(15));
        button->titleLabel()->sizeToFit();
        button->addTarget(ref<VXSuMyCouponVC>(), &VXSuMyCouponVC::btnClick, ui::ControlEventTouchUpInside);
        topView_->addSubview(button);
        if (i == 0) {
            button->setEnabled(false);
            button->titleLabel()->setFont(ui::Font::systemFontOfSize(16));
            line->setCenter({button->center().x, line->center().y});
            nowBtn = button;
        }
    }
    topView_->addSubview(line);
    return topView_;
}

void VXSuMyCouponVC::btnClick(const ui::ButtonRef& button) {
    auto previous = nowBtn.lock();
    if (button == previous) return;
    button->setEnabled(false);
    if (previous) previous->setEnabled(true);
    auto line = indicator.lock();
    ui::View::animate(0.25, [&] {
        button->titleLabel()->setFont(ui::Font::systemFontOfSize(16));
        if (previous) previous->titleLabel()->setFont(ui::Font::systemFontOfSize(15));
        if (line) line->setCenter({button->center().x, line->center().y});
    });
    nowBtn = button;
    status_ = button->tag() == 10 ? "1" : "0";
    tableViewDidTriggerHeaderRefresh();
}

VXRefreshViewController::PageRequest VXSuMyCouponVC::request() {
    auto share = ShareVale::sharedInstance();
    PageRequest r;
    r.path = "Sdkhome/mycoupon";
    r.parameters = {{"username", share->userName()}, {"gid", share->gameID()}, {"cpsId", share->chanelid()},
                    {"appid", share->appID()},       {"status", status_}};
    r.map = VXPingList::models<VXSuCouponModel>;
    return r;
}

void VXSuMyCouponVC::tableViewDidTriggerHeaderRefresh() {
    auto r = request();
    // The rows take the look of the filter they were loaded for, also after a later switch fails.
    ns::Weak<VXSuMyCouponVC> weak = ref<VXSuMyCouponVC>();
    r.firstPageApplied = [weak, status = status_](const ns::Value&) {
        if (auto self = weak.lock()) self->loadedStatus_ = status;
    };
    loadFirstPage(std::move(r));
}

void VXSuMyCouponVC::tableViewDidTriggerFooterRefresh() { loadNextPage(request()); }

long VXSuMyCouponVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource().size()); }

ui::TableViewCellRef VXSuMyCouponVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXSuMyCouponCell>(table->dequeueReusableCell("VXSuMyCouponCell", indexPath));
    cell->setModel(dataSource()[indexPath.row].objectAs<VXSuCouponModel>());
    cell->setStatus(loadedStatus_);
    return cell;
}
