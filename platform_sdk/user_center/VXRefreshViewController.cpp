#include "platform_sdk/user_center/VXRefreshViewController.h"

#include "os/dispatch/Queue.h"
#include "os/uikit/NavigationController.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "widgets/UIScrollView+VXRefresh.h"
#include "widgets/VXRefreshAutoNormalFooter.h"
#include "widgets/VXRefreshNormalHeader.h"

void VXRefreshViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    navTitleL_ = ui::View::create<ui::Label>();
    navTitleL_->setFont(ui::Font::systemFontOfSize(18, ui::FontWeight::Medium));
    navTitleL_->setTextColor(ui::Color::blackColor());
    navTitleL_->sizeToFit();
    navigationItem()->setTitleView(navTitleL_);
    // Stored directly: nothing is installed or removed at load.
    pageState_.page = 0;
    showRefreshHeader_ = false;
    showRefreshFooter_ = false;
    view()->setBackgroundColor(ui::Color::whiteColor());
    view()->addSubview(tableView());
}

const ui::TableViewRef& VXRefreshViewController::tableView() {
    if (!tableView_) {
        tableView_ = ui::View::create<ui::TableView>();
        auto self = ref<VXRefreshViewController>();
        tableView_->setDelegate(ns::Weak<ui::TableViewDelegate>(self));
        tableView_->setDataSource(ns::Weak<ui::TableViewDataSource>(self));
        tableView_->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
        tableView_->setTableFooterView(defaultFooterView());
        tableView_->setShowsVerticalScrollIndicator(false);
    }
    return tableView_;
}

const ui::ViewRef& VXRefreshViewController::defaultFooterView() {
    if (!defaultFooterView_) defaultFooterView_ = ui::View::create();
    return defaultFooterView_;
}

void VXRefreshViewController::setShowRefreshHeader(bool show) {
    if (show == showRefreshHeader_) return;
    showRefreshHeader_ = show;
    if (!show) {
        VXRefresh::setVX_header(tableView(), nullptr);
        return;
    }
    ns::Weak<VXRefreshViewController> weak = ref<VXRefreshViewController>();
    auto header = VXRefreshNormalHeader::headerWithRefreshingBlock([weak] {
        if (auto self = weak.lock()) self->tableViewDidTriggerHeaderRefresh();
    });
    VXRefresh::setVX_header(tableView(), header);
    header->stateLabel()->setHidden(true);
    header->setAccessibilityIdentifier("refresh_header");
}

void VXRefreshViewController::setShowRefreshFooter(bool show) {
    if (show == showRefreshFooter_) return;
    showRefreshFooter_ = show;
    if (!show) {
        VXRefresh::setVX_footer(tableView(), nullptr);
        return;
    }
    ns::Weak<VXRefreshViewController> weak = ref<VXRefreshViewController>();
    auto footer = VXRefreshAutoNormalFooter::footerWithRefreshingBlock([weak] {
        if (auto self = weak.lock()) self->tableViewDidTriggerFooterRefresh();
    });
    footer->setTitle("已全部加载完毕", VXRefreshStateNoMoreData);
    VXRefresh::setVX_footer(tableView(), footer);
    footer->setAccessibilityIdentifier("refresh_footer");
}

bool VXRefreshViewController::isHeaderRefreshing() {
    auto header = VXRefresh::VX_header(tableView());
    return showRefreshHeader_ && header && header->isRefreshing();
}

bool VXRefreshViewController::isFooterRefreshing() {
    auto footer = VXRefresh::VX_footer(tableView());
    return showRefreshFooter_ && footer && footer->isRefreshing();
}

void VXRefreshViewController::tableViewDidFinishTriggerHeader(bool isHeader, bool reload) {
    auto self = ref<VXRefreshViewController>();
    dispatch::async(dispatch::Queue::main(), [self, isHeader, reload] {
        const auto& table = self->tableView();
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

void VXRefreshViewController::endOvertakenLoad(const VXPageState::Load& load) {
    if (load.nextPage && !pageState_.footerWaitsFor(load)) return;
    bool isHeader = !load.nextPage;
    ns::Weak<VXRefreshViewController> weak = ref<VXRefreshViewController>();
    dispatch::async(dispatch::Queue::main(), [weak, isHeader] {
        auto self = weak.lock();
        if (!self) return;
        const auto& table = self->tableView();
        if (isHeader) {
            if (auto header = VXRefresh::VX_header(table); header && header->isRefreshing()) header->endRefreshing();
        } else if (auto footer = VXRefresh::VX_footer(table); footer && footer->isRefreshing()) {
            if (self->totalPage() > self->page()) footer->endRefreshing();
            else footer->endRefreshingWithNoMoreData();
        }
    });
}

void VXRefreshViewController::autoTriggerHeaderRefresh() {
    if (showRefreshHeader_) tableViewDidTriggerHeaderRefresh();
}

ui::TableViewCellRef VXRefreshViewController::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = table->dequeueReusableCell("UITableViewCell");
    return cell ? cell : ui::TableViewCell::create(ui::TableViewCellStyle::Default, "UITableViewCell");
}

void VXRefreshViewController::loadFirstPage(PageRequest request) { sendPage(std::move(request), pageState_.beginFirstPage()); }

void VXRefreshViewController::loadNextPage(PageRequest request) { sendPage(std::move(request), pageState_.beginNextPage()); }

void VXRefreshViewController::sendPage(PageRequest request, const VXPageState::Load& load) {
    ns::Dictionary parameters = request.parameters;
    parameters.set("pagecode", load.sentPage);
    ns::Weak<VXRefreshViewController> weak = ref<VXRefreshViewController>();
    auto shared = std::make_shared<PageRequest>(std::move(request));
    auto success = [weak, shared, load](const ns::Value& reply) {
        auto self = weak.lock();
        if (!self) return;
        bool isHeader = !load.nextPage;
        VXPageState& state = self->pageState_;
        if (!state.isCurrent(load)) return self->endOvertakenLoad(load);
        ns::Value container = shared->container ? shared->container(reply) : reply;
        bool refused = isHeader && shared->firstPageNeedsStatus ? reply["a"].integerValue() != 1
                                                                : VXPageState::isRefusal(reply);
        std::optional<ns::Array> rows;
        if (!refused) rows = VXPageState::rows(reply, container[shared->listKey], load.nextPage);
        if (!rows) {
            state.failed(load);
            state.firstPageEnded(load);
            if (refused && shared->refused) shared->refused(reply);
            return self->tableViewDidFinishTriggerHeader(isHeader, false);
        }
        ns::Array mapped = shared->map ? shared->map(*rows) : *rows;
        if (isHeader) {
            self->dataSource_.clear();
            self->dataSource_.insert(self->dataSource_.end(), mapped.begin(), mapped.end());
            state.applyFirstPage(load, container[shared->nowPageKey], container[shared->totalPageKey]);
            state.firstPageEnded(load);
            if (shared->firstPageApplied) shared->firstPageApplied(reply);
            self->setShowRefreshFooter(true);
        } else {
            self->dataSource_.insert(self->dataSource_.end(), mapped.begin(), mapped.end());
            state.applyNextPage(load, container[shared->nowPageKey]);
        }
        self->tableViewDidFinishTriggerHeader(isHeader, true);
    };
    auto failure = [weak, load](const ns::Ref<ns::Error>&) {
        auto self = weak.lock();
        if (!self) return;
        if (!self->pageState_.isCurrent(load)) return self->endOvertakenLoad(load);
        self->pageState_.failed(load);
        self->pageState_.firstPageEnded(load);
        self->tableViewDidFinishTriggerHeader(!load.nextPage, false);
    };
    CXRSdpNetTool::sharedTool()->PostWithURLString(shared->path, parameters, success, failure);
}
