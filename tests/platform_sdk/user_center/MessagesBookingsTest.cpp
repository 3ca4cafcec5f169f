// The message centre and the booking lists, reached from the mine page's entries.
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXSuOrderCell.h"
#include "platform_sdk/user_center/VXSuMyOrderVC.h"
#include "platform_sdk/user_center/VXSuOrderVC.h"
#include "platform_sdk/user_center/VXUserMsgCell.h"
#include "platform_sdk/user_center/VXUserMsgVC.h"
#include "tests/platform_sdk/user_center/MineFixture.h"
#include "widgets/UIScrollView+VXRefresh.h"

namespace {

using vx::test::MineTest;
namespace driver = ui::driver;

class MessagesTest : public MineTest {
protected:
    ns::Ref<VXUserMsgVC> openMessages(size_t rows = 4) {
        openMine();
        if (::testing::Test::HasFatalFailure()) return nullptr;
        driver::tap(page->btnsView.lock()->viewWithTag(11));
        driver::advance(0.35);
        auto list = std::dynamic_pointer_cast<VXUserMsgVC>(nav->topViewController());
        if (list) {
            EXPECT_TRUE(runMainUntil([&] { return list->dataSource().size() == rows; }));
        }
        settle();
        return list;
    }
    bool dotShown(const ns::Ref<VXUserMsgVC>& list, long row) {
        return !driver::cell<VXUserMsgCell>(list->tableView(), ui::IndexPath::forRow(row, 0))->pointView.lock()->isHidden();
    }
    void backToList() {
        nav->popViewControllerAnimated(false);
        driver::advance(0.1);
    }
};

TEST_F(MessagesTest, OpeningAnUnreadMessageMarksItReadAndLowersTheBadgeOnce) {
    ns::Ref<VXUserMsgVC> list;
    ASSERT_NO_FATAL_FAILURE(list = openMessages());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->tableView()->frame().origin.y, 64);
    auto sent = server.requests("Mynews/listnews").at(0).params;
    EXPECT_EQ(sent["channel"], ns::Value("agent9"));
    EXPECT_EQ(sent["pagecode"], ns::Value("1"));
    EXPECT_FALSE(sent.dictionaryPtr()->contains("cpsId"));
    EXPECT_TRUE(dotShown(list, 0));
    EXPECT_FALSE(dotShown(list, 3));
    // One page of four: no more to load at once.
    EXPECT_EQ(VXRefresh::VX_footer(list->tableView())->state(), VXRefreshStateNoMoreData);

    // The page is pushed at once; the dot goes only with the server's answer.
    server.holdNext("Mynews/news");
    driver::selectRow(list->tableView(), ui::IndexPath::forRow(0, 0));
    auto web = std::dynamic_pointer_cast<VXSuWebVC>(nav->topViewController());
    ASSERT_TRUE(web);
    EXPECT_EQ(web->name(), std::optional<std::string>("欢迎加入平台"));
    EXPECT_TRUE(web->isShowSuperVc());
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    EXPECT_FALSE(list->modelAt(0)->isRead());
    // Opened again before the answer: no second request, so one drop of the badge.
    backToList();
    driver::selectRow(list->tableView(), ui::IndexPath::forRow(0, 0));
    server.releaseHeld();
    ASSERT_TRUE(runMainUntil([&] { return list->modelAt(0)->isRead(); }));
    settle();
    EXPECT_EQ(server.requests("Mynews/news").size(), 1u);
    EXPECT_EQ(server.requests("Mynews/news").at(0).params["id"], list->modelAt(0)->msgId.description());
    backToList();
    EXPECT_FALSE(dotShown(list, 0));

    // A read message asks nothing.
    driver::selectRow(list->tableView(), ui::IndexPath::forRow(3, 0));
    backToList();
    settle();
    EXPECT_EQ(server.requests("Mynews/news").size(), 1u);

    // A failed read leaves the dot and badge; the next opening tries again.
    server.scriptNext("Mynews/news", reply(ns::Dictionary{{"a", 0}, {"b", "稍后"}}));
    ASSERT_NO_FATAL_FAILURE(exchange("Mynews/news", [&] { driver::selectRow(list->tableView(), ui::IndexPath::forRow(1, 0)); }));
    // The refusal must have come back before the message can be asked again.
    ASSERT_TRUE(runMainUntil([&] { return !list->modelAt(1)->reading; }));
    backToList();
    EXPECT_TRUE(dotShown(list, 1));
    driver::selectRow(list->tableView(), ui::IndexPath::forRow(1, 0));
    ASSERT_TRUE(runMainUntil([&] { return list->modelAt(1)->isRead(); }));
    backToList();

    // Back on the mine page: two messages read, the badge says 1 (and the reload agrees).
    nav->popViewControllerAnimated(false);
    driver::advance(0.1);
    EXPECT_EQ(text(page->msgNumL), "1");
    ASSERT_TRUE(awaitRequests("sdkhome/index", 2));
    ASSERT_TRUE(runMainUntil([&] { return page->dic()["uinfo"]["weidu"].integerValue() == 1; }));
}

TEST_F(MessagesTest, ReadStatusAsNumberOrTextAndRefusals) {
    server.scriptNext("Mynews/listnews",
                      reply(ns::Dictionary{{"a", 1}, {"c", ns::Array{ns::Dictionary{{"id", 1}, {"status", 1}, {"title", "数"}},
                                                                      ns::Dictionary{{"id", "2"}, {"status", "1"}, {"title", "文"}},
                                                                      "not a row"}},
                                           {"nowpage", 1}, {"allnum", 3}}));
    ns::Ref<VXUserMsgVC> list;
    ASSERT_NO_FATAL_FAILURE(list = openMessages(2));
    ASSERT_TRUE(list);
    EXPECT_FALSE(dotShown(list, 0));
    EXPECT_FALSE(dotShown(list, 1));
    EXPECT_NE(VXRefresh::VX_footer(list->tableView())->state(), VXRefreshStateNoMoreData);
    // A refused first page shows "b" and keeps the rows.
    server.scriptNext("Mynews/listnews", reply(ns::Dictionary{{"a", 0}, {"b", "消息服务维护中"}}));
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_TRUE(runMainUntil([&] { return toast("消息服务维护中"); }));
    EXPECT_EQ(list->dataSource().size(), 2u);
    // A first page with no status at all is no success either: the rows stay.
    server.scriptNext("Mynews/listnews", reply(ns::Dictionary{{"c", ns::Array{}}, {"nowpage", 1}, {"allnum", 1}}));
    size_t before = server.requests("Mynews/listnews").size();
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_TRUE(runMainUntil([&] { return server.requests("Mynews/listnews").size() > before; }));
    settle();
    EXPECT_EQ(list->dataSource().size(), 2u);
    EXPECT_NE(VXRefresh::VX_footer(list->tableView())->state(), VXRefreshStateNoMoreData);
}

class BookingsTest : public MineTest {
protected:
    ns::Ref<VXSuOrderVC> openBookings() {
        openMine();
        if (::testing::Test::HasFatalFailure()) return nullptr;
        driver::tap(page->btnsView.lock()->viewWithTag(13));
        driver::advance(0.35);
        auto list = std::dynamic_pointer_cast<VXSuOrderVC>(nav->topViewController());
        if (list) runMainUntil([&] { return !list->dataSource().empty(); });
        settle();
        return list;
    }
    ns::Ref<VXSuOrderCell> row(const ns::Ref<VXRefreshViewController>& list, long i) {
        return driver::cell<VXSuOrderCell>(list->tableView(), ui::IndexPath::forRow(i, 0));
    }
    static ns::Ref<ui::Label> tagLabel(const ns::Ref<VXSuOrderCell>& cell, long tag) {
        return std::dynamic_pointer_cast<ui::Label>(cell->viewWithTag(tag));
    }
};

TEST_F(BookingsTest, TagsDiscountsAndEveryRowOpensTheBoxPage) {
    ns::Ref<VXSuOrderVC> list;
    ASSERT_NO_FATAL_FAILURE(list = openBookings());
    ASSERT_TRUE(list);
    auto sent = server.requests("Sdkhome/bookinglist").at(0).params;
    EXPECT_EQ(sent["type"], ns::Value("ios"));
    EXPECT_EQ(sent["cpsId"], ns::Value("agent9"));
    EXPECT_EQ(list->dataSource().size(), 10u) << "a full first page of the twelve games";
    EXPECT_EQ(list->tableView()->frame().origin.y, 64);

    auto first = row(list, 0); // the stand-in's first game has one tag, the second two
    auto second = row(list, 1);
    EXPECT_FALSE(tagLabel(second, 10)->isHidden());
    EXPECT_FALSE(tagLabel(second, 11)->isHidden());
    EXPECT_TRUE(tagLabel(second, 12)->isHidden());
    EXPECT_EQ(tagLabel(second, 12)->text().value_or(""), "");
    EXPECT_EQ(tagLabel(second, 10)->text(), std::optional<std::string>(" 满V "));
    auto none = row(list, 3);
    for (long tag : {10, 11, 12}) EXPECT_TRUE(tagLabel(none, tag)->isHidden());
    EXPECT_EQ(first->tagL.lock()->text(), std::optional<std::string>("  0.1折  "));
    EXPECT_FALSE(first->tagL.lock()->isHidden());
    EXPECT_TRUE(first->tagL.lock()->layer()->mask());
    EXPECT_TRUE(second->tagL.lock()->isHidden());
    EXPECT_EQ(text(first->showL), "首充返利 300M 1200人在玩");

    driver::selectRow(list->tableView(), ui::IndexPath::forRow(4, 0));
    ASSERT_EQ(ui::Application::shared().openedURLs().size(), 1u);
    EXPECT_EQ(ui::Application::shared().openedURLs()[0]->absoluteString(), server.host() + "/cdcloud/welcome/box");

    // "我的预约" from the bar button: the same cell, the same box page for any row.
    driver::tap(list->navBtn());
    driver::advance(0.35);
    auto mine = std::dynamic_pointer_cast<VXSuMyOrderVC>(nav->topViewController());
    ASSERT_TRUE(mine);
    ASSERT_TRUE(runMainUntil([&] { return mine->dataSource().size() == 3; }));
    settle();
    driver::selectRow(mine->tableView(), ui::IndexPath::forRow(2, 0));
    EXPECT_EQ(ui::Application::shared().openedURLs().size(), 2u);
    ShareVale::sharedInstance()->setIosWapBoxUrl(ns::Value());
    driver::selectRow(mine->tableView(), ui::IndexPath::forRow(0, 0));
    EXPECT_EQ(ui::Application::shared().openedURLs().size(), 2u) << "no box address, nothing opens";
}

TEST_F(BookingsTest, AReplyWithoutListsEmptiesAndAWrongFuliIsNoTags) {
    ns::Ref<VXSuOrderVC> list;
    ASSERT_NO_FATAL_FAILURE(list = openBookings());
    ASSERT_TRUE(list);
    server.scriptNext("Sdkhome/bookinglist",
                      reply(ns::Dictionary{{"lists", ns::Array{ns::Dictionary{{"id", 9}, {"gamename", "怪"}, {"fuli", "满V"}}}},
                                           {"now_page", 1}, {"total_page", 1}}));
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_TRUE(runMainUntil([&] { return list->dataSource().size() == 1; }));
    settle();
    for (long tag : {10, 11, 12}) EXPECT_TRUE(tagLabel(row(list, 0), tag)->isHidden());
    EXPECT_EQ(text(row(list, 0)->showL), "(null) (null) (null)人在玩");

    server.scriptNext("Sdkhome/bookinglist", reply(ns::Dictionary{{"msg", "nothing"}}));
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_TRUE(runMainUntil([&] { return list->dataSource().empty(); }));
    settle();
    EXPECT_EQ(VXRefresh::VX_footer(list->tableView())->state(), VXRefreshStateNoMoreData);
}

} // namespace
