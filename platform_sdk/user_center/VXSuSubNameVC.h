#pragma once
// The sub-account screen ("小号管理"): the account's avatar and name, its sub-accounts in
// expandable rows, adding one (alert, then "login/addxiaohao" with the login API's letter keys),
// renaming one (selecting its row) and logout. Scene "VXSuSubNameVC" of the storyboard "VXSuTabBarVC".

#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/TableView.h"
#include "os/uikit/ViewController.h"
#include "platform_sdk/user_center/VXSuSubNameModel.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class VXSuSubNameVC;
using VXSuSubNameVCRef = ns::Ref<VXSuSubNameVC>;

class VXSuSubNameVC : public ui::ViewController, public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    static VXSuSubNameVCRef instantiate();
    static void registerInterfaceFile();

    ns::Weak<ui::ImageView> iconView;
    ns::Weak<ui::Label> nameL;
    ns::Weak<ui::TableView> tableView;

    const std::vector<VXSuSubNameModelRef>& dataSource() const { return dataSource_; }
    std::function<void()> logoutBlock;
    std::optional<std::string> iconUrl;

    // Names of 1 to 8 UTF-16 units pass; anything else toasts "请输入有效字符".
    bool isValidName(const std::string& name);

    void viewDidLoad() override;
    void loadData();
    void addSubName();
    void addSubNameWithName(const std::string& name);
    void showEditSubnameAlterWithModel(const VXSuSubNameModelRef& model);
    void doEditSubNameWithModel(const VXSuSubNameModelRef& model, const std::string& nickname);
    void doLogout();

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;
    std::optional<double> heightForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;
    void didSelectRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

private:
    void _initUI();
    // An alert with one name field, "取消" (destructive) and "确认".
    void nameAlert(const std::string& title, std::function<void(const std::string& name)> confirmed);

    std::vector<VXSuSubNameModelRef> dataSource_;
};
