#pragma once
// The sub-account picker, the last step of a login: lists the account's sub-accounts, adds one,
// and checks the chosen one with the server before handing it to the login window.

#include "os/uikit/Button.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/TableView.h"
#include "os/uikit/ViewController.h"
#include "platform_sdk/VXSubViewModel.h"

#include <functional>
#include <vector>

class VXSubView;
using VXSubViewRef = ns::Ref<VXSubView>;

class VXSubView : public ui::View, public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    static VXSubViewRef fromXib();
    static void registerInterfaceFile();

    ns::Weak<ui::TableView> tableView;
    ns::Weak<ui::Label> nameL;
    ns::Weak<ui::ImageView> iconView;
    std::vector<ns::Ref<VXSubViewModel>> dataSource;
    // The screen that presents the picker's alerts.
    ns::Weak<ui::ViewController> myVC;
    std::function<void(const ns::Ref<VXSubViewModel>& model)> loginBlock;

    void awakeFromNib() override;
    // Asks the list afresh ("login/xiaohao").
    void loadData();
    void addSub(const ui::ButtonRef& sender);
    void addSubNameWithName(const std::string& name);
    void checkLoginDataWithModel(const ns::Ref<VXSubViewModel>& model);
    void showAlterWithTitle(const std::optional<std::string>& message);
    // Empties the list and removes the picker, uncovering the login panels.
    void doLogout();

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;
    void didSelectRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

private:
    void _initUI();
    ns::Dictionary listParameters() const;
};
