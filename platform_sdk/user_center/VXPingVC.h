#pragma once
// The comment page of the strategy tab: the rules banner, the "游戏点评" bar with the sort menu, the
// paged and pull-to-refresh list of comments, and the comment bar at the bottom. A row opens its
// thread. Lays itself out each time it appears.

#include "os/uikit/ImageView.h"
#include "platform_sdk/user_center/VXRefreshViewController.h"
#include "widgets/VXDropdownMenu.h"
#include "widgets/VXInputView.h"

#include <string>
#include <vector>

class VXPingVC;
using VXPingVCRef = ns::Ref<VXPingVC>;

class VXPingVC : public VXRefreshViewController,
                 public VXInputViewDelegate,
                 public VXDropdownMenuDataSource,
                 public VXDropdownMenuDelegate {
public:
    // The comment bar (the design's inputView; renamed, as responders have an inputView already).
    const VXInputViewRef& commentInputView();
    const ui::ViewRef& topView();
    const VXDropdownMenuRef& menu();
    const std::vector<std::string>& menuArr() const { return menuArr_; }
    // The sort sent as "px": 0 by time, 1 by popularity.
    long flag() const { return flag_; }
    const ui::ImageViewRef& picView();

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void tableViewDidTriggerHeaderRefresh() override;
    void tableViewDidTriggerFooterRefresh() override;

    void inputViewDidClickSendButton(const VXInputViewRef& inputView) override;
    void doCommitWithText(const std::string& text);
    void goToRoleVC();

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;
    void didSelectRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

    long numberOfOptionsInDropdownMenu(const VXDropdownMenuRef& menu) override;
    double heightForOptionAtIndex(const VXDropdownMenuRef& menu, long index) override;
    std::string titleForOptionAtIndex(const VXDropdownMenuRef& menu, long index) override;
    void didSelectOptionAtIndex(const VXDropdownMenuRef& menu, long index, const std::string& optionTitle) override;

private:
    void _initUI();
    PageRequest request();

    VXInputViewRef inputView_;
    ui::ViewRef topView_;
    VXDropdownMenuRef menu_;
    std::vector<std::string> menuArr_;
    long flag_ = 0;
    ui::ImageViewRef picView_;
};
