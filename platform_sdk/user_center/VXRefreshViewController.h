#pragma once
// Base of the user centre's paged list screens: one plain table, the row array, the page
// counters, the navigation bar's title label, and the pull-down header and auto-loading footer
// wired to two hooks that subclasses override to load the first and the next page. It sends no
// request itself; loadFirstPage/loadNextPage carry out the paging pattern for a subclass.

#include "os/foundation/Value.h"
#include "os/uikit/Label.h"
#include "os/uikit/TableView.h"
#include "os/uikit/ViewController.h"
#include "platform_sdk/user_center/VXPageState.h"

#include <functional>
#include <string>

class VXRefreshViewController : public ui::ViewController,
                                public ui::TableViewDelegate,
                                public ui::TableViewDataSource {
public:
    // --- Properties ---
    const ui::LabelRef& navTitleL() const { return navTitleL_; }
    void setNavTitleL(ui::LabelRef label) { navTitleL_ = std::move(label); }
    // Made on first access.
    const ui::TableViewRef& tableView();
    void setTableView(ui::TableViewRef table) { tableView_ = std::move(table); }
    // Row models (objects) or raw row dictionaries.
    ns::Array& dataSource() { return dataSource_; }
    int page() const { return pageState_.page; }
    void setPage(int page) { pageState_.page = page; }
    int totalPage() const { return pageState_.totalPage; }
    void setTotalPage(int totalPage) { pageState_.totalPage = totalPage; }
    bool showRefreshHeader() const { return showRefreshHeader_; }
    virtual void setShowRefreshHeader(bool show);
    bool showRefreshFooter() const { return showRefreshFooter_; }
    virtual void setShowRefreshFooter(bool show);
    // Made on first access.
    const ui::ViewRef& defaultFooterView();
    bool isHeaderRefreshing();
    bool isFooterRefreshing();
    // The counters with the load generation.
    VXPageState& pageState() { return pageState_; }

    // --- Operations ---
    void viewDidLoad() override;
    // Hooks: the header's block calls the first, the footer's the second. Empty here.
    virtual void tableViewDidTriggerHeaderRefresh() {}
    virtual void tableViewDidTriggerFooterRefresh() {}
    // A page request has ended. Queued on the main queue: reload when asked; a header load ends
    // the header and (with the footer on) resets the footer or shows no more data; a footer load
    // ends the footer, or shows no more data once `page` has reached `totalPage`.
    virtual void tableViewDidFinishTriggerHeader(bool isHeader, bool reload);
    // With the header on, runs the header hook at once.
    void autoTriggerHeaderRefresh();

    // One page request of the list over the plain transport.
    struct PageRequest {
        std::string path;
        ns::Dictionary parameters; // "pagecode" is added, as a number
        // The dictionary that holds the list and the page numbers (default: the reply itself).
        std::function<ns::Value(const ns::Value& reply)> container;
        std::string listKey = "lists";
        std::string nowPageKey = "now_page";
        std::string totalPageKey = "total_page";
        // What `dataSource` keeps for the reply's row dictionaries (default: the dictionaries).
        std::function<ns::Array(const ns::Array& rows)> map;
        // Runs after a first page's rows are in, before the finish step.
        std::function<void(const ns::Value& reply)> firstPageApplied;
        // Runs for a reply whose status "a" is not success (its rows are not taken).
        std::function<void(const ns::Value& reply)> refused;
        // The screen's first page takes a reply only when its "a" is 1: a missing status, or a
        // reply that is no dictionary at all, is a refusal too.
        bool firstPageNeedsStatus = false;
    };
    // The paging pattern: page 1 replaces the rows, turns the footer on and finishes (YES, YES);
    // a next page advances `page`, appends and finishes (NO, YES). A transport failure, refusal
    // or missing list finishes without reload and a next page puts `page` back. A reply that a
    // newer first-page load has overtaken only ends its own control.
    void loadFirstPage(PageRequest request);
    void loadNextPage(PageRequest request);

    // --- Table (defaults: one section, no rows, a plain cell) ---
    long numberOfSections(const ui::TableViewRef& /*table*/) override { return 1; }
    long numberOfRows(const ui::TableViewRef& /*table*/, long /*section*/) override { return 0; }
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

protected:
    // Ends the control of a load whose reply no longer counts; a next page's footer only while no
    // newer first page has come back (after that the footer may be refreshing for a newer page).
    virtual void endOvertakenLoad(const VXPageState::Load& load);

private:
    void sendPage(PageRequest request, const VXPageState::Load& load);

    ui::LabelRef navTitleL_;
    ui::TableViewRef tableView_;
    ns::Array dataSource_;
    VXPageState pageState_;
    bool showRefreshHeader_ = false;
    bool showRefreshFooter_ = false;
    ui::ViewRef defaultFooterView_;
};
