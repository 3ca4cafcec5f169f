#include "platform_sdk/user_center/VXWelfareVC.h"

#include "foundation/URLEncode.h"
#include "os/uikit/TabBarController.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "platform_sdk/user_center/VXWelfareVipCell.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIView+Extension.h"

#include <cmath>

void VXWelfareVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    // _initUI
    view()->setBackgroundColor(ui::Color::clearColor());
    if (auto button = fanliBtn.lock()) button->layer()->setBorderColor(XTExtention::colorWithHexString("#4816CA")->cgColor());
    if (auto vip = vipView.lock()) {
        vip->layer()->setBorderColor(XTExtention::colorWithHexString("#F08726")->cgColor());
        vip->layer()->setBorderWidth(1);
    }
    if (auto table = tableView.lock()) {
        table->registerNib(VXUserCentre::nib("VXWelfareVipCell"), "VXWelfareVipCell");
        table->setRowHeight(44);
    }
    loadData();
}

void VXWelfareVC::viewWillLayoutSubviews() {
    ui::ViewController::viewWillLayoutSubviews();
    Extension::setShadowWithRadius(fanliView.lock(), 10);
    Extension::setShadowWithRadius(fuliView.lock(), 10);
}

void VXWelfareVC::loadData() {
    auto share = ShareVale::sharedInstance();
    ns::Dictionary parameters{{"username", share->userName()}, {"gid", share->gameID()}, {"cpsId", share->chanelid()},
                              {"appid", share->appID()}};
    ns::Weak<VXWelfareVC> weak = ref<VXWelfareVC>();
    CXRSdpNetTool::sharedTool()->PostWithURLString(
        "Sdkdetail/fuli", parameters,
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            if (reply["a"].integerValue() != 1) return CXRMessage::showMessage(reply["b"].stringValue(), self->view());
            self->apply(reply["c"]);
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) CXRMessage::showMessage(std::string("服务器错误"), self->view());
        });
}

double VXWelfareVC::threeLines() const {
    auto label = fuliL.lock();
    auto font = label ? label->font() : nullptr;
    return std::ceil(3 * (font ? font->lineHeight() : ui::Font::systemFontOfSize(17)->lineHeight()));
}

void VXWelfareVC::apply(const ns::Value& c) {
    if (auto label = fanliL.lock()) label->setText(c["fanli"].stringValue());
    dataSource_ = {ns::Dictionary{{"item1", "等级"}, {"item2", "充值"}}};
    if (const ns::Array* levels = c["vipList"].arrayPtr())
        for (const auto& level : *levels)
            if (level.isDictionary()) dataSource_.push_back(level);

    if (auto label = fuliL.lock()) {
        label->setW(view()->bounds().size.width - 64);
        label->setText(URLEncode::trimmedWhitespaceAndNewlineString(c["box_content"].stringValue().value_or("")));
        auto height = fuliH.lock();
        auto button = fuliBtn.lock();
        if (label->rows() < 4) {
            if (height) height->setConstant(label->maxHeight());
            if (button) button->setHidden(true);
            if (auto bottom = fuliBottom.lock()) bottom->setConstant(16);
        } else {
            if (height) height->setConstant(threeLines());
            if (button) button->setHidden(false), button->setSelected(false);
        }
    }

    size_t n = dataSource_.size();
    if (auto height = tableViewH.lock()) height->setConstant(44.0 * n);
    if (auto button = vipBtn.lock()) {
        if (n < 4) {
            if (auto bottom = tableViewBottom.lock()) bottom->setConstant(0);
            button->setHidden(true);
        } else {
            button->setHidden(false);
            button->setSelected(true);
        }
    }
    if (auto table = tableView.lock()) table->reloadData();
}

void VXWelfareVC::doFanliBtnClick(const ui::ButtonRef&) {
    if (auto tabs = tabBarController()) tabs->setSelectedIndex(4);
}

void VXWelfareVC::showFuliOrClose(const ui::ButtonRef& button) {
    if (!button) return;
    button->setSelected(!button->isSelected());
    auto label = fuliL.lock();
    if (auto height = fuliH.lock()) height->setConstant(button->isSelected() && label ? label->maxHeight() : threeLines());
}

void VXWelfareVC::doVipBtnClick(const ui::ButtonRef& button) {
    if (!button) return;
    button->setSelected(!button->isSelected());
    if (auto height = tableViewH.lock()) height->setConstant(button->isSelected() ? 44.0 * dataSource_.size() : 176);
}

long VXWelfareVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource_.size()); }

ui::TableViewCellRef VXWelfareVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXWelfareVipCell>(table->dequeueReusableCell("VXWelfareVipCell", indexPath));
    if (!cell || indexPath.row >= static_cast<long>(dataSource_.size())) return cell;
    cell->setIsFirst(indexPath.row == 0);
    cell->setDic(dataSource_[indexPath.row]);
    return cell;
}
