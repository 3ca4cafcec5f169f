// The welfare tab's lists against the stand-in server: strategies and activities (empty state,
// tags, article pages), the server list (explanation, paging) and gift packs (kinds, claims, copy).

#include "os/uikit/Pasteboard.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXActivityCell.h"
#include "platform_sdk/user_center/VXActivityVC.h"
#include "platform_sdk/user_center/VXGiftCell.h"
#include "platform_sdk/user_center/VXGiftVC.h"
#include "platform_sdk/user_center/VXServerCell.h"
#include "platform_sdk/user_center/VXServerVC.h"
#include "platform_sdk/user_center/VXStrategyVC.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "server/WelfareArea.h"
#include "tests/platform_sdk/user_center/UserCentreFixture.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIScrollView+VXRefresh.h"
#include "widgets/VXRefreshAutoStateFooter.h"

namespace {

namespace driver = ui::driver;
using vx::test::UserCentreTest;

bool sameColour(const ui::ColorRef& a, const ui::ColorRef& b) { return a && b && a->cgColor() == b->cgColor(); }

class WelfareListsTest : public UserCentreTest {
protected:
    template <class F> void welfare(F change) {
        server.withState([&](vx::server::PlatformServer::State& s) { change(vx::server::welfareArea(s)); });
    }
    // Back to the top, then a scroll down to the end, as a person asks for more.
    static void pullFooter(const ui::TableViewRef& table) {
        driver::drainMain(); // the last load's finish step puts the footer back to idle
        table->setContentOffset({0, 0}, false);
        driver::scrollToEnd(table);
        driver::drainMain();
    }
    static VXRefreshState footerState(const ui::TableViewRef& table) {
        auto footer = VXRefresh::VX_footer(table);
        return footer ? footer->state() : VXRefreshStateIdle;
    }
    std::vector<std::string> pagecodes(const std::string& path) {
        std::vector<std::string> codes;
        for (const auto& r : server.requests(path)) codes.push_back(r.params["pagecode"].description());
        return codes;
    }
};

TEST_F(WelfareListsTest, StrategiesPageAndOpenTheArticle) {
    auto list = ui::ViewController::create<VXStrategyVC>();
    present(list);
    ASSERT_TRUE(runMainUntil([&] { return list->dataSource().size() == 10; }));
    drainMain();
    auto request = server.requests("Sdkdetail/gonglue").at(0).params;
    EXPECT_EQ(request["username"].description(), "player01");
    EXPECT_EQ(request["gid"].description(), "1001");
    EXPECT_EQ(request["appid"].description(), "app7");
    EXPECT_EQ(request["type"].description(), "ios");
    EXPECT_EQ(request["pagecode"].description(), "1");
    EXPECT_EQ(driver::rowHeight(list->tableView(), {0, 0}), 243);
    auto cell = driver::cell<VXStrategyCell>(list->tableView(), {0, 1});
    EXPECT_EQ(cell->nameL->text(), "新手攻略第2期：职业选择与成长路线");
    EXPECT_EQ(cell->timeL->text(), "发布时间：2024-03-03");

    // Paging is the list base's (ListBaseTest); a row opens its article.
    driver::selectRow(list->tableView(), {0, 0});
    advance(0.35);
    auto page = std::dynamic_pointer_cast<VXSuWebVC>(navigation->topViewController());
    ASSERT_TRUE(page);
    EXPECT_EQ(page->name(), "");
    EXPECT_TRUE(page->isShowSuperVc());
    EXPECT_EQ(page->url(), list->dataSource()[0]["openurl"].stringValue());
    driver::tap(page->backBtn());
    advance(0.35);
    EXPECT_EQ(navigation->topViewController(), list);
}

TEST_F(WelfareListsTest, ActivitiesShowTheEmptyStateUntilAPullBringsRows) {
    welfare([](auto& w) { w.gamesWithoutActivities.insert("1001"); });
    auto list = ui::ViewController::create<VXActivityVC>();
    present(list);
    ASSERT_TRUE(runMainUntil([&] { return list->tempView()->superview() != nullptr; }));
    drainMain();
    EXPECT_EQ(list->tempView()->superview(), list->view());
    EXPECT_EQ(list->tempView()->center(), list->tableView()->center());
    EXPECT_TRUE(driver::findLabel(list->tempView(), "此游戏暂无活动，敬请期待哦~"));
    EXPECT_TRUE(VXRefresh::VX_footer(list->tableView()));
    EXPECT_EQ(footerState(list->tableView()), VXRefreshStateNoMoreData);
    ASSERT_TRUE(VXRefresh::VX_header(list->tableView()));

    auto pull = [&] {
        list->tableView()->setContentOffset({0, 0}, false);
        driver::pullDown(list->tableView(), 120);
        driver::release(list->tableView());
        advance(0.3);
    };
    welfare([](auto& w) { w.gamesWithoutActivities.clear(); });
    pull();
    ASSERT_TRUE(runMainUntil([&] { return list->dataSource().size() == 10; }));
    drainMain();
    EXPECT_FALSE(list->tempView()->superview());

    welfare([](auto& w) { w.gamesWithoutActivities.insert("1001"); });
    pull();
    ASSERT_TRUE(runMainUntil([&] { return list->dataSource().empty(); }));
    EXPECT_EQ(list->tempView()->superview(), list->view());
}

TEST_F(WelfareListsTest, ActivityTagsTakeTheirColourAndRowsTheirHeight) {
    server.scriptNext("Sdkdetail/gameActivity", jsonText(R"({"lists":[
        {"post_title":"登录有礼","post_date":"2024-04-01","pic1":"","openurl":"","flag":"热门","flag_color":"#FF6A00"},
        {"post_title":"很长的活动标题，会在卡片里折成两行甚至三行来显示，看看高度是不是跟着变化","post_date":"2024-04-02","pic1":"","openurl":"","flag":"限时","flag_color":"zz"},
        7, "x"],"now_page":1,"total_page":1})"));
    auto list = ui::ViewController::create<VXActivityVC>();
    present(list);
    ASSERT_TRUE(runMainUntil([&] { return list->dataSource().size() == 2; }));
    drainMain();
    auto first = driver::cell<VXActivityCell>(list->tableView(), {0, 0});
    EXPECT_TRUE(sameColour(first->tagL->backgroundColor(), XTExtention::colorWithHexString("FF6A00")));
    auto second = driver::cell<VXActivityCell>(list->tableView(), {0, 1});
    EXPECT_TRUE(sameColour(second->tagL->backgroundColor(), ui::Color::clearColor()));
    double one = driver::rowHeight(list->tableView(), {0, 0}), two = driver::rowHeight(list->tableView(), {0, 1});
    EXPECT_GT(one, 150);
    EXPECT_GT(two, one);

    // The picture spans the card's top and follows its rounded corners (the second row: the first
    // lies under the bar).
    std::string shot = sandboxPath() + "/activities.png";
    driver::capture(window, shot);
    auto image = decode(shot);
    ASSERT_TRUE(image);
    double scale = image->width() / window->bounds().size.width;
    cg::Point corner = second->picView->convertPointToView({0, 0}, window.get());
    auto at = [&](double x, double y) {
        return imagebytes::pixelAt(image, uint32_t((corner.x + x) * scale), uint32_t((corner.y + y) * scale));
    };
    auto inside = at(40, 40);
    EXPECT_FALSE(imagebytes::near(at(0.5, 0.5), inside, 4));
    EXPECT_TRUE(imagebytes::near(at(40, 1), inside, 4));
    EXPECT_TRUE(imagebytes::near(at(1, 40), inside, 4));
}

TEST_F(WelfareListsTest, ServerListExplainsDynamicOpeningAndPagesToTheEnd) {
    welfare([](auto& w) { w.pageSize = 15; }); // more rows than the screen holds
    auto list = VXUserCentre::instantiate<VXServerVC>("VXServerVC");
    present(list);
    auto table = list->tableView.lock();
    ASSERT_TRUE(runMainUntil([&] { return list->dataSource().size() == 15; }));
    drainMain();
    auto request = server.requests("Server/lists2").at(0).params;
    EXPECT_EQ(request.count(), 2u); // "gid" and "pagecode" only
    EXPECT_EQ(request["gid"].description(), "1001");
    ASSERT_EQ(table->tableHeaderView(), list->headView());
    EXPECT_TRUE(driver::findLabel(list->headView(), "开服说明：动态开服"));
    EXPECT_EQ(list->headView()->frame().size.height, 80);

    auto open = driver::cell<VXServerCell>(table, {0, 0});
    EXPECT_EQ(open->serverL->text(), "双线1服");
    EXPECT_EQ(open->timeL->text(), "2024-05-01 09:00");
    EXPECT_EQ(open->statusL->text(), "已开服");
    EXPECT_TRUE(sameColour(open->statusL->backgroundColor(), ui::Color::lightGrayColor()));

    // Page 2 fails once: the next pull asks for page 2 again.
    server.scriptNext("Server/lists2", dropped());
    pullFooter(table);
    ASSERT_TRUE(runMainUntil([&] { return server.requests("Server/lists2").size() == 2 && !list->tableView.lock()->isDragging(); }));
    ASSERT_TRUE(runMainUntil([&] { return footerState(table) == VXRefreshStateIdle; }));
    EXPECT_EQ(list->page(), 1);
    pullFooter(table);
    ASSERT_TRUE(runMainUntil([&] { return list->dataSource().size() == 25; }));
    drainMain();
    EXPECT_EQ(pagecodes("Server/lists2"), (std::vector<std::string>{"1", "2", "2"}));
    EXPECT_EQ(footerState(table), VXRefreshStateNoMoreData);
    auto closed = driver::cell<VXServerCell>(table, {0, 24});
    EXPECT_EQ(closed->statusL->text(), "未开服");
    EXPECT_TRUE(sameColour(closed->statusL->backgroundColor(), XTExtention::colorWithHexString("#6137E7")));
    EXPECT_EQ(std::dynamic_pointer_cast<VXRefreshAutoStateFooter>(VXRefresh::VX_footer(table))->stateLabel()->text(),
              "已全部加载完毕");
}

TEST_F(WelfareListsTest, ServerListWithoutDynamicOpeningHasNoHeader) {
    welfare([](auto& w) { w.dynamicOpening = false; });
    auto list = VXUserCentre::instantiate<VXServerVC>("VXServerVC");
    present(list);
    ASSERT_TRUE(runMainUntil([&] { return list->dataSource().size() == 10; }));
    EXPECT_FALSE(list->tableView.lock()->tableHeaderView());
}

class GiftsTest : public WelfareListsTest {
protected:
    // The first kind's three packs shown.
    void open() {
        gifts = VXUserCentre::instantiate<VXGiftVC>("VXGiftVC");
        present(gifts);
        // A pager page has no bar over it.
        navigation->setNavigationBarHidden(true, false);
        ASSERT_TRUE(runMainUntil([&] { return gifts->dataSource().size() == 3; }));
        drainMain();
    }
    size_t cardRequests() { return server.requests("Sdkdetail/card").size(); }
    double tableHeight() { return gifts->tableViewH.lock()->constant(); }
    ui::ButtonRef kindButton(long tag) {
        return std::dynamic_pointer_cast<ui::Button>(gifts->btnsView.lock()->viewWithTag(tag));
    }
    ns::Ref<VXGiftVC> gifts;
};

TEST_F(GiftsTest, EachKindLoadsItsPacksAndTheCardGrowsWithThem) {
    open();
    EXPECT_EQ(tableHeight(), 360);
    EXPECT_EQ(gifts->tableView.lock()->frame().size.height, 360);
    auto first = server.requests("Sdkdetail/card").at(0).params;
    EXPECT_EQ(first["lx"].description(), "0");
    EXPECT_EQ(first["username"].description(), "player01");
    EXPECT_EQ(first["appid"].description(), "app7");
    auto cell = driver::cell<VXGiftCell>(gifts->tableView.lock(), {0, 0});
    EXPECT_EQ(cell->nameL->text(), "新手礼包");
    EXPECT_EQ(cell->timeL->text(), "有效期至：2024-12-31");
    EXPECT_EQ(cell->btn->currentTitle(), "领取");

    driver::tap(kindButton(11));
    ASSERT_TRUE(runMainUntil([&] { return gifts->dataSource().size() == 2; }));
    EXPECT_EQ(server.requests("Sdkdetail/card").at(1).params["lx"].description(), "1");
    EXPECT_EQ(tableHeight(), 240);
    EXPECT_TRUE(kindButton(11)->isSelected());
    EXPECT_FALSE(kindButton(10)->isSelected());
    EXPECT_TRUE(sameColour(kindButton(11)->backgroundColor(), XTExtention::colorWithHexString("#6137E7")));

    driver::tap(kindButton(11)); // the selected kind: nothing is sent
    settle();
    EXPECT_EQ(cardRequests(), 2u);

    // Ten packs make the card 1200 pt; none make it 0.
    ns::Array ten;
    for (int i = 0; i < 10; ++i) ten.push_back(ns::Dictionary{{"id", 100 + i}, {"name", "礼包"}, {"status", 0}});
    server.scriptNext("Sdkdetail/card", reply(ten));
    driver::tap(kindButton(12));
    ASSERT_TRUE(runMainUntil([&] { return gifts->dataSource().size() == 10; }));
    EXPECT_EQ(tableHeight(), 1200);
    server.scriptNext("Sdkdetail/card", reply(ns::Array{}));
    driver::tap(kindButton(10));
    ASSERT_TRUE(runMainUntil([&] { return gifts->dataSource().empty(); }));
    EXPECT_EQ(tableHeight(), 0);
}

TEST_F(GiftsTest, ClaimingShowsTheCodeAndCopyingPutsItOnThePasteboard) {
    open();
    driver::tap(driver::cell<VXGiftCell>(gifts->tableView.lock(), {0, 0})->btn);
    ASSERT_TRUE(runMainUntil([&] { return cardRequests() == 2 && gifts->dataSource()[0]["status"].boolValue(); }));
    drainMain();
    auto claim = server.requests("Card/receive").at(0);
    EXPECT_TRUE(claim.scrambled);
    EXPECT_TRUE(claim.params["cardid"].isNumber()); // the id as the list sent it
    EXPECT_EQ(claim.params["cardid"].integerValue(), 31);
    EXPECT_TRUE(driver::findLabel(window, "领取成功"));
    auto cell = driver::cell<VXGiftCell>(gifts->tableView.lock(), {0, 0});
    EXPECT_EQ(cell->btn->currentTitle(), "复制");
    EXPECT_EQ(cell->showL->text(), "礼包码：VX31-1000");
    EXPECT_TRUE(sameColour(cell->btn->backgroundColor(), ui::Color::lightGrayColor()));

    driver::tap(cell->btn);
    EXPECT_EQ(ui::Pasteboard::generalPasteboard().string(), "VX31-1000");
    EXPECT_FALSE(driver::findLabel(window, "复制成功"));
    advance(0.1);
    EXPECT_TRUE(driver::findLabel(window, "复制成功"));
    EXPECT_EQ(server.requests("Card/receive").size(), 1u);

    // A refused claim only says so.
    server.scriptNext("Card/receive", reply(ns::Dictionary{{"a", 0}, {"b", "已领取"}}));
    driver::tap(driver::cell<VXGiftCell>(gifts->tableView.lock(), {0, 1})->btn);
    ASSERT_TRUE(runMainUntil([&] { return driver::findLabel(window, "已领取") != nullptr; }));
    settle();
    EXPECT_EQ(cardRequests(), 2u);
}

TEST_F(GiftsTest, WrongRepliesKeepTheRowsAndAnOvertakenKindIsIgnored) {
    open();
    server.scriptNext("Sdkdetail/card", reply(ns::Dictionary{{"a", 0}, {"b", "x"}}));
    driver::tap(kindButton(11));
    ASSERT_TRUE(runMainUntil([&] { return driver::findLabel(gifts->view(), "x") != nullptr; }));
    EXPECT_EQ(gifts->dataSource().size(), 3u);
    EXPECT_EQ(tableHeight(), 360);

    // Kind 2 is asked and held; kind 0 answers first; kind 2's late reply changes nothing.
    server.holdNext("Sdkdetail/card");
    driver::tap(kindButton(12));
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    driver::tap(kindButton(10));
    ASSERT_TRUE(runMainUntil([&] { return cardRequests() == 4; }));
    server.releaseHeld();
    settle();
    ASSERT_TRUE(runMainUntil([&] { return gifts->dataSource().size() == 3; }));
    settle();
    drainMain();
    EXPECT_EQ(gifts->dataSource()[0]["name"].description(), "新手礼包");
    EXPECT_EQ(tableHeight(), 360);
}

} // namespace
