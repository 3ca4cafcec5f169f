// The real-name panel (layout by the server's word, checks, outcomes on the card and on a cover)
// and the sub-account picker (listing with reused cells, wrong-typed replies, adding, choosing).
#include "os/uikit/AlertController.h"
#include "platform_sdk/VXLoginRzView.h"
#include "platform_sdk/VXSubView.h"
#include "platform_sdk/VXSubViewCell.h"
#include "server/ServerState.h"
#include "tests/platform_sdk/LoginFixture.h"
#include "widgets/VXProgressHUD.h"

namespace {

namespace driver = ui::driver;
using ns::Value;

class RealNameTest : public vx::test::LoginTest {
protected:
    void SetUp() override {
        LoginTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(signIn("player01"));
        card = ui::View::create(cg::RectMake(37.5, 150, 300, 310));
        game->addSubview(card);
    }
    VXLoginRzViewRef panelOnCard(bool mandatory) {
        auto panel = VXLoginRzView::fromXib();
        auto data = LoginResult::responseWithDic(ns::Dictionary{{"z", 1}, {"frz", mandatory ? 1 : 0}, {"nrz", 0}});
        panel->setLoginData(data);
        panel->rzBlock = [this] { ++blocks; };
        card->addSubview(panel);
        return panel;
    }
    ui::ViewRef card;
    int blocks = 0;
};

TEST_F(RealNameTest, LayoutFollowsWhetherTheCheckIsMandatory) {
    auto fresh = VXLoginRzView::fromXib();
    EXPECT_FALSE(fresh->closeBtn.lock()->isHidden()) << "the nib's own layout is the optional one";
    EXPECT_EQ(driver::findButton(fresh, "提交认证")->frame().origin.x, 157.5);
    auto must = panelOnCard(true);
    auto submit = driver::findButton(must, "提交认证");
    EXPECT_TRUE(must->closeBtn.lock()->isHidden());
    EXPECT_EQ(submit->frame(), cg::RectMake(15, 240, 270, 44)) << "one wide button";
    must->setLoginData(LoginResult::responseWithDic(ns::Dictionary{{"frz", "0"}}));
    EXPECT_FALSE(must->closeBtn.lock()->isHidden());
    EXPECT_EQ(submit->frame(), cg::RectMake(157.5, 240, 127.5, 44));
}

TEST_F(RealNameTest, SubmitsOnceAndReportsTheNewStatus) {
    auto panel = panelOnCard(true);
    driver::tap(driver::findButton(panel, "提交认证"));
    EXPECT_TRUE(driver::findLabel(panel, "请输入姓名")) << "the name is looked at first";
    driver::typeText(panel->nameF.lock(), "张三");
    driver::tap(driver::findButton(panel, "提交认证"));
    EXPECT_TRUE(driver::findLabel(panel, "请输入身份证号"));
    driver::typeText(panel->codeF.lock(), "110101200001011234");
    server.withState([](vx::server::PlatformServer::State& s) { s.loginArea.realNameResult = 1; });
    server.holdNext("login/idcheck");
    driver::tap(driver::findButton(panel, "提交认证"));
    driver::tap(driver::findButton(panel, "提交认证"));
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    server.releaseHeld();
    ASSERT_TRUE(runMainUntil([&] { return blocks > 0; }));
    settle();
    EXPECT_EQ(server.requests("login/idcheck").size(), 1u);
    EXPECT_EQ(blocks, 1);
    EXPECT_FALSE(panel->superview());
    EXPECT_EQ(panel->nameF.lock()->text(), "");
    EXPECT_EQ(panel->loginData()->rzStatus, Value(1));
    EXPECT_FALSE(panel->loginData()->isMustRZ);
    EXPECT_EQ(ShareVale::sharedInstance()->isRz(), Value(1));

    // Refused: the message, the panel stays, a new try is possible.
    server.withState([](vx::server::PlatformServer::State& s) { s.loginArea.refuseRealName = "身份证号与姓名不符"; });
    card->addSubview(panel);
    driver::typeText(panel->nameF.lock(), "李四");
    driver::typeText(panel->codeF.lock(), "110101200001011234");
    driver::tap(driver::findButton(panel, "提交认证"));
    ASSERT_TRUE(runMainUntil([&] { return driver::findLabel(panel, "身份证号与姓名不符") != nullptr; }));
    EXPECT_EQ(panel->superview(), card);
    EXPECT_FALSE(panel->isSubmitting());
}

TEST_F(RealNameTest, ClosingRunsTheBlockOnlyWithoutACover) {
    auto panel = panelOnCard(false);
    driver::tap(driver::findButton(panel, "以后再说"));
    EXPECT_EQ(blocks, 1);
    EXPECT_FALSE(panel->superview());

    auto cover = ui::View::create(game->bounds());
    game->addSubview(cover);
    auto mine = VXLoginRzView::fromXib();
    mine->isShowCover = true;
    mine->rzBlock = [this] { ++blocks; };
    cover->addSubview(mine);
    driver::tap(driver::findButton(mine, "以后再说"));
    EXPECT_EQ(blocks, 1) << "the user centre's close runs nothing";
    EXPECT_FALSE(cover->superview());
    EXPECT_FALSE(mine->superview());

    // The reward link opens the box page; without one it opens nothing.
    auto again = panelOnCard(false);
    driver::tap(driver::findButton(again, "实名奖励领取"));
    EXPECT_TRUE(ui::Application::shared().openedURLs().empty());
    ShareVale::sharedInstance()->setIosWapBoxUrl(Value("http://box.example/b"));
    driver::tap(driver::findButton(again, "实名奖励领取"));
    ASSERT_EQ(ui::Application::shared().openedURLs().size(), 1u);
}

class PickerTest : public RealNameTest {
protected:
    VXSubViewRef picker() {
        auto p = VXSubView::fromXib();
        p->myVC = game->rootViewController();
        p->loginBlock = [this](const ns::Ref<VXSubViewModel>& m) { chosen.push_back(m->username.value_or("")); };
        card->addSubview(p);
        return p;
    }
    static ns::Dictionary row(const std::string& nick, const std::string& user, const Value& last) {
        return ns::Dictionary{{"nickname", nick}, {"username", user}, {"sign", "s-" + user}, {"login_time", "1700000000"},
                              {"lasttime", last}};
    }
    void list(const VXSubViewRef& p, const Value& reply) {
        server.scriptNext("login/xiaohao", this->reply(reply));
        p->dataSource.clear();
        ASSERT_NO_FATAL_FAILURE(exchange("login/xiaohao", [&] { p->loadData(); }));
        if (reply["data"].isArray() && reply["data"].count() > 0) {
            EXPECT_TRUE(runMainUntil([&] { return !p->dataSource.empty(); }));
        }
        settle();
    }
    bool marker(const VXSubViewRef& p, long row) {
        auto cell = driver::cell<VXSubViewCell>(p->tableView.lock(), ui::IndexPath::forRow(row, 0));
        return !cell->lastL.lock()->isHidden();
    }
    std::vector<std::string> chosen;
};

TEST_F(PickerTest, ListsRowsWithTheLastUsedMarkerOnReusedCells) {
    auto p = picker();
    list(p, ns::Dictionary{{"data", ns::Array{row("一号", "u1", "0"), row("二号", "u2", "1")}}, {"msg", "ok"}});
    EXPECT_EQ(driver::rowHeight(p->tableView.lock(), ui::IndexPath::forRow(0, 0)), 55);
    EXPECT_EQ(p->nameL.lock()->text(), "player01");
    ASSERT_EQ(driver::rowCount(p->tableView.lock(), 0), 2);
    EXPECT_EQ(driver::cell<VXSubViewCell>(p->tableView.lock(), ui::IndexPath::forRow(0, 0))->nameL.lock()->text(), "一号");
    EXPECT_FALSE(marker(p, 0));
    EXPECT_TRUE(marker(p, 1));
    list(p, ns::Dictionary{{"data", ns::Array{row("一号", "u1", "T"), row("二号", "u2", Value())}}});
    EXPECT_TRUE(marker(p, 0));
    EXPECT_FALSE(marker(p, 1)) << "a reused cell loses its marker";
}

TEST_F(PickerTest, AListThatIsNotAnArrayShowsThePlaceholder) {
    for (const Value& data : {Value(ns::Array{}), Value(ns::Dictionary{{"0", row("a", "b", "1")}}), Value::null(),
                              Value("[]"), Value()}) {
        auto p = picker();
        list(p, ns::Dictionary{{"data", data}, {"msg", "暂无小号"}});
        EXPECT_TRUE(runMainUntil([&] { return driver::findLabel(p, "暂无小号") != nullptr; })) << data.description();
        EXPECT_EQ(driver::rowCount(p->tableView.lock(), 0), 0) << data.description();
        EXPECT_TRUE(p->iconView.lock()->image()) << "placeholder head";
        p->removeFromSuperview();
    }
}

TEST_F(PickerTest, AddingChecksTheNameLengthInUnits) {
    auto p = picker();
    auto add = [&](const std::string& name) {
        driver::tap(driver::findButton(p, "+ 添加小号"));
        driver::advance(0.3);
        auto alert = driver::presentedAlert(game);
        EXPECT_TRUE(alert);
        if (!alert) return;
        EXPECT_EQ(alert->title(), "添加新小号");
        EXPECT_EQ(alert->textFields()[0]->placeholder(), "名称不能超过8个字符");
        EXPECT_EQ(alert->actions()[0]->style(), ui::AlertActionStyle::Destructive);
        if (!name.empty()) driver::typeIntoAlertField(alert, 0, name);
        driver::tapAlertAction(alert, "确认");
        driver::advance(0.3);
        EXPECT_TRUE(runMainUntil([&] { return !VXProgressHUD::HUDForView(p); }));
        settle();
    };
    add("一二三四五六七八九");
    add("");
    add("😀😀😀😀😀");
    EXPECT_TRUE(driver::findLabel(p, "请输入有效字符"));
    EXPECT_TRUE(server.requests("login/addxiaohao").empty());
    add("😀😀😀😀");
    ASSERT_TRUE(awaitRequests("login/addxiaohao"));
    add("一二三四五六七八");
    ASSERT_TRUE(awaitRequests("login/addxiaohao", 2));
    ASSERT_TRUE(runMainUntil([&] { return p->dataSource.size() == 2; }));
    EXPECT_EQ(server.requests("login/addxiaohao")[1].params["x"], Value("一二三四五六七八"));
    EXPECT_FALSE(VXProgressHUD::HUDForView(p));

    // Refused: the message on the top window, the list unchanged; a wrong-typed list keeps it too.
    server.withState([](vx::server::PlatformServer::State& s) { s.loginArea.refuseAddSub = "小号数量已达上限"; });
    add("三号");
    ASSERT_TRUE(runMainUntil([&] { return driver::findLabel(game, "小号数量已达上限") != nullptr; }));
    EXPECT_FALSE(driver::findLabel(p, "小号数量已达上限"));
    server.scriptNext("login/addxiaohao", reply(ns::Dictionary{{"code", 1}, {"data", "none"}}));
    add("四号");
    ASSERT_TRUE(awaitRequests("login/addxiaohao", 4));
    settle();
    EXPECT_EQ(p->dataSource.size(), 2u);
}

TEST_F(PickerTest, ChoosingIsCheckedWithTheServer) {
    auto p = picker();
    list(p, ns::Dictionary{{"data", ns::Array{row("一号", "u1", "0")}}});
    auto choose = [&](const Value& answer) {
        server.scriptNext("Index/adddllog", reply(ns::Dictionary{{"a", answer}, {"b", "该小号已被封禁"}}));
        size_t before = server.requests("Index/adddllog").size();
        driver::selectRow(p->tableView.lock(), ui::IndexPath::forRow(0, 0));
        EXPECT_TRUE(awaitRequests("Index/adddllog", before + 1));
        EXPECT_TRUE(runMainUntil([&] { return !VXProgressHUD::HUDForView(p); }));
        settle();
    };
    choose(Value("1"));
    choose(Value(2));
    EXPECT_EQ(chosen, (std::vector<std::string>{"u1", "u1"}));
    auto sent = server.requests("Index/adddllog")[0].params;
    EXPECT_EQ(sent["username"], Value("player01"));
    EXPECT_EQ(sent["xh"], Value("u1"));
    EXPECT_EQ(sent["login_device"], Value("3"));

    server.scriptNext("Index/adddllog", dropped());
    driver::selectRow(p->tableView.lock(), ui::IndexPath::forRow(0, 0));
    ASSERT_TRUE(runMainUntil([&] { return driver::findLabel(p, "服务器错误") != nullptr; }));
    EXPECT_FALSE(VXProgressHUD::HUDForView(p));
    EXPECT_EQ(p->superview(), card);

    choose(Value("x"));
    driver::advance(0.3);
    auto alert = driver::presentedAlert(game);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "提示");
    EXPECT_EQ(alert->message(), "该小号已被封禁");
    driver::tapAlertAction(alert, "确定");
    driver::advance(0.3);
    EXPECT_FALSE(p->superview()) << "the login panels show again";
    EXPECT_TRUE(p->dataSource.empty());
    EXPECT_EQ(chosen.size(), 2u);
}

} // namespace
