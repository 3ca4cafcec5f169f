#include "platform_sdk/user_center/VXPingTwoVC.h"

#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/user_center/VXPingList.h"
#include "platform_sdk/user_center/VXPingTwoCell.h"
#include "platform_sdk/user_center/VXUserCentre.h"

void VXPingTwoVC::viewDidLoad() {
    VXRefreshViewController::viewDidLoad();
    _initUI();
}

void VXPingTwoVC::_initUI() {
    navTitleL()->setText("评论");
    navTitleL()->sizeToFit();
    VXPingTwoCell::registerInterfaceFile();
    tableView()->registerNib(VXUserCentre::nib("VXPingTwoCell"), "VXPingTwoCell");
    tableView()->setRowHeight(ui::TableViewAutomaticDimension);
    tableViewDidTriggerHeaderRefresh();
    view()->addSubview(commentInputView());
}

void VXPingTwoVC::viewDidAppear(bool animated) {
    VXRefreshViewController::viewDidAppear(animated);
    cg::Rect b = view()->bounds();
    bool notch = VXUserCentre::isNotch();
    double h = commentInputView()->heightThatFits();
    double inset = notch ? 34 : 0;
    commentInputView()->setFrame(cg::RectMake(0, b.size.height - h - inset, b.size.width, h));
    double top = notch ? 88 : 64;
    tableView()->setFrame(cg::RectMake(0, top, b.size.width, commentInputView()->frame().origin.y - top));
    tableView()->setTableHeaderView(headView());
}

const VXPingTwoHeadRef& VXPingTwoVC::headView() {
    if (!headView_) {
        headView_ = VXPingTwoHead::viewFromXib();
        double height = headModel_ ? headModel_->headH() : 147.5;
        headView_->setFrame(cg::RectMake(0, 0, view()->bounds().size.width, height));
        headView_->setModel(headModel_);
        headView_->myVC = ref<ui::ViewController>();
    }
    return headView_;
}

const VXInputViewRef& VXPingTwoVC::commentInputView() {
    if (!inputView_) {
        inputView_ = ui::View::create<VXInputView>();
        inputView_->setDelegate(ns::Weak<VXInputViewDelegate>(ref<VXPingTwoVC>()));
    }
    return inputView_;
}

VXRefreshViewController::PageRequest VXPingTwoVC::request() {
    auto share = ShareVale::sharedInstance();
    PageRequest r;
    r.path = "Sdkcomments/listscomments";
    r.parameters = {{"appid", share->appID()},     {"gid", share->gameID()}, {"username", share->userName()},
                    {"cpsId", share->chanelid()}, {"comments_id", headModel_ ? headModel_->Id : ns::Value()}};
    r.container = [](const ns::Value& reply) { return reply["c"]; };
    r.map = VXPingList::models<VXPingModel>;
    return r;
}

void VXPingTwoVC::tableViewDidTriggerHeaderRefresh() {
    auto r = request();
    ns::Weak<VXPingTwoVC> weak = ref<VXPingTwoVC>();
    r.refused = [weak](const ns::Value& reply) {
        if (auto self = weak.lock()) CXRMessage::showMessage(reply["b"].stringValue(), self->view());
    };
    r.firstPageNeedsStatus = true;
    loadFirstPage(std::move(r));
}

void VXPingTwoVC::tableViewDidTriggerFooterRefresh() { loadNextPage(request()); }

void VXPingTwoVC::inputViewDidClickSendButton(const VXInputViewRef& inputView) {
    std::string text = commentInputView()->plainText();
    commentInputView()->clearText();
    doCommitWithText(text);
}

void VXPingTwoVC::doCommitWithText(const std::string& text) {
    auto share = ShareVale::sharedInstance();
    ns::Dictionary params{{"gid", share->gameID()},
                          {"username", share->userName()},
                          {"appid", share->appID()},
                          {"content", text},
                          {"pid", headModel_ ? headModel_->Id : ns::Value()},
                          {"cpsId", share->chanelid()}};
    ns::Weak<VXPingTwoVC> weak = ref<VXPingTwoVC>();
    CXRSdpNetTool::sharedTool()->PostWithURLString(
        "Sdkcomments/commit", params,
        [weak](const ns::Value& reply) {
            if (auto self = weak.lock()) CXRMessage::showMessage(reply["b"].stringValue(), self->view());
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) CXRMessage::showMessage(std::string("服务器错误"), self->view());
        });
}

long VXPingTwoVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource().size()); }

ui::TableViewCellRef VXPingTwoVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXPingTwoCell>(table->dequeueReusableCell("VXPingTwoCell", indexPath));
    cell->setModel(dataSource()[indexPath.row].objectAs<VXPingModel>());
    cell->myVC = ref<ui::ViewController>();
    return cell;
}
