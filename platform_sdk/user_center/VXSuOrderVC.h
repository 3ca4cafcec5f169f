#pragma once
// The booking lists: "游戏预约" (the bookable games, with a bar button to the player's own list)
// and "我的预约". Both paged on the list base over the same cell; any row opens the box-app page.

#include "os/uikit/Button.h"
#include "platform_sdk/user_center/VXRefreshViewController.h"
#include "platform_sdk/user_center/VXSuOrderModel.h"

#include <string>

// What both lists share.
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

class VXSuOrderVC : public VXSuOrderListVC {
public:
    // "我的预约", made on first access.
    const ui::ButtonRef& navBtn();
    void viewDidLoad() override;
    void goToMyOrderVc();

protected:
    std::string path() const override;

private:
    ui::ButtonRef navBtn_;
};

class VXSuMyOrderVC : public VXSuOrderListVC {
public:
    void viewDidLoad() override;

protected:
    std::string path() const override;
};
