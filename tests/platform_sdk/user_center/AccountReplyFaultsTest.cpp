// Every request of the mine page and the account screens it opens, answered wrong in every way the
// network and the server can: what the player sees and what stays on screen.
#include "platform_sdk/VXLoginRzView.h"
#include "platform_sdk/user_center/VXSuBangView.h"
#include "platform_sdk/user_center/VXSuJieView.h"
#include "platform_sdk/user_center/VXSuOrderVC.h"
#include "platform_sdk/user_center/VXSuSubNameVC.h"
#include "platform_sdk/user_center/VXUserMsgCell.h"
#include "platform_sdk/user_center/VXUserMsgVC.h"
#include "tests/platform_sdk/user_center/MineFixture.h"
#include "tests/platform_sdk/user_center/ReplyFaults.h"
#include "widgets/VXProgressHUD.h"

namespace {

namespace driver = ui::driver;
using namespace vx::test::faults;

class AccountFaults : public Driven<vx::test::MineTest>, public ::testing::WithParamInterface<std::string> {
public:
    using MineTest::nav;
    using MineTest::openMine;
    using MineTest::page;
    using MineTest::seedSubAccounts;
    using MineTest::server;
    using MineTest::tapArea;
    using MineTest::text;
    using MineTest::window;

    // The screen pushed by the last entry tapped, its first page shown.
    template <class T> ns::Ref<T> pushed(const std::string& path) {
        driver::advance(0.35);
        auto screen = std::dynamic_pointer_cast<T>(nav->topViewController());
        EXPECT_TRUE(screen);
        EXPECT_TRUE(awaitRequests(path));
        waitForReplies();
        return screen;
    }
    void back() {
        nav->popViewControllerAnimated(false);
        driver::advance(0.1);
    }
    ns::Ref<VXCountDownButton> codeButton() { return driver::find<VXCountDownButton>(panel); }
    void confirmName(const std::string& name) {
        driver::advance(0.3);
        auto alert = driver::presentedAlert(window);
        ASSERT_TRUE(alert);
        driver::typeIntoAlertField(alert, 0, name);
        driver::tapAlertAction(alert, "确认");
        driver::advance(0.3);
    }

    ns::Ref<VXRefreshViewController> list;
    VXSuSubNameVCRef subs;
    ui::ViewRef panel;
};

using Row = Request<AccountFaults>;

// A message page of `count` rows from id `first`, unread ones first.
std::string messages(int first, int count, const std::string& now, const std::string& all) {
    std::string rows;
    for (int i = 0; i < count; ++i)
        rows += (i ? "," : "") + std::string(R"({"id":)") + std::to_string(first + i) + R"(,"status":")" +
                (i < 2 ? "0" : "1") + R"(","title":"消息)" + std::to_string(first + i) + R"(","url":"about:blank"})";
    return R"({"a":1,"b":"ok","c":[)" + rows + R"(],"nowpage":)" + now + R"(,"allnum":)" + all + "}";
}

const std::string Refusal = R"({"a":0,"b":"稍后再试"})";
const std::string TextStatus = R"({"a":"一","b":"稍后再试"})";

std::string mineState(AccountFaults& f) {
    std::string s;
    for (const auto& label : {f.page->nickL, f.page->nameL, f.page->ptbL, f.page->djqL, f.page->xinL,
                              f.page->mobileL, f.page->rzL, f.page->msgNumL})
        s += AccountFaults::text(label) + "|";
    return s + (f.page->msgNumL.lock()->isHidden() ? "no badge" : "badge");
}

void openMessages(AccountFaults& f) {
    ASSERT_NO_FATAL_FAILURE(f.openMine());
    f.server.scriptNext("Mynews/listnews", jsonReply(messages(1, 10, "1", "3")));
    driver::tap(f.page->btnsView.lock()->viewWithTag(11));
    f.list = f.pushed<VXUserMsgVC>("Mynews/listnews");
}
void reloadMessages(AccountFaults& f) {
    f.server.scriptNext("Mynews/listnews", jsonReply(messages(1, 10, "1", "3")));
    f.list->tableViewDidTriggerHeaderRefresh();
}
void openBookings(AccountFaults& f) {
    ASSERT_NO_FATAL_FAILURE(f.openMine());
    driver::tap(f.page->btnsView.lock()->viewWithTag(13));
    f.list = f.pushed<VXSuOrderVC>("Sdkhome/bookinglist");
}
std::string listOf(AccountFaults& f) { return listState(f.list); }
void firstPage(AccountFaults& f) { f.list->tableViewDidTriggerHeaderRefresh(); }
void nextPage(AccountFaults& f) { pullFooter(f.list->tableView()); }

void openSubAccounts(AccountFaults& f) {
    f.seedSubAccounts();
    ASSERT_NO_FATAL_FAILURE(f.openMine());
    ASSERT_NO_FATAL_FAILURE(f.tapArea("subname"));
    f.subs = f.pushed<VXSuSubNameVC>("Sdkhome/myxiaohao");
}

// The mine page with the panel of `area` open over it; with a bound phone the phone row opens the
// unbind panel.
void openPanel(AccountFaults& f, const std::string& area, bool bound) {
    if (bound) f.server.withState([](vx::server::PlatformServer::State& s) { s.accounts["player01"].phone = "13800001234"; });
    ASSERT_NO_FATAL_FAILURE(f.openMine());
    ASSERT_NO_FATAL_FAILURE(f.tapArea(area));
}
// A panel's commit: its refusal's "b", "服务器错误" for anything that did not come back readable.
std::vector<Case> commitFaults(const std::string& refusal, const std::string& toast) {
    return unreachable("服务器错误") + std::vector<Case>{
        refused(refusal, toast),
        wrong("text for a number", TextStatus, "稍后再试"),
        wrong("null status and message", R"({"a":null,"b":null})", ""),
        wrong("array reply", R"([1])", "服务器错误"),
    };
}
std::string fieldsAndRow(const std::vector<ui::TextFieldRef>& fields, const ui::ViewRef& panel,
                         const ns::Weak<ui::Label>& row) {
    std::string s;
    for (const auto& field : fields) s += field->text() + " ";
    return s + (panel->window() ? "open " : "closed ") + AccountFaults::text(row);
}

std::vector<Row> rows() {
    return {
        {"mine page", "sdkhome/index",
         [](AccountFaults& f) { f.openMine(); },
         // Coming back from a pushed screen reloads the page.
         [](AccountFaults& f) {
             f.nav->pushViewController(ui::ViewController::create(), false);
             f.nav->popViewControllerAnimated(false);
         },
         mineState,
         unreachable("服务器错误") + std::vector<Case>{
             refused(Refusal, "稍后再试"),
             wrong("text for a number", TextStatus, "稍后再试"),
             wrong("null status and message", R"({"a":null,"b":null})", ""),
             wrong("array for a dictionary", R"({"a":1,"b":"ok","c":[1,2]})", "服务器错误"),
             wrong("null for a dictionary", R"({"a":1,"b":"ok","c":null})", "服务器错误"),
             wrong("text for a dictionary", R"({"a":1,"b":"ok","c":"uinfo"})", "服务器错误"),
             wrong("array reply", R"([1,2,3])", "服务器错误"),
         }, nullptr},
        {"messages, first page", "Mynews/listnews", openMessages, firstPage, listOf,
         unreachable("") + std::vector<Case>{
             refused(Refusal, "稍后再试"),
             wrong("text for a number", TextStatus, "稍后再试"),
             wrong("no status", R"({"c":[],"nowpage":1,"allnum":1})", ""),
             wrong("null list", R"({"a":1,"c":null,"nowpage":null,"allnum":null})", "", "rows=0 page=0 footer=all"),
             wrong("dictionary for the list", R"({"a":1,"c":{"id":1},"nowpage":[1],"allnum":{}})", "",
                   "rows=0 page=0 footer=all"),
             wrong("missing list", R"({"a":1,"b":"ok"})", "", "rows=0 page=0 footer=all"),
             wrong("page past the end", messages(1, 0, "5", "3"), "", "rows=0 page=5 footer=all"),
         },
         reloadMessages},
        {"messages, next page", "Mynews/listnews", openMessages, nextPage, listOf,
         unreachable("") + std::vector<Case>{
             refused(Refusal, ""),
             wrong("null list", R"({"a":1,"c":null,"nowpage":null,"allnum":null})", ""),
             wrong("dictionary for the list", R"({"a":1,"c":{"id":1},"nowpage":[2]})", ""),
             wrong("text for numbers", messages(11, 10, "\"2\"", "\"3\""), "", "rows=20 page=2 footer=idle"),
             wrong("page past the end", messages(11, 0, "9", "3"), "", "rows=10 page=9 footer=all"),
         },
         reloadMessages},
        {"marking a message read", "Mynews/news", openMessages,
         // Opening the unread first message asks to mark it; back to the list.
         [](AccountFaults& f) {
             driver::selectRow(f.list->tableView(), ui::IndexPath::forRow(0, 0));
             f.back();
         },
         [](AccountFaults& f) {
             auto cell = driver::cell<VXUserMsgCell>(f.list->tableView(), ui::IndexPath::forRow(0, 0));
             return std::string(cell->pointView.lock()->isHidden() ? "read" : "unread") + " badge " +
                    AccountFaults::text(f.page->msgNumL);
         },
         unreachable("") + std::vector<Case>{
             refused(Refusal, ""),
             wrong("text for a number", TextStatus, ""),
             wrong("null status", R"({"a":null,"b":null})", ""),
             wrong("array reply", R"([1])", ""),
         }, nullptr},
        {"bookings, first page", "Sdkhome/bookinglist", openBookings, firstPage, listOf,
         unreachable("") + std::vector<Case>{
             refused(Refusal, ""),
             wrong("text for numbers", R"({"lists":[{"id":"1","gamename":"甲","downloadnum":"9"}],"now_page":"1","total_page":"1"})",
                   "", "rows=1 page=1 footer=all"),
             wrong("null list", R"({"lists":null,"now_page":null,"total_page":null})", "", "rows=0 page=0 footer=all"),
             wrong("dictionary for the list", R"({"lists":{"0":{"id":1}},"now_page":[1],"total_page":{}})", "",
                   "rows=0 page=0 footer=all"),
             wrong("missing list", R"({})", "", "rows=0 page=0 footer=all"),
         },
         firstPage},
        {"bookings, next page", "Sdkhome/bookinglist", openBookings, nextPage, listOf,
         unreachable("") + std::vector<Case>{
             refused(Refusal, ""),
             wrong("null list", R"({"lists":null,"now_page":null})", ""),
             wrong("dictionary for the list", R"({"lists":{"0":{"id":1}},"now_page":2})", ""),
             wrong("page past the end", R"({"lists":[],"now_page":9,"total_page":2})", "", "rows=10 page=9 footer=all"),
         },
         firstPage},
        {"my bookings", "Sdkhome/mybookinglist",
         [](AccountFaults& f) {
             openBookings(f);
             driver::tap(std::dynamic_pointer_cast<VXSuOrderVC>(f.list)->navBtn());
             f.list = f.pushed<VXRefreshViewController>("Sdkhome/mybookinglist");
         },
         firstPage, listOf,
         unreachable("") + std::vector<Case>{
             refused(Refusal, ""),
             wrong("missing list", R"({"now_page":1})", "", "rows=0 page=1 footer=all"),
         },
         firstPage},
        {"sub-account list", "Sdkhome/myxiaohao", openSubAccounts,
         [](AccountFaults& f) { f.subs->loadData(); },
         [](AccountFaults& f) { return "rows=" + std::to_string(driver::rowCount(f.subs->tableView.lock(), 0)); },
         unreachable("服务器错误", "") + std::vector<Case>{
             refused(Refusal, ""),
             wrong("text for a number", TextStatus, ""),
             wrong("null list", R"({"a":1,"c":null})", "", "rows=0"),
             wrong("dictionary for the list", R"({"a":1,"c":{"nickname":"x"}})", "", "rows=0"),
         },
         [](AccountFaults& f) { f.subs->loadData(); }},
        {"adding a sub-account", "login/addxiaohao", openSubAccounts,
         [](AccountFaults& f) {
             driver::tap(driver::findButton(f.subs->view(), "添加小号"));
             ASSERT_NO_FATAL_FAILURE(f.confirmName("三号"));
         },
         [](AccountFaults& f) {
             return "rows=" + std::to_string(driver::rowCount(f.subs->tableView.lock(), 0)) +
                    (VXProgressHUD::HUDForView(f.subs->view()) ? " busy" : "");
         },
         unreachable("", "小号(null)") + std::vector<Case>{
             refused(R"({"code":0,"msg":"名称已存在"})", "小号名称已存在"),
             wrong("text for a number", R"({"code":"一","msg":"稍后再试"})", "小号稍后再试"),
             wrong("null status and message", R"({"code":null,"msg":null})", "小号<null>"),
         }, nullptr},
        {"renaming a sub-account", "Sdkhome/editxiaohao", openSubAccounts,
         [](AccountFaults& f) {
             driver::selectRow(f.subs->tableView.lock(), ui::IndexPath::forRow(0, 0));
             ASSERT_NO_FATAL_FAILURE(f.confirmName("新名"));
         },
         [](AccountFaults& f) {
             return "rows=" + std::to_string(driver::rowCount(f.subs->tableView.lock(), 0)) + " first=" +
                    f.subs->dataSource()[0]->nickname.value_or("");
         },
         unreachable("服务器错误") + std::vector<Case>{
             refused(Refusal, "稍后再试"),
             wrong("text for a number", TextStatus, "稍后再试"),
             wrong("null status and message", R"({"a":null,"b":null})", ""),
             wrong("array reply", R"([1])", "服务器错误"),
         }, nullptr},
        {"bind code", "Sdkhome/yzm",
         [](AccountFaults& f) {
             openPanel(f, "mobile", false);
             f.panel = f.page->bangView();
             driver::typeText(f.page->bangView()->numF.lock(), "13800001234");
         },
         [](AccountFaults& f) { driver::tap(f.codeButton()); },
         [](AccountFaults& f) {
             auto b = f.codeButton();
             return b->currentTitle().value_or("") + (b->isEnabled() ? " on" : " off") + " " +
                    f.page->bangView()->numF.lock()->text() + (f.panel->window() ? " open" : " closed");
         },
         unreachable("服务器错误") + std::vector<Case>{
             refused(R"({"a":0,"b":"手机号格式错误"})", "手机号格式错误"),
             wrong("text for a number", TextStatus, "稍后再试"),
             wrong("null status and message", R"({"a":null,"b":null})", ""),
             wrong("array reply", R"([1])", ""),
         }, nullptr},
        {"bind", "Sdkhome/bdtel",
         [](AccountFaults& f) {
             openPanel(f, "mobile", false);
             f.panel = f.page->bangView();
             driver::typeText(f.page->bangView()->numF.lock(), "13800001234");
             driver::typeText(f.page->bangView()->codeF.lock(), "123456");
         },
         [](AccountFaults& f) { driver::tap(driver::findButton(f.panel, "确定")); },
         [](AccountFaults& f) {
             auto p = f.page->bangView();
             return fieldsAndRow({p->numF.lock(), p->codeF.lock()}, p, f.page->mobileL);
         },
         commitFaults(R"({"a":0,"b":"验证码错误"})", "验证码错误"), nullptr},
        {"unbind code", "Sdkhome/yzm",
         [](AccountFaults& f) {
             openPanel(f, "mobile", true);
             f.panel = f.page->jieView();
         },
         [](AccountFaults& f) { driver::tap(f.codeButton()); },
         [](AccountFaults& f) {
             auto b = f.codeButton();
             return b->currentTitle().value_or("") + (b->isEnabled() ? " on" : " off") +
                    (f.panel->window() ? " open" : " closed");
         },
         unreachable("服务器错误") + std::vector<Case>{
             refused(R"({"a":0,"b":"未绑定手机"})", "未绑定手机"),
             wrong("null status and message", R"({"a":null,"b":null})", ""),
         }, nullptr},
        {"unbind", "Sdkhome/jiebang",
         [](AccountFaults& f) {
             openPanel(f, "mobile", true);
             f.panel = f.page->jieView();
             driver::typeText(f.page->jieView()->codeF.lock(), "123456");
         },
         [](AccountFaults& f) { driver::tap(driver::findButton(f.panel, "解除绑定")); },
         [](AccountFaults& f) { return fieldsAndRow({f.page->jieView()->codeF.lock()}, f.panel, f.page->mobileL); },
         commitFaults(R"({"a":0,"b":"验证码错误"})", "验证码错误"), nullptr},
        {"real name", "login/idcheck",
         [](AccountFaults& f) {
             openPanel(f, "realname", false);
             f.panel = f.page->rzView();
             driver::typeText(f.page->rzView()->nameF.lock(), "张三");
             driver::typeText(f.page->rzView()->codeF.lock(), "110101199001011234");
         },
         [](AccountFaults& f) { driver::tap(driver::findButton(f.panel, "提交认证")); },
         [](AccountFaults& f) {
             auto p = f.page->rzView();
             return fieldsAndRow({p->nameF.lock(), p->codeF.lock()}, p, f.page->rzL);
         },
         // An unreadable scrambled reply is a refusal without a message: nothing to show.
         unreachable("服务器错误", "") + std::vector<Case>{
             refused(R"({"z":0,"b":"身份信息有误"})", "身份信息有误"),
             wrong("text for a number", R"({"z":"一","b":"稍后再试"})", "稍后再试"),
             wrong("null status and message", R"({"z":null,"b":null})", ""),
         }, nullptr},
    };
}

TEST_P(AccountFaults, EveryFaultKeepsTheScreenAndSaysWhatItShould) { runNamed<AccountFaults>(*this, rows(), GetParam()); }

INSTANTIATE_TEST_SUITE_P(Requests, AccountFaults, ::testing::ValuesIn(names(rows())), testName);

} // namespace
