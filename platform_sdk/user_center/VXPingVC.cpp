#include "platform_sdk/user_center/VXPingVC.h"

#include "os/foundation/Log.h"
#include "os/uikit/GestureRecognizer.h"
#include "os/uikit/NavigationController.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXPingCell.h"
#include "platform_sdk/user_center/VXPingList.h"
#include "platform_sdk/user_center/VXPingTwoVC.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "widgets/UIImage+VXColor.h"

void VXPingVC::viewDidLoad() {
    VXRefreshViewController::viewDidLoad();
    _initUI();
}

void VXPingVC::_initUI() {
    view()->setBackgroundColor(ui::Color::clearColor());
    view()->addSubview(picView());
    flag_ = 1;
    menuArr_ = {"按时间", "按热度"};
    view()->addSubview(topView());
    VXPingCell::registerInterfaceFile();
    tableView()->registerNib(VXUserCentre::nib("VXPingCell"), "VXPingCell");
    tableView()->setRowHeight(ui::TableViewAutomaticDimension);
    tableView()->setBackgroundColor(ui::Color::clearColor());
    setShowRefreshHeader(true);
    tableViewDidTriggerHeaderRefresh();
    view()->addSubview(commentInputView());
}

void VXPingVC::viewDidAppear(bool animated) {
    VXRefreshViewController::viewDidAppear(animated);
    cg::Rect b = view()->bounds();
    double h = commentInputView()->heightThatFits();
    commentInputView()->setFrame(cg::RectMake(0, b.size.height - h, b.size.width, h));
    picView()->setFrame(cg::RectMake(0, 0, b.size.width, 44));
    topView()->setFrame(cg::RectMake(0, cg::RectGetMaxY(picView()->frame()) + 10, b.size.width, 30));
    double top = cg::RectGetMaxY(topView()->frame());
    tableView()->setFrame(cg::RectMake(0, top, b.size.width, commentInputView()->frame().origin.y - top));
}

const VXInputViewRef& VXPingVC::commentInputView() {
    if (!inputView_) {
        inputView_ = ui::View::create<VXInputView>();
        inputView_->setDelegate(ns::Weak<VXInputViewDelegate>(ref<VXPingVC>()));
    }
    return inputView_;
}

const ui::ImageViewRef& VXPingVC::picView() {
    if (!picView_) {
        picView_ = ui::View::create<ui::ImageView>();
        picView_->setImage(VXColor::sdkImageNamed("vx_tab_ping_topPic.png"));
        picView_->setContentMode(ui::ContentMode::ScaleAspectFit);
        picView_->setUserInteractionEnabled(true);
        auto tap = ns::make<ui::TapGestureRecognizer>();
        tap->addTarget(ref<VXPingVC>(), &VXPingVC::goToRoleVC);
        picView_->addGestureRecognizer(tap);
    }
    return picView_;
}

const ui::ViewRef& VXPingVC::topView() {
    if (!topView_) {
        topView_ = ui::View::create(cg::RectMake(0, 0, view()->bounds().size.width, 30));
        auto title = ui::View::create<ui::Label>(cg::RectMake(16, 0, 100, 30));
        title->setText("游戏点评");
        title->setTextAlignment(ui::TextAlignment::Left);
        title->setTextColor(ui::Color::blackColor());
        title->setFont(ui::Font::systemFontOfSize(15, ui::FontWeight::Medium));
        topView_->addSubview(title);
        topView_->addSubview(menu());
    }
    return topView_;
}

const VXDropdownMenuRef& VXPingVC::menu() {
    if (!menu_) {
        menu_ = ui::View::create<VXDropdownMenu>();
        menu_->setFrame(cg::RectMake(ui::Screen::mainScreen().bounds().size.width - 80 - 16, 0, 80, 30));
        auto self = ref<VXPingVC>();
        menu_->setDataSource(ns::Weak<VXDropdownMenuDataSource>(self));
        menu_->setDelegate(ns::Weak<VXDropdownMenuDelegate>(self));
        menu_->setTitle("按热度");
        VXPingList::styleMenu(menu_, ui::Color::colorWithRed(240.0 / 255, 240.0 / 255, 240.0 / 255, 1), ui::Color::whiteColor());
    }
    return menu_;
}

VXRefreshViewController::PageRequest VXPingVC::request() {
    auto share = ShareVale::sharedInstance();
    PageRequest r;
    r.path = "Sdkcomments/get";
    r.parameters = {{"appid", share->appID()},     {"gid", share->gameID()}, {"username", share->userName()},
                    {"cpsId", share->chanelid()}, {"px", flag_}};
    r.container = [](const ns::Value& reply) { return reply["c"]; };
    r.map = VXPingList::models<VXPingModel>;
    ns::Weak<VXPingVC> weak = ref<VXPingVC>();
    r.refused = [weak](const ns::Value& reply) {
        if (auto self = weak.lock()) CXRMessage::showMessage(reply["b"].stringValue(), self->view());
    };
    return r;
}

void VXPingVC::tableViewDidTriggerHeaderRefresh() {
    auto r = request();
    r.firstPageNeedsStatus = true;
    loadFirstPage(std::move(r));
}

void VXPingVC::tableViewDidTriggerFooterRefresh() {
    // Refusals of later pages only end the footer.
    auto r = request();
    r.refused = nullptr;
    loadNextPage(std::move(r));
}

void VXPingVC::inputViewDidClickSendButton(const VXInputViewRef& inputView) {
    std::string text = commentInputView()->plainText();
    ns::log("输出 = %@", text);
    commentInputView()->clearText();
    doCommitWithText(text);
}

void VXPingVC::doCommitWithText(const std::string& text) {
    auto share = ShareVale::sharedInstance();
    ns::Dictionary params{{"gid", share->gameID()},   {"username", share->userName()}, {"appid", share->appID()},
                          {"content", text},         {"cpsId", share->chanelid()}};
    ns::Weak<VXPingVC> weak = ref<VXPingVC>();
    CXRSdpNetTool::sharedTool()->PostWithURLString(
        "Sdkcomments/commit", params,
        [weak](const ns::Value& reply) {
            if (auto self = weak.lock()) CXRMessage::showMessage(reply["b"].stringValue(), self->view());
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) CXRMessage::showMessage(std::string("服务器错误"), self->view());
        });
}

void VXPingVC::goToRoleVC() {
    auto page = VXSuWebVC::instantiate();
    page->setName("评论规则");
    page->setUrl(VXEndpoints::baseURL() + "Agreement/yz");
    page->setIsShowSuperVc(true);
    if (auto nav = navigationController()) nav->pushViewController(page, true);
}

long VXPingVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource().size()); }

ui::TableViewCellRef VXPingVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXPingCell>(table->dequeueReusableCell("VXPingCell", indexPath));
    cell->setModel(dataSource()[indexPath.row].objectAs<VXPingModel>());
    cell->myVC = ref<ui::ViewController>();
    return cell;
}

void VXPingVC::didSelectRow(const ui::TableViewRef&, const ui::IndexPath& indexPath) {
    auto thread = ui::ViewController::create<VXPingTwoVC>();
    thread->setHeadModel(dataSource()[indexPath.row].objectAs<VXPingModel>());
    if (auto nav = navigationController()) nav->pushViewController(thread, true);
}

long VXPingVC::numberOfOptionsInDropdownMenu(const VXDropdownMenuRef&) { return static_cast<long>(menuArr_.size()); }

double VXPingVC::heightForOptionAtIndex(const VXDropdownMenuRef&, long) { return 30; }

std::string VXPingVC::titleForOptionAtIndex(const VXDropdownMenuRef&, long index) {
    return index >= 0 && index < static_cast<long>(menuArr_.size()) ? menuArr_[static_cast<size_t>(index)] : std::string();
}

void VXPingVC::didSelectOptionAtIndex(const VXDropdownMenuRef&, long index, const std::string&) {
    flag_ = index;
    tableViewDidTriggerHeaderRefresh();
}
