#pragma once
// The welfare page (scene "VXWelfareVC"): the rebate text with a button to customer service, the
// VIP level table and the welfare text, the last two folding open and shut, from "Sdkdetail/fuli".

#include "os/uikit/Button.h"
#include "os/uikit/LayoutConstraint.h"
#include "os/uikit/TableView.h"
#include "os/uikit/ViewController.h"
#include "widgets/VXShowLabel.h"

class VXWelfareVC : public ui::ViewController, public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    // Outlets.
    ns::Weak<ui::View> fanliView;
    ns::Weak<ui::Label> fanliL;
    ns::Weak<ui::Button> fanliBtn;
    ns::Weak<ui::TableView> tableView;
    ns::Weak<ui::LayoutConstraint> tableViewH;
    ns::Weak<ui::View> vipView;
    ns::Weak<ui::Button> vipBtn;
    ns::Weak<ui::LayoutConstraint> tableViewBottom;
    ns::Weak<VXShowLabel> fuliL;
    ns::Weak<ui::LayoutConstraint> fuliH;
    ns::Weak<ui::LayoutConstraint> fuliBottom;
    ns::Weak<ui::Button> fuliBtn;
    ns::Weak<ui::View> fuliView;
    // Rows: {"item1", "item2"}, the heading row first.
    const ns::Array& dataSource() const { return dataSource_; }

    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    void loadData();
    // Actions.
    void doFanliBtnClick(const ui::ButtonRef& button);
    void showFuliOrClose(const ui::ButtonRef& button);
    void doVipBtnClick(const ui::ButtonRef& button);

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

    static void registerInterfaceFile();

private:
    void apply(const ns::Value& c);
    double threeLines() const;

    ns::Array dataSource_;
};
