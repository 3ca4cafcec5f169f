#include "platform_sdk/user_center/VXArticleListVC.h"

#include "os/uikit/NavigationController.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXStrategyCell.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "widgets/UIImage+VXColor.h"

void VXArticleListVC::viewDidLoad() {
    VXRefreshViewController::viewDidLoad();
    // _initUI
    Kind k = kind();
    view()->setBackgroundColor(ui::Color::clearColor());
    tableView()->registerNib(VXUserCentre::nib(k.cell), k.cell);
    tableView()->setRowHeight(k.rowHeight);
    tableView()->setBackgroundColor(ui::Color::clearColor());
    if (k.header) setShowRefreshHeader(true);
    tableViewDidTriggerHeaderRefresh();
}

void VXArticleListVC::viewWillLayoutSubviews() {
    VXRefreshViewController::viewWillLayoutSubviews();
    tableView()->setFrame({{0, 0}, view()->bounds().size});
    tempView()->setCenter(tableView()->center());
}

const ui::ViewRef& VXArticleListVC::tempView() {
    if (!tempView_) {
        tempView_ = ui::View::create(cg::Rect{{0, 0}, {200, 120}});
        tempView_->setBackgroundColor(ui::Color::clearColor());
        auto picture = ui::View::create<ui::ImageView>(cg::Rect{{40, 0}, {120, 95}});
        picture->setImage(VXColor::sdkImageNamed("vx_tab_noPic.png"));
        tempView_->addSubview(picture);
        auto sentence = ui::View::create<ui::Label>(cg::Rect{{0, 100}, {200, 20}});
        sentence->setText(kind().emptySentence);
        sentence->setTextColor(ui::Color::darkGrayColor());
        sentence->setTextAlignment(ui::TextAlignment::Center);
        sentence->setFont(ui::Font::systemFontOfSize(14));
        tempView_->addSubview(sentence);
    }
    return tempView_;
}

VXRefreshViewController::PageRequest VXArticleListVC::request() {
    auto share = ShareVale::sharedInstance();
    PageRequest r;
    r.path = kind().path;
    r.parameters = {{"username", share->userName()}, {"gid", share->gameID()}, {"cpsId", share->chanelid()},
                    {"type", "ios"}, {"appid", share->appID()}};
    ns::Weak<VXArticleListVC> weak = ref<VXArticleListVC>();
    r.firstPageApplied = [weak](const ns::Value&) {
        auto self = weak.lock();
        if (!self) return;
        if (self->dataSource().empty()) {
            self->view()->addSubview(self->tempView());
            // Centred at once too: the next layout pass centres it again.
            self->tempView()->setCenter(self->tableView()->center());
        } else {
            self->tempView()->removeFromSuperview();
        }
    };
    return r;
}

void VXArticleListVC::tableViewDidTriggerHeaderRefresh() { loadFirstPage(request()); }

void VXArticleListVC::tableViewDidTriggerFooterRefresh() { loadNextPage(request()); }

long VXArticleListVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource().size()); }

ui::TableViewCellRef VXArticleListVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXStrategyCell>(table->dequeueReusableCell(kind().cell, indexPath));
    if (cell && indexPath.row < static_cast<long>(dataSource().size())) cell->setDic(dataSource()[indexPath.row]);
    return cell;
}

void VXArticleListVC::didSelectRow(const ui::TableViewRef&, const ui::IndexPath& indexPath) {
    if (indexPath.row >= static_cast<long>(dataSource().size())) return;
    auto page = VXSuWebVC::instantiate();
    page->setName(std::string());
    page->setUrl(dataSource()[indexPath.row]["openurl"].stringValue());
    page->setIsShowSuperVc(true);
    if (auto navigation = navigationController()) navigation->pushViewController(page, true);
}
