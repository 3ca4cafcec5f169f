#pragma once
// Welfare page "礼包": the game's gift packs of one kind at a time, picked with a row of kind
// buttons (kind = tag − 10), in a card whose table grows with its rows (120 pt each). A storyboard
// scene ("VXGiftVC").

#include "os/uikit/Button.h"
#include "os/uikit/LayoutConstraint.h"
#include "os/uikit/TableView.h"
#include "os/uikit/ViewController.h"
#include "platform_sdk/user_center/VXPageState.h"

class VXGiftVC : public ui::ViewController, public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    // Outlets.
    ns::Weak<ui::View> giftView;
    ns::Weak<ui::View> btnsView;
    ns::Weak<ui::Button> nowBtn;
    ns::Weak<ui::Button> oneBtn;
    ns::Weak<ui::TableView> tableView;
    ns::Weak<ui::LayoutConstraint> tableViewH;
    // The gift dictionaries of the current kind.
    const ns::Array& dataSource() const { return dataSource_; }

    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    // A kind button.
    void doBtnClick(const ui::ButtonRef& button);
    void loadData();

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

    static void registerInterfaceFile();

private:
    ns::Array dataSource_;
    VXPageState loads_; // only its generation: a newer kind's load overtakes an older one
};
