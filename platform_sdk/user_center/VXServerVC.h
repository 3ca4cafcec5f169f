#pragma once
// Welfare page "开服": the game's server openings ("Server/lists2"), paged with the auto-loading
// footer and no pull-down, and the dynamic-opening explanation above the rows when the server
// says so. A storyboard scene ("VXServerVC") with its own copy of the list base's paging.

#include "os/uikit/TableView.h"
#include "os/uikit/ViewController.h"
#include "platform_sdk/user_center/VXPageState.h"

class VXServerVC : public ui::ViewController, public ui::TableViewDelegate, public ui::TableViewDataSource {
public:
    ns::Array& dataSource() { return dataSource_; }
    int page() const { return pageState_.page; }
    int totalPage() const { return pageState_.totalPage; }
    bool showRefreshHeader() const { return showRefreshHeader_; }
    void setShowRefreshHeader(bool show) { showRefreshHeader_ = show; }
    bool showRefreshFooter() const { return showRefreshFooter_; }
    void setShowRefreshFooter(bool show);
    // Outlet (the scene connects its data source and delegate).
    ns::Weak<ui::TableView> tableView;
    // The explanation, made on first access.
    const ui::ViewRef& headView();

    void viewDidLoad() override;
    void tableViewDidTriggerHeaderRefresh();
    void tableViewDidTriggerFooterRefresh();
    void tableViewDidFinishTriggerHeader(bool isHeader, bool reload);

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

    static void registerInterfaceFile();

private:
    void load(const VXPageState::Load& load);

    ns::Array dataSource_;
    VXPageState pageState_;
    bool showRefreshHeader_ = false;
    bool showRefreshFooter_ = false;
    ui::ViewRef headView_;
};
