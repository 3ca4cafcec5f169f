#include "platform_sdk/user_center/VXServerVC.h"

#include "os/dispatch/Queue.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/user_center/VXServerCell.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "widgets/UIScrollView+VXRefresh.h"
#include "widgets/VXRefreshAutoNormalFooter.h"

void VXServerVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    // _initUI
    view()->setBackgroundColor(ui::Color::clearColor());
    if (auto table = tableView.lock()) {
        table->registerNib(VXUserCentre::nib("VXServerCell"), "VXServerCell");
        table->setBackgroundColor(ui::Color::clearColor());
        table->setRowHeight(44);
    }
    tableViewDidTriggerHeaderRefresh();
}

void VXServerVC::setShowRefreshFooter(bool show) {
    if (show == showRefreshFooter_) return;
    showRefreshFooter_ = show;
    auto table = tableView.lock();
    if (!show) {
        VXRefresh::setVX_footer(table, nullptr);
        return;
    }
    ns::Weak<VXServerVC> weak = ref<VXServerVC>();
    auto footer = VXRefreshAutoNormalFooter::footerWithRefreshingBlock([weak] {
        if (auto self = weak.lock()) self->tableViewDidTriggerFooterRefresh();
    });
    footer->setTitle("已全部加载完毕", VXRefreshStateNoMoreData);
    VXRefresh::setVX_footer(table, footer);
    footer->setAccessibilityIdentifier("refresh_footer");
}

const ui::ViewRef& VXServerVC::headView() {
    if (!headView_) {
        double w = view()->bounds().size.width;
        headView_ = ui::View::create(cg::Rect{{0, 0}, {w, 80}});
        // 16 pt is shorter than a line of the CJK font: the label keeps that line's centre and
        // takes its height, so the text is not cut.
        auto title = ui::View::create<ui::Label>(cg::Rect{{0, 7}, {w, 22}});
        title->setText("开服说明：动态开服");
        title->setTextColor(ui::Color::blackColor());
        title->setFont(ui::Font::systemFontOfSize(15, ui::FontWeight::Medium));
        title->setTextAlignment(ui::TextAlignment::Center);
        headView_->addSubview(title);
        auto detail = ui::View::create<ui::Label>(cg::Rect{{0, 36}, {w, 40}});
        detail->setText("动态开服即上一区服玩家人数达到要求后自动开启下一区服，请以游戏内具体区服为准");
        detail->setFont(ui::Font::systemFontOfSize(14));
        detail->setTextColor(ui::Color::darkGrayColor());
        detail->setNumberOfLines(0);
        detail->setTextAlignment(ui::TextAlignment::Center);
        headView_->addSubview(detail);
    }
    return headView_;
}

void VXServerVC::tableViewDidTriggerHeaderRefresh() { load(pageState_.beginFirstPage()); }

void VXServerVC::tableViewDidTriggerFooterRefresh() { load(pageState_.beginNextPage()); }

void VXServerVC::load(const VXPageState::Load& load) {
    ns::Dictionary parameters{{"gid", ShareVale::sharedInstance()->gameID()}, {"pagecode", load.sentPage}};
    ns::Weak<VXServerVC> weak = ref<VXServerVC>();
    auto success = [weak, load](const ns::Value& reply) {
        auto self = weak.lock();
        if (!self) return;
        VXPageState& state = self->pageState_;
        if (!state.isCurrent(load)) return;
        auto rows = VXPageState::rows(reply, reply["lists"], load.nextPage);
        if (!rows) {
            state.failed(load);
            return self->tableViewDidFinishTriggerHeader(!load.nextPage, false);
        }
        if (!load.nextPage) {
            self->dataSource_.clear();
            if (auto table = self->tableView.lock())
                table->setTableHeaderView(reply["auto"].boolValue() ? self->headView() : nullptr);
        }
        self->dataSource_.insert(self->dataSource_.end(), rows->begin(), rows->end());
        if (load.nextPage) {
            state.applyNextPage(load, reply["now_page"]);
        } else {
            state.applyFirstPage(load, reply["now_page"], reply["total_page"]);
            self->setShowRefreshFooter(true);
        }
        self->tableViewDidFinishTriggerHeader(!load.nextPage, true);
    };
    auto failure = [weak, load](const ns::Ref<ns::Error>&) {
        auto self = weak.lock();
        if (!self || !self->pageState_.isCurrent(load)) return;
        self->pageState_.failed(load);
        self->tableViewDidFinishTriggerHeader(!load.nextPage, false);
    };
    CXRSdpNetTool::sharedTool()->PostWithURLString("Server/lists2", parameters, success, failure);
}

void VXServerVC::tableViewDidFinishTriggerHeader(bool isHeader, bool reload) {
    auto self = ref<VXServerVC>();
    dispatch::async(dispatch::Queue::main(), [self, isHeader, reload] {
        auto table = self->tableView.lock();
        if (!table) return;
        if (reload) table->reloadData();
        auto footer = VXRefresh::VX_footer(table);
        bool more = self->totalPage() > self->page();
        if (isHeader) {
            if (auto header = VXRefresh::VX_header(table)) header->endRefreshing();
            if (self->showRefreshFooter() && footer) {
                if (more) footer->resetNoMoreData();
                else footer->endRefreshingWithNoMoreData();
            }
        } else if (footer) {
            if (more) footer->endRefreshing();
            else footer->endRefreshingWithNoMoreData();
        }
    });
}

long VXServerVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource_.size()); }

ui::TableViewCellRef VXServerVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXServerCell>(table->dequeueReusableCell("VXServerCell", indexPath));
    if (cell && indexPath.row < static_cast<long>(dataSource_.size())) cell->setDic(dataSource_[indexPath.row]);
    return cell;
}
