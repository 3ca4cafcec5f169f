// What a player notices on the list screens: a thread's later pages and its paid badges, the
// server list to its third page, the signs of bill amounts, and switches that stay put when the
// chosen button is tapped again.
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXGiftVC.h"
#include "platform_sdk/user_center/VXPingTwoCell.h"
#include "platform_sdk/user_center/VXPingTwoHead.h"
#include "platform_sdk/user_center/VXPingTwoVC.h"
#include "platform_sdk/user_center/VXPingVC.h"
#include "platform_sdk/user_center/VXServerVC.h"
#include "platform_sdk/user_center/VXSuBillCell.h"
#include "platform_sdk/user_center/VXSuBillVC.h"
#include "platform_sdk/user_center/VXSuCouponVC.h"
#include "platform_sdk/user_center/VXSuMyCouponVC.h"
#include "platform_sdk/user_center/VXSuStrategyVC.h"
#include "platform_sdk/user_center/VXSuWelfareVC.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "tests/platform_sdk/user_center/ListScreenFixture.h"
#include "tests/platform_sdk/user_center/ReplyFaults.h"

namespace {

namespace driver = ui::driver;
using vx::test::faults::footerState;
using vx::test::faults::jsonReply;
using vx::test::faults::listState;
using vx::test::faults::pullFooter;

// Comments with ids from `from`, each with a paid badge and, when `vip`, a VIP badge.
std::string comments(int from, int count, bool vip) {
    std::string out;
    for (int i = from; i < from + count; ++i)
        out += (i > from ? "," : "") + std::string(R"({"id":)") + std::to_string(i) + R"(,"full_name":"玩家)" +
               std::to_string(i) + R"(","content":"说)" + std::to_string(i) + R"(","good":1,"isgood":0,"level":0,)" +
               R"("vippic":")" + (vip ? "/pic/vip.png" : "") + R"(","paypic":{"pic":"/pic/paid.png"}})";
    return "[" + out + "]";
}
std::string page(const std::string& rows, int now, int total) {
    return R"({"a":1,"b":"ok","c":{"lists":)" + rows + R"(,"now_page":)" + std::to_string(now) + R"(,"total_page":)" +
           std::to_string(total) + "}}";
}

class ListsSeen : public vx::test::faults::Driven<vx::test::ListScreenTest> {
protected:
    void waitForLoad(const std::string& path, size_t count) {
        ASSERT_TRUE(awaitRequests(path, count));
        waitForReplies();
    }
    // The thread of the first comment; its first page has ten replies of two pages, without VIP badges.
    VXPingTwoVCRef openThread() {
        server.scriptNext("Sdkcomments/get", jsonReply(page(comments(500, 3, true), 1, 1)));
        auto list = ui::ViewController::create<VXPingVC>();
        present(list);
        waitForLoad("Sdkcomments/get", 1);
        server.scriptNext("Sdkcomments/listscomments", jsonReply(page(comments(600, 10, false), 1, 2)));
        driver::selectRow(list->tableView(), {0, 0});
        advance(0.35);
        waitForLoad("Sdkcomments/listscomments", 1);
        return std::dynamic_pointer_cast<VXPingTwoVC>(navigation->topViewController());
    }
    // Taps the badge and comes back from the title page it opened.
    void expectTitlePage(const ui::ViewRef& badge) {
        driver::tap(badge);
        advance(0.35);
        auto web = std::dynamic_pointer_cast<VXSuWebVC>(navigation->topViewController());
        ASSERT_TRUE(web);
        EXPECT_EQ(web->name(), std::optional<std::string>("用户头衔等级说明"));
        EXPECT_EQ(web->url(), std::optional<std::string>(server.host() + "/sdkapicoupon2/Agreement/tx"));
        navigation->popViewControllerAnimated(false);
        advance(0.1);
    }
};

TEST_F(ListsSeen, AThreadLoadsItsLaterPagesForItsComment) {
    VXPingTwoVCRef thread;
    ASSERT_NO_FATAL_FAILURE(thread = openThread());
    ASSERT_TRUE(thread);
    EXPECT_EQ(listState(thread), "rows=10 page=1 footer=idle");
    server.scriptNext("Sdkcomments/listscomments", jsonReply(page(comments(610, 4, false), 2, 2)));
    pullFooter(thread->tableView());
    ASSERT_NO_FATAL_FAILURE(waitForLoad("Sdkcomments/listscomments", 2));
    auto sent = server.requests("Sdkcomments/listscomments").at(1).params;
    EXPECT_EQ(sent["pagecode"].description(), "2");
    EXPECT_EQ(sent["comments_id"].description(), "500");
    EXPECT_EQ(listState(thread), "rows=14 page=2 footer=all");
    EXPECT_EQ(thread->dataSource().back().objectAs<VXPingModel>()->full_name, std::optional<std::string>("玩家613"));
}

TEST_F(ListsSeen, PaidBadgesOnTheThreadHeadAndItsRepliesOpenTheTitlePage) {
    VXPingTwoVCRef thread;
    ASSERT_NO_FATAL_FAILURE(thread = openThread());
    ASSERT_TRUE(thread);
    // The head has both badges: the paid one beside the VIP one.
    auto head = thread->headView();
    EXPECT_FALSE(head->vipPic.lock()->isHidden());
    EXPECT_FALSE(head->payPic.lock()->isHidden());
    EXPECT_EQ(head->payPicLeft.lock()->constant(), 60);
    // A reply has only the paid one, at the VIP badge's place.
    auto reply = driver::cell<VXPingTwoCell>(thread->tableView(), {0, 0});
    EXPECT_TRUE(reply->vipPic.lock()->isHidden());
    EXPECT_FALSE(reply->payPic.lock()->isHidden());
    EXPECT_EQ(reply->payPicLeft.lock()->constant(), 5);
    ASSERT_NO_FATAL_FAILURE(expectTitlePage(head->payPic.lock()));
    ASSERT_NO_FATAL_FAILURE(expectTitlePage(driver::cell<VXPingTwoCell>(thread->tableView(), {0, 0})->payPic.lock()));
    // A reply without a paid badge shows none.
    server.scriptNext("Sdkcomments/listscomments",
                      jsonReply(page(R"([{"id":700,"full_name":"无徽章","vippic":"","paypic":[]}])", 1, 1)));
    thread->tableViewDidTriggerHeaderRefresh();
    ASSERT_NO_FATAL_FAILURE(waitForLoad("Sdkcomments/listscomments", 2));
    EXPECT_TRUE(driver::cell<VXPingTwoCell>(thread->tableView(), {0, 0})->payPic.lock()->isHidden());
}

TEST_F(ListsSeen, TheServerListPagesToItsThirdPageAndReadsMissingKeysAsNone) {
    auto rows = [](int from) {
        std::string out;
        for (int i = from; i < from + 20; ++i)
            out += (i > from ? "," : "") + std::string(R"({"servername":"区)") + std::to_string(i) +
                   R"(","day":"1日","hour":"10:00","status":1})";
        return "[" + out + "]";
    };
    auto serverPage = [&](int now, const std::string& extra) {
        return R"({"lists":)" + rows(now * 20 - 19) + R"(,"now_page":)" + std::to_string(now) + R"(,"total_page":3)" +
               extra + "}";
    };
    server.scriptNext("Server/lists2", jsonReply(serverPage(1, R"(,"auto":1)")));
    auto list = VXUserCentre::instantiate<VXServerVC>("VXServerVC");
    present(list);
    ASSERT_NO_FATAL_FAILURE(waitForLoad("Server/lists2", 1));
    auto table = list->tableView.lock();
    EXPECT_TRUE(table->tableHeaderView());
    for (int next : {2, 3}) {
        EXPECT_EQ(footerState(table), "idle") << next;
        server.scriptNext("Server/lists2", jsonReply(serverPage(next, "")));
        pullFooter(table);
        ASSERT_NO_FATAL_FAILURE(waitForLoad("Server/lists2", next));
        EXPECT_EQ(server.requests("Server/lists2").back().params["pagecode"].description(), std::to_string(next));
    }
    EXPECT_EQ(list->dataSource().size(), 60u);
    EXPECT_EQ(list->dataSource().back()["servername"].description(), "区60");
    EXPECT_EQ(footerState(table), "all");
    EXPECT_TRUE(table->tableHeaderView()) << "later pages leave the explanation";

    // A first page without "auto" has no explanation; one without "lists" no rows and nothing more to load.
    server.scriptNext("Server/lists2", jsonReply(serverPage(1, "")));
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_NO_FATAL_FAILURE(waitForLoad("Server/lists2", 4));
    EXPECT_FALSE(table->tableHeaderView());
    EXPECT_EQ(list->dataSource().size(), 20u);
    EXPECT_EQ(footerState(table), "idle");
    server.scriptNext("Server/lists2", jsonReply(R"({"auto":1,"now_page":1,"total_page":3})"));
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_NO_FATAL_FAILURE(waitForLoad("Server/lists2", 5));
    EXPECT_TRUE(list->dataSource().empty());
    EXPECT_TRUE(table->tableHeaderView());
}

TEST_F(ListsSeen, BillAmountsTakeTheSignOfTheirTabAsTheyCome) {
    const std::string amounts = R"({"a":1,"c":{"lists":[{"time":"t1","remark":"r","money":"5.00"},
        {"time":"t2","remark":"r","money":"-3"},{"time":"t3","remark":"r","money":7},{"time":"t4","remark":"r","money":0.5}],
        "now_page":1,"total_page":1}})";
    server.scriptNext("Sdkhome/getdjqlog", jsonReply(amounts));
    auto bills = VXSuBillVC::instantiate();
    present(bills);
    ASSERT_NO_FATAL_FAILURE(waitForLoad("Sdkhome/getdjqlog", 1));
    auto signs = [&] {
        std::vector<std::string> out;
        for (long i = 0; i < driver::rowCount(bills->tableView(), 0); ++i)
            out.push_back(driver::cell<VXSuBillCell>(bills->tableView(), {0, i})->numL.lock()->text().value_or(""));
        return out;
    };
    EXPECT_EQ(signs(), (std::vector<std::string>{"+5.00", "+-3", "+7", "+0.5"}));
    server.scriptNext("Sdkhome/paydjqlog", jsonReply(amounts));
    driver::tap(bills->bgView.lock()->viewWithTag(11));
    ASSERT_NO_FATAL_FAILURE(waitForLoad("Sdkhome/paydjqlog", 1));
    EXPECT_EQ(signs(), (std::vector<std::string>{"-5.00", "--3", "-7", "-0.5"}));
}

// Tapping the button that is chosen already changes nothing: it stays chosen and nothing is sent.
TEST_F(ListsSeen, TheChosenButtonTappedAgainStaysChosenAndSendsNothing) {
    struct Switch {
        std::string name;
        std::function<ui::ButtonRef()> open; // shows the screen, answers its first load, returns the chosen button
        std::function<bool(const ui::ButtonRef&)> chosen;
    };
    auto selected = [](const ui::ButtonRef& b) { return b->isSelected(); };
    VXSuBillVCRef bills;
    std::vector<Switch> switches{
        {"welfare pager",
         [&] {
             auto pager = ui::ViewController::create<VXSuWelfareVC>();
             present(pager);
             waitForLoad("Sdkdetail/fuli", 1);
             return pager->nowBtn();
         },
         selected},
        {"strategy pager",
         [&] {
             auto pager = ui::ViewController::create<VXSuStrategyVC>();
             present(pager);
             waitForLoad("Sdkdetail/gonglue", 1);
             return pager->nowBtn();
         },
         selected},
        {"gift kinds",
         [&] {
             auto gifts = VXUserCentre::instantiate<VXGiftVC>("VXGiftVC");
             present(gifts);
             navigation->setNavigationBarHidden(true, false);
             waitForLoad("Sdkdetail/card", 1);
             return gifts->nowBtn.lock();
         },
         selected},
        {"coupon filter",
         [&] {
             auto centre = VXSuCouponVC::instantiate();
             present(centre);
             driver::tap(centre->navBtn());
             advance(0.35);
             waitForLoad("Sdkhome/mycoupon", 1);
             auto mine = std::dynamic_pointer_cast<VXSuMyCouponVC>(navigation->topViewController());
             return mine ? mine->nowBtn.lock() : nullptr;
         },
         [](const ui::ButtonRef& b) { return !b->isEnabled(); }},
        {"bill tabs",
         [&] {
             bills = VXSuBillVC::instantiate();
             present(bills);
             waitForLoad("Sdkhome/getdjqlog", 1);
             return bills->oneBtn.lock();
         },
         [&](const ui::ButtonRef& b) { return bills->nowBtn.lock() == b; }},
    };
    for (const auto& s : switches) {
        SCOPED_TRACE(s.name);
        ui::ButtonRef button;
        ASSERT_NO_FATAL_FAILURE(button = s.open());
        ASSERT_TRUE(button);
        ASSERT_TRUE(s.chosen(button));
        size_t sent = server.requests().size();
        auto scroll = driver::find<ui::ScrollView>(navigation->topViewController()->view());
        cg::Point offset = scroll ? scroll->contentOffset() : cg::Point{};
        // The chosen filter is a disabled button: its action is sent as a touch would send it.
        if (driver::canTap(button)) {
            driver::tap(button);
        } else {
            button->sendActionsForControlEvents(ui::ControlEventTouchUpInside);
        }
        advance(0.3);
        settle();
        EXPECT_TRUE(s.chosen(button));
        EXPECT_EQ(server.requests().size(), sent);
        if (scroll) {
            EXPECT_EQ(scroll->contentOffset(), offset);
        }
        navigation->dismissViewControllerAnimated(false);
        advance(0.3);
    }
}

} // namespace
