#include "platform_sdk/user_center/VXGiftVC.h"

#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/user_center/VXGiftCell.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIView+Extension.h"

void VXGiftVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    // _initUI
    view()->setBackgroundColor(ui::Color::clearColor());
    nowBtn = oneBtn;
    if (auto table = tableView.lock()) {
        table->registerNib(VXUserCentre::nib("VXGiftCell"), "VXGiftCell");
        table->setRowHeight(120);
    }
    loadData();
}

void VXGiftVC::viewWillLayoutSubviews() {
    ui::ViewController::viewWillLayoutSubviews();
    Extension::setShadowWithRadius(giftView.lock(), 10);
}

void VXGiftVC::doBtnClick(const ui::ButtonRef& button) {
    auto current = nowBtn.lock();
    if (!button || button == current) return;
    button->setBackgroundColor(XTExtention::colorWithHexString("#6137E7"));
    button->setSelected(true);
    if (current) {
        current->setBackgroundColor(ui::Color::clearColor());
        current->setSelected(false);
    }
    nowBtn = button;
    loadData();
}

void VXGiftVC::loadData() {
    auto share = ShareVale::sharedInstance();
    auto button = nowBtn.lock();
    long kind = button ? button->tag() - 10 : 0;
    ns::Dictionary parameters{{"appid", share->appID()}, {"gid", share->gameID()}, {"username", share->userName()},
                              {"lx", kind}};
    auto load = loads_.beginFirstPage();
    ns::Weak<VXGiftVC> weak = ref<VXGiftVC>();
    CXRSdpNetTool::sharedTool()->PostWithURLString(
        "Sdkdetail/card", parameters,
        [weak, load](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self || !self->loads_.isCurrent(load)) return;
            // Only an array of gifts replaces the rows; anything else is reported and keeps them.
            if (!reply.isArray()) {
                auto message = reply["b"].string();
                return CXRMessage::showMessage(message ? message : std::string("服务器错误"), self->view());
            }
            self->dataSource_.clear();
            for (const auto& gift : *reply.arrayPtr())
                if (gift.isDictionary()) self->dataSource_.push_back(gift);
            if (auto height = self->tableViewH.lock()) height->setConstant(120.0 * self->dataSource_.size());
            if (auto table = self->tableView.lock()) table->reloadData();
        },
        [weak, load](const ns::Ref<ns::Error>&) {
            auto self = weak.lock();
            if (!self || !self->loads_.isCurrent(load)) return;
            CXRMessage::showMessage(std::string("服务器错误"), self->view());
        });
}

long VXGiftVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource_.size()); }

ui::TableViewCellRef VXGiftVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXGiftCell>(table->dequeueReusableCell("VXGiftCell", indexPath));
    if (!cell || indexPath.row >= static_cast<long>(dataSource_.size())) return cell;
    cell->setDic(dataSource_[indexPath.row]);
    ns::Weak<VXGiftVC> weak = ref<VXGiftVC>();
    cell->doRefrsh = [weak] {
        if (auto self = weak.lock()) self->loadData();
    };
    return cell;
}
