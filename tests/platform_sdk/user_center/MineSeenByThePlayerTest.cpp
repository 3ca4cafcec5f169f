// What a player notices on the mine page and the screens and panels it opens: each value under its
// own caption, second pages read with their own keys, the SMS countdown across a closed panel, one
// code request per double tap and the title badge's page.
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXSuBangView.h"
#include "platform_sdk/user_center/VXSuJieView.h"
#include "platform_sdk/user_center/VXSuOrderVC.h"
#include "platform_sdk/user_center/VXUserMsgVC.h"
#include "tests/platform_sdk/user_center/MineFixture.h"
#include "tests/platform_sdk/user_center/ReplyFaults.h"

namespace {

namespace driver = ui::driver;
using vx::test::MineTest;
using vx::test::faults::jsonReply;
using vx::test::faults::listState;
using vx::test::faults::pullFooter;

class MineSeen : public vx::test::faults::Driven<MineTest> {
protected:
    // The text shown right above the caption, in the caption's column.
    std::string valueAbove(const std::string& caption) {
        auto label = driver::findLabel(page->view(), caption);
        if (!label) return "(no caption " + caption + ")";
        for (const auto& other : driver::findAll<ui::Label>(label->superview())) {
            auto f = other->frame();
            if (other != label && f.origin.x == label->frame().origin.x && cg::RectGetMaxY(f) <= label->frame().origin.y &&
                cg::RectGetMaxY(f) > label->frame().origin.y - 10)
                return other->text().value_or("");
        }
        return "(nothing above " + caption + ")";
    }
    template <class T> ns::Ref<T> pushedFrom(long tag, const std::string& path) {
        driver::tap(page->btnsView.lock()->viewWithTag(tag));
        driver::advance(0.35);
        auto list = std::dynamic_pointer_cast<T>(nav->topViewController());
        EXPECT_TRUE(list && awaitRequests(path));
        waitForReplies();
        return list;
    }
    ns::Ref<VXCountDownButton> codeButton(const ui::ViewRef& panel) { return driver::find<VXCountDownButton>(panel); }
    std::string countdown(const ui::ViewRef& panel) {
        auto b = codeButton(panel);
        return b->currentTitle().value_or("") + (b->isEnabled() ? " on" : " off");
    }
};

TEST_F(MineSeen, EveryBalanceSitsUnderItsOwnCaption) {
    server.scriptNext("sdkhome/index", jsonReply(R"({"a":1,"b":"ok","c":{"uinfo":{"user_login":"player01",
        "nicename":"小明","money":"1.11","djq":"2.22","starcoin":3.5},"coupon":{"money":"4.44","count":5}}})"));
    ASSERT_NO_FATAL_FAILURE(openMine());
    EXPECT_EQ(valueAbove("平台币"), "1.11");
    EXPECT_EQ(valueAbove("代金券"), "2.22");
    EXPECT_EQ(valueAbove("星币"), "3.5");
    EXPECT_EQ(text(page->nickL), "小明");
    EXPECT_EQ(page->couponMoneyL.lock()->attributedText()->string(), "￥4.44");
    EXPECT_EQ(text(page->couponNumL), "共5张");
    // Each column opens its own statement.
    for (auto [area, title] : {std::pair{"ptb", "平台币明细"}, {"djq", "代金券明细"}, {"starcoin", "星币明细"}}) {
        ASSERT_NO_FATAL_FAILURE(tapArea(area));
        driver::advance(0.35);
        auto bill = std::dynamic_pointer_cast<VXRefreshViewController>(nav->topViewController());
        ASSERT_TRUE(bill) << area;
        EXPECT_EQ(bill->navTitleL()->text(), std::optional<std::string>(title));
        nav->popViewControllerAnimated(false);
        driver::advance(0.1);
    }
}

TEST_F(MineSeen, TappingTheTitleBadgeOpensTheTitlePage) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    driver::tap(page->payPic.lock());
    driver::advance(0.35);
    auto web = std::dynamic_pointer_cast<VXSuWebVC>(nav->topViewController());
    ASSERT_TRUE(web);
    EXPECT_EQ(web->name(), std::optional<std::string>("用户头衔等级说明"));
    EXPECT_EQ(web->url(), std::optional<std::string>(server.host() + "/sdkapicoupon2/Agreement/tx"));
    EXPECT_TRUE(web->isShowSuperVc());
}

TEST_F(MineSeen, MessagesReadTheirSecondPageFromTheirOwnKeys) {
    auto rows = [](int from, int to) {
        std::string out;
        for (int i = from; i <= to; ++i)
            out += (i > from ? "," : "") + std::string(R"({"id":)") + std::to_string(i) + R"(,"status":"1","title":"消息)" +
                   std::to_string(i) + R"("})";
        return "[" + out + "]";
    };
    server.scriptNext("Mynews/listnews", jsonReply(R"({"a":1,"c":)" + rows(1, 10) + R"(,"nowpage":1,"allnum":2})"));
    ASSERT_NO_FATAL_FAILURE(openMine());
    auto list = pushedFrom<VXUserMsgVC>(11, "Mynews/listnews");
    ASSERT_TRUE(list);
    EXPECT_EQ(listState(list), "rows=10 page=1 footer=idle");
    // The second page: rows under "c", the page under "nowpage", never the other lists' keys.
    server.scriptNext("Mynews/listnews", jsonReply(R"({"a":1,"c":)" + rows(11, 15) +
                                                   R"(,"nowpage":2,"allnum":2,"lists":[{"id":99}],"now_page":1})"));
    pullFooter(list->tableView());
    ASSERT_TRUE(awaitRequests("Mynews/listnews", 2));
    waitForReplies();
    EXPECT_EQ(server.requests("Mynews/listnews").at(1).params["pagecode"], ns::Value("2"));
    EXPECT_EQ(server.requests("Mynews/listnews").at(1).params["channel"], ns::Value("agent9"));
    EXPECT_EQ(listState(list), "rows=15 page=2 footer=all");
    EXPECT_EQ(list->modelAt(14)->title, std::optional<std::string>("消息15"));
}

TEST_F(MineSeen, BookingsReadTheirSecondPageFromTheirOwnKeys) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    auto list = pushedFrom<VXSuOrderVC>(13, "Sdkhome/bookinglist");
    ASSERT_TRUE(list);
    EXPECT_EQ(listState(list), "rows=10 page=1 footer=idle");
    // The stand-in's last two games come under "lists" with "now_page"; "c" and "nowpage" are not read.
    pullFooter(list->tableView());
    ASSERT_TRUE(awaitRequests("Sdkhome/bookinglist", 2));
    waitForReplies();
    auto sent = server.requests("Sdkhome/bookinglist").at(1).params;
    EXPECT_EQ(sent["pagecode"], ns::Value("2"));
    EXPECT_EQ(sent["type"], ns::Value("ios"));
    EXPECT_EQ(listState(list), "rows=12 page=2 footer=all");

    server.scriptNext("Sdkhome/bookinglist", jsonReply(R"({"lists":[{"id":1,"gamename":"甲"}],"now_page":1,"total_page":2,
        "c":[{"id":2},{"id":3}],"nowpage":2,"allnum":2})"));
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_TRUE(awaitRequests("Sdkhome/bookinglist", 3));
    waitForReplies();
    EXPECT_EQ(listState(list), "rows=1 page=1 footer=idle");
}

TEST_F(MineSeen, TheCodeCountdownRunsOnWhileThePanelIsClosed) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    ASSERT_NO_FATAL_FAILURE(tapArea("mobile"));
    auto panel = page->bangView();
    driver::typeText(panel->numF.lock(), "13800001234");
    driver::tap(codeButton(panel));
    ASSERT_TRUE(runMainUntil([&] { return countdown(panel) == "剩余30秒 off"; }));
    driver::advance(5);
    EXPECT_EQ(countdown(panel), "剩余25秒 off");
    driver::tap(driver::findByAccessibilityId(panel, "close"));
    ASSERT_FALSE(panel->window());
    driver::advance(10);
    ASSERT_NO_FATAL_FAILURE(tapArea("mobile"));
    ASSERT_EQ(page->bangView(), panel) << "the same panel comes back";
    EXPECT_TRUE(panel->window());
    EXPECT_EQ(countdown(panel), "剩余15秒 off");
    EXPECT_EQ(panel->numF.lock()->text(), "") << "the fields were emptied at the close";
    driver::advance(15);
    EXPECT_EQ(countdown(panel), "重新获取 on");
    EXPECT_EQ(server.requests("Sdkhome/yzm").size(), 1u);
}

// A double tap on the code button sends one request and starts one countdown, on both panels.
TEST_F(MineSeen, ADoubleTapOnACodeButtonAsksOnce) {
    for (bool bound : {false, true}) {
        SCOPED_TRACE(bound ? "unbind" : "bind");
        if (bound) server.withState([](vx::server::PlatformServer::State& s) { s.accounts["player01"].phone = "13800001234"; });
        ASSERT_NO_FATAL_FAILURE(openMine());
        ASSERT_NO_FATAL_FAILURE(tapArea("mobile"));
        ui::ViewRef panel = bound ? ui::ViewRef(page->jieView()) : ui::ViewRef(page->bangView());
        ASSERT_TRUE(panel->window());
        if (!bound) driver::typeText(page->bangView()->numF.lock(), "13800001234");
        size_t before = server.requests("Sdkhome/yzm").size();
        server.holdNext("Sdkhome/yzm");
        driver::tap(codeButton(panel));
        ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
        EXPECT_EQ(countdown(panel), "获取验证码 off") << "off while asking";
        if (driver::canTap(codeButton(panel))) driver::tap(codeButton(panel));
        server.releaseHeld();
        waitForReplies();
        EXPECT_EQ(server.requests("Sdkhome/yzm").size(), before + 1);
        driver::advance(1);
        EXPECT_EQ(countdown(panel), "剩余29秒 off") << "one countdown";
        driver::advance(29);
        EXPECT_EQ(countdown(panel), "重新获取 on");
        driver::tap(driver::findByAccessibilityId(panel, "close"));
    }
}

} // namespace
