#pragma once
// A statement of platform coins, star coins or vouchers: income and spending tabs, and for star coins
// and vouchers a menu of sources sent as "screen". Scene "VXSuBillVC" of the storyboard
// "VXSuTabBarVC"; the kind is set before the view loads (isPtb wins over isStars).

#include "os/uikit/Button.h"
#include "os/uikit/Label.h"
#include "platform_sdk/user_center/VXRefreshViewController.h"
#include "widgets/VXDropdownMenu.h"

#include <cstdint>
#include <string>
#include <vector>

class VXSuBillVC;
using VXSuBillVCRef = ns::Ref<VXSuBillVC>;

class VXSuBillVC : public VXRefreshViewController, public VXDropdownMenuDataSource, public VXDropdownMenuDelegate {
public:
    static void registerInterfaceFile();
    // A new screen from its storyboard scene.
    static VXSuBillVCRef instantiate();

    ns::Weak<ui::View> bgView;
    ns::Weak<ui::Button> oneBtn; // income; any other tab button is spending
    ns::Weak<ui::View> indicator;
    ns::Weak<ui::Button> nowBtn;
    const VXDropdownMenuRef& menu();
    const std::vector<std::string>& menuArr() const { return menuArr_; }
    const std::string& url() const { return url_; }
    int64_t flag() const { return flag_; }
    ns::Weak<ui::Label> showL;
    bool isStars() const { return isStars_; }
    void setIsStars(bool v) { isStars_ = v; }
    bool isPtb() const { return isPtb_; }
    void setIsPtb(bool v) { isPtb_ = v; }
    // Whether the rows on screen were loaded as income (their sign follows it).
    bool loadedIncome() const { return loadedIncome_; }

    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    void doTypeBtnClick(const ui::ButtonRef& button);
    void tableViewDidTriggerHeaderRefresh() override;
    void tableViewDidTriggerFooterRefresh() override;

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

    long numberOfOptionsInDropdownMenu(const VXDropdownMenuRef& menu) override;
    double heightForOptionAtIndex(const VXDropdownMenuRef& menu, long index) override;
    std::string titleForOptionAtIndex(const VXDropdownMenuRef& menu, long index) override;
    void didSelectOptionAtIndex(const VXDropdownMenuRef& menu, long index, const std::string& optionTitle) override;

private:
    void _initUI();
    PageRequest request();

    VXDropdownMenuRef menu_;
    std::vector<std::string> menuArr_;
    std::string url_;
    int64_t flag_ = 0;
    bool isStars_ = false;
    bool isPtb_ = false;
    bool loadedIncome_ = true;
};
