#pragma once
// What both booking lists share: the cell, the page requests ("username", "type" ios, "cpsId",
// "pagecode"; top-level "lists", "now_page", "total_page"), the table under the top bar, and any
// row opening the box-app page.

#include "platform_sdk/user_center/VXRefreshViewController.h"
#include "platform_sdk/user_center/VXSuOrderModel.h"

#include <string>

class VXSuOrderListVC : public VXRefreshViewController {
public:
    void tableViewDidTriggerHeaderRefresh() override;
    void tableViewDidTriggerFooterRefresh() override;
    void viewWillLayoutSubviews() override;

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;
    void didSelectRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

protected:
    // Title, cell and the first page.
    void setUp(const std::string& title);
    virtual std::string path() const = 0;

private:
    PageRequest pageRequest();
};
