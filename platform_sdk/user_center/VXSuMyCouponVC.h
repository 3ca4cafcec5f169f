#pragma once
// "我的抵扣券": the player's own coupons, page by page, under a two-way filter bar: usable ("可用",
// status "1") and not usable ("不可用", "0"). The chosen filter is the disabled button.

#include "os/uikit/Button.h"
#include "platform_sdk/user_center/VXRefreshViewController.h"

#include <optional>
#include <string>

class VXSuMyCouponVC;
using VXSuMyCouponVCRef = ns::Ref<VXSuMyCouponVC>;

class VXSuMyCouponVC : public VXRefreshViewController {
public:
    // The filter bar, made on first access.
    const ui::ViewRef& topView();
    ns::Weak<ui::View> indicator;
    ns::Weak<ui::Button> nowBtn;
    const std::optional<std::string>& status() const { return status_; }
    // The status the rows on screen were loaded for (their look follows it).
    const std::optional<std::string>& loadedStatus() const { return loadedStatus_; }

    void viewDidLoad() override;
    void btnClick(const ui::ButtonRef& button);
    void tableViewDidTriggerHeaderRefresh() override;
    void tableViewDidTriggerFooterRefresh() override;

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

private:
    void _initUI();
    PageRequest request();

    ui::ViewRef topView_;
    std::optional<std::string> status_;
    std::optional<std::string> loadedStatus_;
};
