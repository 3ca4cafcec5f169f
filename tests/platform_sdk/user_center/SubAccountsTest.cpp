// The sub-account screen: the list with expandable rows, adding and renaming with the 1-8 unit
// name check, and logout, against the login road's sub-accounts on the stand-in.
#include "platform_sdk/user_center/VXSuSuNameCell.h"
#include "platform_sdk/user_center/VXSuSubNameVC.h"
#include "tests/platform_sdk/user_center/MineFixture.h"
#include "widgets/VXProgressHUD.h"

namespace {

using vx::test::MineTest;
namespace driver = ui::driver;

class SubAccountsTest : public MineTest {
protected:
    void SetUp() override {
        MineTest::SetUp();
        seedSubAccounts();
    }
    // From the mine page's row, with its first list shown.
    VXSuSubNameVCRef openSubAccounts() {
        openMine();
        if (::testing::Test::HasFatalFailure()) return nullptr;
        tapArea("subname");
        if (::testing::Test::HasFatalFailure()) return nullptr;
        driver::advance(0.35);
        auto screen = std::dynamic_pointer_cast<VXSuSubNameVC>(nav->topViewController());
        if (screen) runMainUntil([&] { return screen->dataSource().size() == 2; });
        return screen;
    }
    ui::TableViewRef table(const VXSuSubNameVCRef& screen) { return screen->tableView.lock(); }
    // Types the name into the open alert and confirms it.
    void confirmName(const std::string& name) {
        auto alert = driver::presentedAlert(window);
        ASSERT_TRUE(alert);
        driver::typeIntoAlertField(alert, 0, name);
        driver::tapAlertAction(alert, "确认");
        driver::advance(0.3);
    }
};

TEST_F(SubAccountsTest, ListsRowsThatExpandWithoutAnimation) {
    VXSuSubNameVCRef screen;
    ASSERT_NO_FATAL_FAILURE(screen = openSubAccounts());
    ASSERT_TRUE(screen);
    EXPECT_EQ(text(screen->nameL), "player01");
    auto sent = server.requests("Sdkhome/myxiaohao").at(0).params;
    EXPECT_EQ(sent["username"], ns::Value("player01"));
    EXPECT_EQ(sent["gid"], ns::Value("1001"));
    auto t = table(screen);
    ASSERT_EQ(driver::rowCount(t, 0), 2);
    auto first = driver::cell<VXSuSuNameCell>(t, ui::IndexPath::forRow(0, 0));
    EXPECT_EQ(text(first->nameL), "战士一号");
    EXPECT_TRUE(first->lastL.lock()->isHidden());
    EXPECT_FALSE(driver::cell<VXSuSuNameCell>(t, ui::IndexPath::forRow(1, 0))->lastL.lock()->isHidden());
    EXPECT_EQ(driver::rowHeight(t, ui::IndexPath::forRow(0, 0)), 66);
    EXPECT_TRUE(first->titlesView.lock()->isHidden());

    driver::tap(first->btn.lock());
    EXPECT_FALSE(t->indexPathForSelectedRow()) << "the expand button does not select the row";
    EXPECT_FALSE(driver::presentedAlert(window));
    EXPECT_EQ(t->lastRowAnimation(), ui::TableViewRowAnimation::None);
    EXPECT_EQ(driver::rowHeight(t, ui::IndexPath::forRow(0, 0)), 96);
    first = driver::cell<VXSuSuNameCell>(t, ui::IndexPath::forRow(0, 0));
    EXPECT_FALSE(first->titlesView.lock()->isHidden());
    EXPECT_TRUE(first->btn.lock()->isSelected());
    EXPECT_EQ(first->btnBottom.lock()->constant(), 40);
    EXPECT_EQ(text(first->roleL), "角色名：剑圣");
    EXPECT_EQ(text(first->levelL), "等级：58");
    EXPECT_EQ(text(first->serverL), "区服：华东一区");

    // A reload collapses every row; a refused list changes nothing and says nothing.
    screen->loadData();
    ASSERT_TRUE(runMainUntil([&] { return !screen->dataSource()[0]->isShow; }));
    EXPECT_EQ(driver::rowHeight(t, ui::IndexPath::forRow(0, 0)), 66);
    server.scriptNext("Sdkhome/myxiaohao", reply(ns::Dictionary{{"a", 0}, {"b", "不显示"}}));
    ASSERT_NO_FATAL_FAILURE(exchange("Sdkhome/myxiaohao", [&] { screen->loadData(); }));
    EXPECT_EQ(driver::rowCount(t, 0), 2);
    EXPECT_FALSE(toast("不显示"));
    server.scriptNext("Sdkhome/myxiaohao", reply(ns::Dictionary{{"a", 1}, {"c", ns::Array{"x", 5, ns::Dictionary{{"nickname", 7}}}}}));
    ASSERT_NO_FATAL_FAILURE(exchange("Sdkhome/myxiaohao", [&] { screen->loadData(); }));
    ASSERT_EQ(driver::rowCount(t, 0), 1) << "rows that are not dictionaries are skipped";
    EXPECT_EQ(text(driver::cell<VXSuSuNameCell>(t, ui::IndexPath::forRow(0, 0))->nameL), "7");
}

TEST_F(SubAccountsTest, NamesOfOneToEightUnitsAreSentAndOthersRefused) {
    VXSuSubNameVCRef screen;
    ASSERT_NO_FATAL_FAILURE(screen = openSubAccounts());
    ASSERT_TRUE(screen);
    size_t sent = 0;
    for (auto [name, ok] : std::vector<std::pair<std::string, bool>>{
             {"", false}, {"123456789", false}, {"😀😀😀😀😀", false}, {"12345678", true}, {"😀😀😀😀", true}}) {
        screen->addSubName();
        driver::advance(0.3);
        ASSERT_NO_FATAL_FAILURE(confirmName(name));
        if (ok) {
            ++sent;
            ASSERT_TRUE(awaitRequests("login/addxiaohao", sent)) << name;
            EXPECT_EQ(server.requests("login/addxiaohao").back().params["x"], ns::Value(name));
            ASSERT_TRUE(runMainUntil([&] { return !VXProgressHUD::HUDForView(screen->view()); }));
        } else {
            EXPECT_TRUE(toast("请输入有效字符")) << name;
        }
    }
    settle();
    EXPECT_EQ(server.requests("login/addxiaohao").size(), sent);
    auto keys = server.requests("login/addxiaohao").at(0).params;
    EXPECT_EQ(keys["z"], ns::Value("player01"));
    EXPECT_EQ(keys["c"], ns::Value("1001"));
    EXPECT_EQ(keys["e"], ns::Value("agent9"));
    EXPECT_EQ(keys["f"], ns::Value("app7"));
    // Each success reloads the list: four rows now, seen by the login picker's list too.
    ASSERT_TRUE(runMainUntil([&] { return screen->dataSource().size() == 4; }));
}

TEST_F(SubAccountsTest, AddRefusalsAndFailuresHideTheHud) {
    VXSuSubNameVCRef screen;
    ASSERT_NO_FATAL_FAILURE(screen = openSubAccounts());
    ASSERT_TRUE(screen);
    server.scriptNext("login/addxiaohao", reply(ns::Dictionary{{"code", 0}, {"msg", "名称已存在"}}));
    screen->addSubNameWithName("重名");
    EXPECT_TRUE(VXProgressHUD::HUDForView(screen->view()));
    ASSERT_TRUE(runMainUntil([&] { return toast("小号名称已存在"); }));
    EXPECT_FALSE(VXProgressHUD::HUDForView(screen->view()));

    server.scriptNext("login/addxiaohao", dropped());
    ASSERT_NO_FATAL_FAILURE(exchange("login/addxiaohao", [&] { screen->addSubNameWithName("断线"); }));
    EXPECT_FALSE(VXProgressHUD::HUDForView(screen->view()));
    EXPECT_EQ(server.requests("Sdkhome/myxiaohao").size(), 1u) << "no reload after a failure";
}

TEST_F(SubAccountsTest, SelectingARowRenamesItAndLogoutReachesThePage) {
    VXSuSubNameVCRef screen;
    ASSERT_NO_FATAL_FAILURE(screen = openSubAccounts());
    ASSERT_TRUE(screen);
    driver::selectRow(table(screen), ui::IndexPath::forRow(1, 0));
    driver::advance(0.3);
    auto alert = driver::presentedAlert(window);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), std::optional<std::string>("修改小号昵称"));
    ASSERT_NO_FATAL_FAILURE(confirmName("新名字"));
    ASSERT_TRUE(runMainUntil([&] { return screen->dataSource().size() == 2 && screen->dataSource()[1]->nickname == std::optional<std::string>("新名字"); }));
    auto sent = server.requests("Sdkhome/editxiaohao").at(0).params;
    EXPECT_EQ(sent["xiaohao"], ns::Value("player01_xh2"));
    EXPECT_EQ(sent["nickname"], ns::Value("新名字"));
    EXPECT_EQ(sent["appid"], ns::Value("app7"));

    server.scriptNext("Sdkhome/editxiaohao", reply(ns::Dictionary{{"a", 0}, {"b", "名称含敏感词"}}));
    screen->doEditSubNameWithModel(screen->dataSource()[0], "坏名字");
    ASSERT_TRUE(runMainUntil([&] { return toast("名称含敏感词"); }));
    server.scriptNext("Sdkhome/editxiaohao", dropped());
    screen->doEditSubNameWithModel(screen->dataSource()[0], "断线");
    ASSERT_TRUE(runMainUntil([&] { return toast("服务器错误"); }));

    int logouts = 0;
    page->logoutBlock = [&] { ++logouts; };
    driver::tap(driver::findButton(screen->view(), "退出登录"));
    EXPECT_EQ(logouts, 1);
}

} // namespace
