#pragma once
// The card on which the player picks a voucher for the order being paid (scene "VXCouponsVC" of
// storyboard "VXNewPayVC"). It lists the player's vouchers for `money` and hands the chosen one's
// model to couponsBlock. No toast on any path.

#include "os/uikit/LayoutConstraint.h"
#include "os/uikit/TableView.h"
#include "os/uikit/ViewController.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/VXCouponsModel.h"

#include <functional>
#include <vector>

class VXCouponsVC : public ui::ViewController, public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    using CouponsBlock = std::function<void(const ns::Ref<VXCouponsModel>& model)>;

    ns::Weak<ui::View> couponsView;
    std::vector<ns::Ref<VXCouponsModel>>& dataSource() { return dataSource_; }
    ui::TableViewRef tableView;
    ns::Ref<NetWorkManager> manager();
    ns::Weak<ui::LayoutConstraint> left;
    std::optional<std::string> money;
    CouponsBlock couponsBlock;

    void viewDidLoad() override;
    void loadData();
    void doCancel(const ns::Ref<ns::Object>& sender);
    void goToGameBox();
    bool shouldAutorotate() const override { return false; }

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

private:
    std::vector<ns::Ref<VXCouponsModel>> dataSource_;
    ns::Ref<NetWorkManager> manager_;
};

// The "VXNewPayVC" storyboard's picker scene (VXCouponsVC.layout.cpp).
void registerVXCouponsVCScene();
