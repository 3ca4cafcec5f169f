// Every request of the coupon, bill, welfare, strategy and comment screens, answered wrong in
// every way the network and the server can: what the player sees and what stays on screen.
#include "platform_sdk/user_center/VXActivityVC.h"
#include "platform_sdk/user_center/VXGiftCell.h"
#include "platform_sdk/user_center/VXGiftVC.h"
#include "platform_sdk/user_center/VXPingCell.h"
#include "platform_sdk/user_center/VXPingTwoVC.h"
#include "platform_sdk/user_center/VXPingVC.h"
#include "platform_sdk/user_center/VXServerVC.h"
#include "platform_sdk/user_center/VXStrategyVC.h"
#include "platform_sdk/user_center/VXSuBillVC.h"
#include "platform_sdk/user_center/VXSuCouponVC.h"
#include "platform_sdk/user_center/VXSuMyCouponVC.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "platform_sdk/user_center/VXWelfareVC.h"
#include "tests/platform_sdk/user_center/ListScreenFixture.h"
#include "tests/platform_sdk/user_center/ReplyFaults.h"

namespace {

namespace driver = ui::driver;
using namespace vx::test::faults;

class ListFaults : public Driven<vx::test::ListScreenTest>, public ::testing::WithParamInterface<std::string> {
public:
    using ListScreenTest::navigation;
    using ListScreenTest::server;

    // Shows the screen with its first page answered by `first` (the model's answer when empty).
    template <class T> ns::Ref<T> show(ns::Ref<T> screen, const std::string& path, const std::string& first = {}) {
        if (!first.empty()) server.scriptNext(path, jsonReply(first));
        present(screen);
        EXPECT_TRUE(awaitRequests(path));
        waitForReplies();
        this->screen = screen;
        return screen;
    }
    void reload(const std::string& path, const std::string& first, const std::function<void()>& send) {
        server.scriptNext(path, jsonReply(first));
        send();
    }

    ui::ViewControllerRef screen;
    template <class T> ns::Ref<T> as() { return std::dynamic_pointer_cast<T>(screen); }
    ns::Ref<VXRefreshViewController> list() { return as<VXRefreshViewController>(); }
};

using Row = Request<ListFaults>;

// A page of `count` rows whose keys serve every list: coupons, bills, articles, servers, comments.
std::string rowsOf(int count) {
    std::string rows;
    for (int i = 1; i <= count; ++i) {
        auto n = std::to_string(i);
        rows += (i > 1 ? "," : "") + std::string(R"({"id":)") + n + R"(,"cid":)" + n +
                R"(,"is_get":"0","coupon_money":"5","pay_money":"50","gamename":"游戏","time":"今日","end_time":"明日",)"
                R"("money":"5","remark":"充值","post_title":"文章)" + n +
                R"(","post_date":"今日","openurl":"about:blank","servername":"区)" + n +
                R"(","day":"1日","hour":"10:00","status":0,"full_name":"玩家)" + n +
                R"(","content":"好玩","good":7,"isgood":0,"level":0,"vippic":"","paypic":[]})";
    }
    return "[" + rows + "]";
}
// The page at the top level, as the lists without a status send it.
std::string plainPage(int count, int now, int total) {
    return R"({"lists":)" + rowsOf(count) + R"(,"now_page":)" + std::to_string(now) + R"(,"total_page":)" +
           std::to_string(total) + "}";
}
// The page inside "c" with "a" 1, as the lists with a status send it.
std::string statusPage(int count, int now, int total) {
    return R"({"a":1,"b":"ok","c":{"lists":)" + rowsOf(count) + R"(,"data":)" + rowsOf(count) + R"(,"now_page":)" +
           std::to_string(now) + R"(,"total_page":)" + std::to_string(total) + "}}";
}

const std::string Refusal = R"({"a":0,"b":"稍后再试"})";
const std::string TextStatus = R"({"a":"一","b":"稍后再试"})";
const std::string Emptied = "rows=0 page=0 footer=all";

std::string listOf(ListFaults& f) { return listState(f.list()); }
std::function<void(ListFaults&)> hook(const std::string& path, const std::string& first) {
    return [path, first](ListFaults& f) { f.reload(path, first, [&] { f.list()->tableViewDidTriggerHeaderRefresh(); }); };
}
void firstPage(ListFaults& f) { f.list()->tableViewDidTriggerHeaderRefresh(); }
void nextPage(ListFaults& f) { pullFooter(f.list()->tableView()); }

// The faults every first page without a status check meets, and what each leaves.
std::vector<Case> plainFirstPage() {
    return unreachable("") + std::vector<Case>{
        refused(Refusal, ""),
        wrong("text for numbers", R"({"lists":)" + rowsOf(2) + R"(,"now_page":"1","total_page":"1"})", "",
              "rows=2 page=1 footer=all"),
        wrong("null list", R"({"lists":null,"now_page":null,"total_page":null})", "", Emptied),
        wrong("dictionary for the list", R"({"lists":{"0":{"id":1}},"now_page":[1],"total_page":{}})", "", Emptied),
        wrong("missing list", R"({})", "", Emptied),
    };
}
// The faults every next page meets: none adds a row or skips a page; past the end shows all loaded.
std::vector<Case> nextPageFaults(bool inC, int rows) {
    auto wrap = [inC](const std::string& inner) { return inC ? R"({"a":1,"c":)" + inner + "}" : inner; };
    return unreachable("") + std::vector<Case>{
        refused(Refusal, ""),
        wrong("null list", wrap(R"({"lists":null,"now_page":null})"), ""),
        wrong("dictionary for the list", wrap(R"({"lists":{"0":{"id":1}},"now_page":2})"), ""),
        wrong("page past the end", wrap(R"({"lists":[],"now_page":9,"total_page":3})"), "",
              "rows=" + std::to_string(rows) + " page=9 footer=all"),
    };
}
// The faults of a first page that reads "a": refusals say "b" and keep everything.
std::vector<Case> statusFirstPage() {
    return unreachable("") + std::vector<Case>{
        refused(Refusal, "稍后再试"),
        wrong("text for a number", TextStatus, "稍后再试"),
        wrong("null status and message", R"({"a":null,"b":null})", ""),
        wrong("array reply", R"([1,2])", ""),
        wrong("null list", R"({"a":1,"c":null})", "", Emptied),
        wrong("array for a dictionary", R"({"a":1,"c":[1]})", "", Emptied),
        wrong("missing list", R"({"a":1,"c":{}})", "", Emptied),
    };
}
// The faults of an action answered with a toast: its "b", or "服务器错误" when nothing came back.
std::vector<Case> actionFaults(const std::string& failure, const std::string& unreadable) {
    return unreachable(failure, unreadable) + std::vector<Case>{
        refused(Refusal, "稍后再试"),
        wrong("text for a number", TextStatus, "稍后再试"),
        wrong("null status and message", R"({"a":null,"b":null})", ""),
    };
}

std::string visibleRows(ListFaults& f) {
    auto table = f.list()->tableView();
    int shown = 0;
    for (long i = 0; i < driver::rowCount(table, 0); ++i) shown += driver::rowHeight(table, {0, i}) > 0;
    return "shown=" + std::to_string(shown) + " of " + std::to_string(driver::rowCount(table, 0));
}
void openCentre(ListFaults& f) { f.show(VXSuCouponVC::instantiate(), "Sdkdetail/couponlists", statusPage(4, 1, 1)); }
void openMyCoupons(ListFaults& f) {
    openCentre(f);
    f.server.scriptNext("Sdkhome/mycoupon", jsonReply(plainPage(10, 1, 3)));
    driver::tap(f.as<VXSuCouponVC>()->navBtn());
    f.advanceClock(0.35);
    f.screen = f.navigation->topViewController();
    f.waitForReplies();
}
void openComments(ListFaults& f) {
    f.show(ui::ViewController::create<VXPingVC>(), "Sdkcomments/get", statusPage(10, 1, 3));
}
const std::string ThreadPage = statusPage(10, 1, 3);
void openThread(ListFaults& f) {
    openComments(f);
    f.server.scriptNext("Sdkcomments/listscomments", jsonReply(ThreadPage));
    driver::selectRow(f.list()->tableView(), {0, 0});
    f.advanceClock(0.35);
    f.screen = f.navigation->topViewController();
    EXPECT_TRUE(f.as<VXPingTwoVC>());
    f.waitForReplies();
}
void openServers(ListFaults& f) {
    f.show(VXUserCentre::instantiate<VXServerVC>("VXServerVC"), "Server/lists2", plainPage(20, 1, 3));
}
std::string serverState(ListFaults& f) {
    auto list = f.as<VXServerVC>();
    return "rows=" + std::to_string(list->dataSource().size()) + " page=" + std::to_string(list->page()) +
           " footer=" + footerState(list->tableView.lock()) +
           (list->tableView.lock()->tableHeaderView() ? " explained" : "");
}
void openGifts(ListFaults& f) {
    f.show(VXUserCentre::instantiate<VXGiftVC>("VXGiftVC"), "Sdkdetail/card", rowsOf(3));
    // A pager page has no bar over it.
    f.navigation->setNavigationBarHidden(true, false);
}
std::string giftState(ListFaults& f) {
    auto gifts = f.as<VXGiftVC>();
    return "rows=" + std::to_string(gifts->dataSource().size()) + " height=" +
           std::to_string(static_cast<int>(gifts->tableViewH.lock()->constant()));
}
std::string commentState(ListFaults& f) {
    auto cell = driver::cell<VXPingCell>(f.list()->tableView(), {0, 0});
    return listState(f.list()) + " likes=" + cell->numberL.lock()->text().value_or("") +
           (cell->goodBtn.lock()->isEnabled() ? " can like" : " liked");
}
void sendComment(ListFaults& f, const VXInputViewRef& bar) {
    driver::typeText(bar->textView(), "好评");
    driver::tap(bar->sendButton());
}

// The other five statements (platform coins, star coins, voucher spending): their first pages.
std::vector<Row> statementRows() {
    struct Kind {
        const char* name;
        bool ptb, stars, spending;
        const char* path;
    };
    std::vector<Row> out;
    for (Kind k : {Kind{"platform coins in", true, false, false, "Userexpand/getptblog"},
                   Kind{"platform coins out", true, false, true, "Userexpand/payptblog"},
                   Kind{"star coins in", false, true, false, "Sdkhome/getstarcoinlog"},
                   Kind{"star coins out", false, true, true, "Sdkhome/paystarcoinlog"},
                   Kind{"vouchers out", false, false, true, "Sdkhome/paydjqlog"}}) {
        auto open = [k](ListFaults& f) {
            auto bills = VXSuBillVC::instantiate();
            bills->setIsPtb(k.ptb);
            bills->setIsStars(k.stars);
            f.show(bills, k.spending ? "" : k.path, k.spending ? "" : statusPage(10, 1, 1));
            if (!k.spending) return;
            f.reload(k.path, statusPage(10, 1, 1), [&] { driver::tap(bills->bgView.lock()->viewWithTag(11)); });
            f.waitFor([&] { return !f.stand().requests(k.path).empty(); });
            f.waitForReplies();
        };
        out.push_back({std::string("bills, ") + k.name, k.path, open, firstPage, listOf, statusFirstPage(),
                       hook(k.path, statusPage(10, 1, 1))});
    }
    return out;
}

std::vector<Row> rows() {
    return statementRows() + std::vector<Row>{
        {"coupon centre", "Sdkdetail/couponlists", openCentre, firstPage, listOf,
         unreachable("") + std::vector<Case>{
             refused(Refusal, "稍后再试"),
             wrong("text for a number", TextStatus, "稍后再试"),
             wrong("null status and message", R"({"a":null,"b":null})", ""),
             wrong("null list", R"({"a":1,"c":null})", "", "rows=0 page=1 footer=all"),
             wrong("array for a dictionary", R"({"a":1,"c":[1]})", "", "rows=0 page=1 footer=all"),
             wrong("missing list", R"({"a":1,"c":{}})", "", "rows=0 page=1 footer=all"),
         },
         hook("Sdkdetail/couponlists", statusPage(4, 1, 1))},
        {"claiming a coupon", "Sdkdetail/getcoupon", openCentre,
         [](ListFaults& f) { driver::selectRow(f.list()->tableView(), {0, 0}); }, visibleRows,
         actionFaults("服务器错误", "服务器错误") + std::vector<Case>{wrong("array reply", "[1]", "服务器错误")}, nullptr},
        {"claiming every coupon", "Sdkdetail/getcouponall", openCentre,
         [](ListFaults& f) { driver::tap(driver::findButton(f.screen->view(), "一键领取")); }, visibleRows,
         actionFaults("服务器错误", "服务器错误") + std::vector<Case>{wrong("array reply", "[1]", "服务器错误")}, nullptr},
        {"my coupons, first page", "Sdkhome/mycoupon",
         openMyCoupons,
         // The filter switch is the player's reload.
         [](ListFaults& f) {
             auto mine = f.as<VXSuMyCouponVC>();
             auto other = mine->nowBtn.lock()->tag() == 10 ? 11 : 10;
             driver::tap(mine->topView()->viewWithTag(other));
         },
         listOf, plainFirstPage(),
         [](ListFaults& f) { f.reload("Sdkhome/mycoupon", plainPage(10, 1, 3), [&] { firstPage(f); }); }},
        {"my coupons, next page", "Sdkhome/mycoupon",
         openMyCoupons,
         nextPage, listOf, nextPageFaults(false, 10), hook("Sdkhome/mycoupon", plainPage(10, 1, 3))},
        {"bills, first page", "Sdkhome/getdjqlog",
         [](ListFaults& f) { f.show(VXSuBillVC::instantiate(), "Sdkhome/getdjqlog", statusPage(20, 1, 3)); },
         firstPage, listOf, statusFirstPage(), hook("Sdkhome/getdjqlog", statusPage(20, 1, 3))},
        {"bills, next page", "Sdkhome/getdjqlog",
         [](ListFaults& f) { f.show(VXSuBillVC::instantiate(), "Sdkhome/getdjqlog", statusPage(20, 1, 3)); },
         nextPage, listOf, nextPageFaults(true, 20), hook("Sdkhome/getdjqlog", statusPage(20, 1, 3))},
        {"welfare", "Sdkdetail/fuli",
         [](ListFaults& f) { f.show(VXUserCentre::instantiate<VXWelfareVC>("VXWelfareVC"), "Sdkdetail/fuli"); },
         [](ListFaults& f) { f.as<VXWelfareVC>()->loadData(); },
         [](ListFaults& f) {
             auto page = f.as<VXWelfareVC>();
             return page->fanliL.lock()->text().value_or("") + " rows=" + std::to_string(page->dataSource().size());
         },
         unreachable("服务器错误") + std::vector<Case>{
             refused(Refusal, "稍后再试"),
             wrong("text for a number", TextStatus, "稍后再试"),
             wrong("null status and message", R"({"a":null,"b":null})", ""),
             // Success with a "c" that is no dictionary: every block reads as empty.
             wrong("array for a dictionary", R"({"a":1,"c":[1]})", "", " rows=1"),
             wrong("null for a dictionary", R"({"a":1,"c":null})", "", " rows=1"),
         },
         [](ListFaults& f) { f.as<VXWelfareVC>()->loadData(); }},
        {"activities, first page", "Sdkdetail/gameActivity",
         [](ListFaults& f) { f.show(ui::ViewController::create<VXActivityVC>(), "Sdkdetail/gameActivity", plainPage(10, 1, 3)); },
         // A pull on the header.
         [](ListFaults& f) {
             driver::pullDown(f.list()->tableView(), 120);
             driver::release(f.list()->tableView());
         },
         listOf, plainFirstPage(), hook("Sdkdetail/gameActivity", plainPage(10, 1, 3))},
        {"activities, next page", "Sdkdetail/gameActivity",
         [](ListFaults& f) { f.show(ui::ViewController::create<VXActivityVC>(), "Sdkdetail/gameActivity", plainPage(10, 1, 3)); },
         nextPage, listOf, nextPageFaults(false, 10), hook("Sdkdetail/gameActivity", plainPage(10, 1, 3))},
        {"strategies, first page", "Sdkdetail/gonglue",
         [](ListFaults& f) { f.show(ui::ViewController::create<VXStrategyVC>(), "Sdkdetail/gonglue", plainPage(10, 1, 3)); },
         firstPage, listOf, plainFirstPage(), hook("Sdkdetail/gonglue", plainPage(10, 1, 3))},
        {"strategies, next page", "Sdkdetail/gonglue",
         [](ListFaults& f) { f.show(ui::ViewController::create<VXStrategyVC>(), "Sdkdetail/gonglue", plainPage(10, 1, 3)); },
         nextPage, listOf, nextPageFaults(false, 10), hook("Sdkdetail/gonglue", plainPage(10, 1, 3))},
        {"gift kinds", "Sdkdetail/card", openGifts,
         // Another kind button each time.
         [](ListFaults& f) {
             auto gifts = f.as<VXGiftVC>();
             driver::tap(gifts->btnsView.lock()->viewWithTag(gifts->nowBtn.lock()->tag() == 10 ? 11 : 10));
         },
         giftState,
         unreachable("服务器错误") + std::vector<Case>{
             refused(Refusal, "稍后再试"),
             wrong("dictionary without a message", R"({"a":1})", "服务器错误"),
             wrong("null reply", "null", "服务器错误"),
             wrong("rows of the wrong type", R"([1,"x",null,[2]])", "", "rows=0 height=0"),
         },
         [](ListFaults& f) { f.reload("Sdkdetail/card", rowsOf(3), [&] { f.as<VXGiftVC>()->loadData(); }); }},
        {"claiming a gift", "Card/receive", openGifts,
         [](ListFaults& f) { driver::tap(driver::cell<VXGiftCell>(f.as<VXGiftVC>()->tableView.lock(), {0, 0})->btn); },
         giftState, actionFaults("服务器错误", "服务器错误"), nullptr},
        {"server list, first page", "Server/lists2", openServers,
         [](ListFaults& f) { f.as<VXServerVC>()->tableViewDidTriggerHeaderRefresh(); }, serverState,
         unreachable("") + std::vector<Case>{
             refused(Refusal, ""),
             wrong("text for numbers", R"({"auto":"1","lists":)" + rowsOf(2) + R"(,"now_page":"1","total_page":"1"})", "",
                   "rows=2 page=1 footer=all explained"),
             wrong("null list", R"({"auto":null,"lists":null,"now_page":null,"total_page":null})", "", Emptied),
             wrong("dictionary for the list", R"({"auto":[1],"lists":{"0":{"id":1}},"now_page":[1]})", "", Emptied),
             wrong("missing list", R"({})", "", Emptied),
         },
         [](ListFaults& f) {
             f.reload("Server/lists2", plainPage(20, 1, 3), [&] { f.as<VXServerVC>()->tableViewDidTriggerHeaderRefresh(); });
         }},
        {"server list, next page", "Server/lists2", openServers,
         [](ListFaults& f) { pullFooter(f.as<VXServerVC>()->tableView.lock()); }, serverState,
         nextPageFaults(false, 20),
         [](ListFaults& f) {
             f.reload("Server/lists2", plainPage(20, 1, 3), [&] { f.as<VXServerVC>()->tableViewDidTriggerHeaderRefresh(); });
         }},
        {"comments, first page", "Sdkcomments/get", openComments,
         [](ListFaults& f) {
             driver::pullDown(f.list()->tableView(), 120);
             driver::release(f.list()->tableView());
         },
         listOf, statusFirstPage(), hook("Sdkcomments/get", statusPage(10, 1, 3))},
        {"comments, next page", "Sdkcomments/get", openComments, nextPage, listOf, nextPageFaults(true, 10),
         hook("Sdkcomments/get", statusPage(10, 1, 3))},
        {"posting a comment", "Sdkcomments/commit", openComments,
         [](ListFaults& f) { sendComment(f, f.as<VXPingVC>()->commentInputView()); }, listOf,
         actionFaults("服务器错误", "服务器错误"), nullptr},
        {"liking a comment", "Sdkcomments/good", openComments,
         [](ListFaults& f) { driver::tap(driver::cell<VXPingCell>(f.list()->tableView(), {0, 0})->goodBtn.lock()); },
         commentState,
         unreachable("") + std::vector<Case>{
             refused(Refusal, ""),
             wrong("text for a number", TextStatus, ""),
             wrong("null status", R"({"a":null,"b":null})", ""),
         }, nullptr},
        {"thread, first page", "Sdkcomments/listscomments", openThread, firstPage, listOf, statusFirstPage(),
         hook("Sdkcomments/listscomments", ThreadPage)},
        {"thread, next page", "Sdkcomments/listscomments", openThread, nextPage, listOf, nextPageFaults(true, 10), hook("Sdkcomments/listscomments", ThreadPage)},
        {"replying in a thread", "Sdkcomments/commit", openThread,
         [](ListFaults& f) { sendComment(f, f.as<VXPingTwoVC>()->commentInputView()); }, listOf,
         actionFaults("服务器错误", "服务器错误"), nullptr},
    };
}

TEST_P(ListFaults, EveryFaultKeepsTheScreenAndSaysWhatItShould) { runNamed<ListFaults>(*this, rows(), GetParam()); }

INSTANTIATE_TEST_SUITE_P(Requests, ListFaults, ::testing::ValuesIn(names(rows())), testName);

} // namespace
