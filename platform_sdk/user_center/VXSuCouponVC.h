#pragma once
// The coupon centre, "抵扣券领取": the current game's coupons a player may claim, one by a row tap or
// all at once; claimed rows collapse. Its bar button opens the player's own coupons. Scene
// "VXSuCouponVC" of the storyboard "VXSuTabBarVC" (a box-app banner above the list, the claim-all
// bar below it).

#include "os/uikit/Button.h"
#include "platform_sdk/user_center/VXRefreshViewController.h"
#include "platform_sdk/user_center/VXSuCouponModel.h"

#include <set>

class VXSuCouponVC;
using VXSuCouponVCRef = ns::Ref<VXSuCouponVC>;

class VXSuCouponVC : public VXRefreshViewController {
public:
    static void registerInterfaceFile();
    // A new screen from its storyboard scene.
    static VXSuCouponVCRef instantiate();

    // "我的抵扣券", made on first access.
    const ui::ButtonRef& navBtn();

    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    void tableViewDidTriggerHeaderRefresh() override;
    void goToMyCouponVC();
    // Scene actions.
    void getAllCoupons();
    void goToBox();

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;
    std::optional<double> heightForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;
    void didSelectRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

private:
    void _initUI();
    VXSuCouponModelRef modelAt(long row);
    void claim(const VXSuCouponModelRef& model);
    // The row that shows the model now (found by identity), if any.
    std::optional<long> rowOf(const VXSuCouponModelRef& model);

    ui::ButtonRef navBtn_;
    // Coupons whose claim is out: a second tap sends nothing.
    std::set<const VXSuCouponModel*> claiming_;
};
