#pragma once
// The message centre ("消息中心"): the player's messages, paged ("Mynews/listnews", its own key
// names). A row opens the message's page; an unread one is also marked read on the server, and
// refreshBlock tells the mine page to lower its badge.

#include "platform_sdk/user_center/VXRefreshViewController.h"
#include "platform_sdk/user_center/VXUserMsgModel.h"

#include <functional>

class VXUserMsgVC : public VXRefreshViewController {
public:
    // Run once for every message that turns from unread to read.
    std::function<void()> refreshBlock;

    void viewDidLoad() override;
    void tableViewDidTriggerHeaderRefresh() override;
    void tableViewDidTriggerFooterRefresh() override;
    void readNewsWithModel(const VXUserMsgModelRef& model);

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;
    void didSelectRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

    VXUserMsgModelRef modelAt(long row) const;

private:
    void _initUI();
    PageRequest pageRequest();
};
