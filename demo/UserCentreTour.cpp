// The demo's walk through the user centre, as a player taps and types: log in through the login
// window, tap the floating button, visit every tab and every screen of the mine page (a coupon
// claimed, a sub-account renamed), the welfare pages (activities, a gift claimed, servers) and the
// comments (one posted, one liked, a thread paged), back out,
// then log out from the mine page (-9 to the game). Played twice: on a phone without and with a
// home indicator; every screen is written as uc-<tab>-<screen>[-notch].png.
#include "demo/Demo.h"

#include "os/foundation/Format.h"
#include "os/uikit/Application.h"
#include "os/uikit/BezierPath.h"
#include "os/uikit/Color.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/Label.h"
#include "os/uikit/Pasteboard.h"
#include "os/uikit/Screen.h"
#include "os/uikit/ViewRendering.h"
#include "os/uikit/WebView.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXLoginRzView.h"
#include "platform_sdk/VXSuForgetView.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/VorlixSDK.h"
#include "platform_sdk/testing/TestPlayer.h"
#include "platform_sdk/user_center/VXActivityVC.h"
#include "platform_sdk/user_center/VXGiftCell.h"
#include "platform_sdk/user_center/VXGiftVC.h"
#include "platform_sdk/user_center/VXPingCell.h"
#include "platform_sdk/user_center/VXPingTwoVC.h"
#include "platform_sdk/user_center/VXPingVC.h"
#include "platform_sdk/user_center/VXServerVC.h"
#include "platform_sdk/user_center/VXSuBangView.h"
#include "platform_sdk/user_center/VXSuCouponVC.h"
#include "platform_sdk/user_center/VXSuJieView.h"
#include "platform_sdk/user_center/VXSuMyCouponVC.h"
#include "platform_sdk/user_center/VXSuMyOrderVC.h"
#include "platform_sdk/user_center/VXSuOrderVC.h"
#include "platform_sdk/user_center/VXSuSuNameCell.h"
#include "platform_sdk/user_center/VXSuStrategyVC.h"
#include "platform_sdk/user_center/VXSuSubNameVC.h"
#include "platform_sdk/user_center/VXSuTabBarVC.h"
#include "platform_sdk/user_center/VXSuUserVC.h"
#include "platform_sdk/user_center/VXSuWelfareVC.h"
#include "platform_sdk/user_center/VXUserMsgVC.h"
#include "server/CommentArea.h"
#include "server/CouponArea.h"
#include "server/MineArea.h"
#include "server/PlatformServer.h"
#include "server/ServerState.h"
#include "server/WelfareArea.h"

#include <cstdio>
#include <functional>

namespace demo {

namespace {

namespace driver = ui::driver;

// A small picture as the platform would host it: a rounded tile of one colour with a white mark.
std::string badgePNG(double w, double h, ui::ColorRef colour, bool disc) {
    ui::GraphicsBeginImageContextWithOptions({w, h}, false, 2);
    colour->setFill();
    ui::BezierPath::bezierPathWithRoundedRect({{0, 0}, {w, h}}, disc ? w / 2 : h / 2)->fill();
    ui::Color::whiteColor()->setFill();
    if (disc) {
        ui::BezierPath::bezierPathWithOvalInRect({{w * 0.3, h * 0.18}, {w * 0.4, h * 0.4}})->fill();
        ui::BezierPath::bezierPathWithOvalInRect({{w * 0.15, h * 0.62}, {w * 0.7, h * 0.7}})->fill();
    } else {
        ui::BezierPath::bezierPathWithOvalInRect({{h * 0.3, h * 0.3}, {h * 0.4, h * 0.4}})->fill();
    }
    auto image = ui::GraphicsGetImageFromCurrentImageContext();
    ui::GraphicsEndImageContext();
    auto png = ui::ImagePNGRepresentation(image);
    return png ? png->toString() : std::string();
}

class Tour {
public:
    Tour(Context& context, bool notch) : c_(context), notch_(notch) {}

    void play() {
        driver::useProfile(notch_ ? ui::DeviceProfile::notchPortrait() : ui::DeviceProfile::plainPhone());
        openGame();
        seed();
        if (!login()) return;
        if (!open()) return;
        minePage();
        otherTabs();
        closeAndLogout();
        game_->setHidden(true);
    }

private:
    // --- Steps and pictures ---
    std::string tag(const std::string& name) const { return name + (notch_ ? " (notch)" : ""); }
    void shot(const std::string& name) {
        driver::advance(0.05);
        std::string file = name + (notch_ ? "-notch" : "") + ".png";
        bool ok = captureScreen(c_.screens + "/" + file);
        step(tag("screen " + name), ok, file);
    }
    ui::ViewControllerRef top() const { return nav() ? nav()->topViewController() : nullptr; }
    ns::Ref<ui::NavigationController> nav() const {
        auto centre = centre_.lock();
        return centre ? std::dynamic_pointer_cast<ui::NavigationController>(centre->selectedViewController()) : nullptr;
    }
    void back() {
        if (auto n = nav()) n->popViewControllerAnimated(true);
        driver::advance(0.4);
    }
    void tapArea(const std::string& id) {
        if (auto view = driver::findByAccessibilityId(mine_->view(), id)) driver::tap(view);
        driver::advance(0.4);
    }
    std::string lastOpenedURL() const {
        const auto& opened = ui::Application::shared().openedURLs();
        return opened.empty() ? std::string("(none)") : opened.back()->absoluteString();
    }

    // --- The game and the account ---
    void openGame() {
        game_ = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
        auto root = ui::ViewController::create();
        root->view()->setBackgroundColor(ui::Color::colorWithRed(0.09, 0.13, 0.24, 1));
        auto title = ui::View::create<ui::Label>({{0, 0}, {ui::Screen::mainScreen().bounds().size.width, 80}});
        title->setCenter({ui::Screen::mainScreen().bounds().size.width / 2, ui::Screen::mainScreen().bounds().size.height / 2});
        title->setText(std::string("游戏画面"));
        title->setTextColor(ui::Color::whiteColor());
        title->setTextAlignment(ui::TextAlignment::Center);
        title->setFont(ui::Font::systemFontOfSize(28, ui::FontWeight::Medium));
        root->view()->addSubview(title);
        game_->setRootViewController(root);
        game_->makeKeyAndVisible();
        // A game keeps one window for its life; the demo's earlier windows are gone, so the floating
        // button (made once, on the window of its day) moves to this one.
        auto button = CXRHelperBtn::shared();
        if (button->window() != game_) game_->addSubview(button);
        driver::drainMain();
    }

    void seed() {
        name_ = notch_ ? "ucdemo2" : "ucdemo1";
        phone_ = notch_ ? "13812070002" : "13812070001";
        auto* local = c_.local;
        std::string host = c_.apiHost;
        local->serveFile("/static/uc/avatar.png", badgePNG(60, 60, ui::Color::colorWithRed(1, 0.6, 0.24, 1), true), "image/png");
        local->serveFile("/static/uc/vip.png", badgePNG(50, 18, ui::Color::colorWithRed(0.95, 0.7, 0.1, 1), false), "image/png");
        local->serveFile("/static/uc/paid.png", badgePNG(50, 18, ui::Color::colorWithRed(0.38, 0.21, 0.9, 1), false), "image/png");
        local->addAccount(name_, "123456");
        std::string name = name_;
        local->withState([name, host](vx::server::PlatformServer::State& s) {
            s.loginArea.askRealName = false;
            s.loginArea.subs[name] = {{"青锋剑客", name + "_xh1", ""}, {"风雪法师", name + "_xh2", ""}};
            s.loginArea.lastSub[name] = name + "_xh1";
            auto& m = vx::server::mineArea(s);
            auto& p = m.profiles[name];
            p.nickname = "星河旅人";
            p.avatar = host + "/static/uc/avatar.png";
            p.vippic = host + "/static/uc/vip.png";
            p.paypic = host + "/static/uc/paid.png";
            // The balances are the payment centre's wallet, which the mine page shows.
            auto& w = vx::server::payArea(s).wallet(name);
            w.ttb = "128", w.djq = "36.50", w.xingbi = "520";
            // Two coupons claimed earlier: the page's summary is their sum and count.
            vx::server::CouponArea::of(s).claim(name, 7);
            vx::server::CouponArea::of(s).claim(name, 8);
            m.roles[name + "_xh1"] = {"剑圣", "华东一区", "58"};
            m.roles[name + "_xh2"] = {"冰法", "华东二区", "41"};
        });
        // This tour shows the user centre: the notice was seen before.
        local->setNotice("uc-tour", "欢迎", 0);
        ShareVale::sharedInstance()->setNoticeId(std::string("uc-tour"));
    }

    bool login() {
        GameLogin gameLogin([this](long code) { failures_.push_back(code); });
        driver::advance(0.6);
        if (!vx::TestPlayer::loginWindowShown()) {
            step(tag("uc login window"), false, "the login window did not open");
            return false;
        }
        shot("uc-login-window");
        // The player types the account and password and picks the sub-account 青锋剑客.
        bool ok = gameLogin.logIn(name_, "123456", {"张三", "110101199001011234", "青锋剑客"});
        if (!ok) std::printf("     %s\n", gameLogin.failure().c_str());
        step(tag("uc login"), ok && !CXRHelperBtn::shared()->isHidden(),
             ok ? "logged in as " + name_ + " with sub-account 青锋剑客; floating button shown" : "no login");
        return ok;
    }

    bool open() {
        bool shown = player_.openUserCentre();
        auto centre = shown ? std::dynamic_pointer_cast<VXSuTabBarVC>(game_->rootViewController()->presentedViewController()) : nullptr;
        centre_ = centre;
        mine_ = centre ? std::dynamic_pointer_cast<VXSuUserVC>(top()) : nullptr;
        bool loaded = mine_ && until("the mine page's reply", [&] { return mine_->dic().isDictionary(); });
        step(tag("uc open"), loaded,
             centre ? ns::format("user centre with %d tabs, the floating button %@", static_cast<int>(centre->viewControllers().size()),
                                 CXRHelperBtn::shared()->isHidden() ? "hidden" : "shown")
                    : std::string("nothing presented"));
        return loaded;
    }

    // --- Tab 1 ---
    void minePage() {
        until("the mine page's avatar and badges", [&] { return mine_->iconView.lock()->image() && mine_->payPic.lock()->image(); });
        shot("uc-mine");
        phonePanels();
        realNameAndPassword();
        switchesAndCopy();
        statements();
        subAccounts();
        webEntries();
        messages();
        bookings();
        driver::tap(mine_->btnsView.lock()->viewWithTag(10));
        step(tag("uc box link"), true, "the application was asked to open " + lastOpenedURL());
    }

    void phonePanels() {
        tapArea("mobile");
        auto bind = mine_->bangView();
        driver::typeText(bind->numF.lock(), phone_);
        driver::tap(driver::find<VXCountDownButton>(bind));
        until("the bind code on the server", [&] { return c_.local->smsCode(phone_).has_value(); });
        driver::advance(3.2);
        shot("uc-mine-bind");
        driver::typeText(bind->codeF.lock(), c_.local->smsCode(phone_).value_or(""));
        driver::tap(driver::findButton(bind, "确定"));
        bool bound = until("the phone to be bound", [&] { return mine_->isBang(); });
        driver::advance(0.3);
        shot("uc-mine-bound");
        step(tag("uc bind phone"), bound, "row shows " + demo::text(mine_->mobileL.lock()->text()));
        driver::advance(2.5); // "绑定成功" is gone before the next panel
        tapArea("mobile");
        shot("uc-mine-unbind");
        driver::tap(driver::findByAccessibilityId(mine_->jieView(), "close"));
        driver::advance(2.5); // the toasts are gone (0.3 s shown, 2 s fading)
    }

    void realNameAndPassword() {
        tapArea("realname");
        auto rz = mine_->rzView();
        driver::typeText(rz->nameF.lock(), "张三");
        driver::typeText(rz->codeF.lock(), "110101199001011234");
        shot("uc-mine-realname");
        rz->doCommit();
        bool verified = until("the real name to be verified", [&] { return mine_->isRz(); });
        step(tag("uc real name"), verified, "row shows " + demo::text(mine_->rzL.lock()->text()));
        tapArea("password");
        shot("uc-mine-password");
        mine_->forgetView()->doClose();
        driver::advance(2.5);
    }

    void switchesAndCopy() {
        driver::scrollToEnd(mine_->scrollView.lock());
        driver::tap(mine_->suspendStatusBtn.lock());
        driver::advance(0.4);
        shot("uc-mine-suspend-alert");
        if (auto alert = driver::presentedAlert(game_)) driver::tapAlertAction(alert, "取消");
        driver::advance(0.4);
        mine_->scrollView.lock()->setContentOffset({0, 0}, false);
        driver::tap(driver::findButton(mine_->view(), "复制"));
        driver::advance(0.2);
        shot("uc-mine-copied");
        step(tag("uc copy"), ui::Pasteboard::generalPasteboard().string() == std::optional<std::string>(name_),
             "pasteboard holds " + ui::Pasteboard::generalPasteboard().string().value_or("(nothing)"));
        driver::advance(2.5);
    }

    // The coupon and bill screens, when this build has them.
    void statements() {
        for (auto [id, name] : std::vector<std::pair<std::string, std::string>>{
                 {"coupon", "uc-mine-coupons"}, {"ptb", "uc-mine-bill-ptb"}, {"djq", "uc-mine-bill-djq"}, {"starcoin", "uc-mine-bill-star"}}) {
            auto before = top();
            tapArea(id);
            if (top() == before) {
                step(tag("uc " + id), true, "no such screen in this build");
                continue;
            }
            driver::advance(1);
            shot(name);
            if (id == "coupon") coupons(std::dynamic_pointer_cast<VXSuCouponVC>(top()));
            back();
        }
    }

    // The coupon centre: one coupon claimed (its row folds away), then my coupons.
    void coupons(const VXSuCouponVCRef& centre) {
        bool listed = centre && until("the coupons on offer", [&] { return !centre->dataSource().empty(); });
        if (!listed) return step(tag("uc claim coupon"), false, "no coupon centre with coupons");
        // The first coupon still on offer (the ones claimed earlier are folded away).
        auto table = centre->tableView();
        long row = 0;
        while (row + 1 < driver::rowCount(table, 0) && driver::rowHeight(table, ui::IndexPath::forRow(row, 0)) == 0) ++row;
        size_t before = c_.local->requests("Sdkdetail/getcoupon").size();
        driver::selectRow(table, ui::IndexPath::forRow(row, 0));
        bool claimed = until("the coupon claim's reply", [&] { return driver::rowHeight(table, ui::IndexPath::forRow(row, 0)) == 0; });
        shot("uc-mine-coupon-claimed");
        step(tag("uc claim coupon"), claimed,
             ns::format("row %ld claimed (%d request), its row folded", row + 1,
                        static_cast<int>(c_.local->requests("Sdkdetail/getcoupon").size() - before)));
        driver::advance(2.5); // the toast is gone
        driver::tap(centre->navBtn());
        driver::advance(0.4);
        auto mine = std::dynamic_pointer_cast<VXSuMyCouponVC>(top());
        bool own = mine && until("my coupons", [&] { return !mine->dataSource().empty(); });
        shot("uc-mine-my-coupons");
        step(tag("uc my coupons"), own, ns::format("%d usable coupons", mine ? static_cast<int>(mine->dataSource().size()) : 0));
        back();
    }

    void subAccounts() {
        tapArea("subname");
        auto screen = std::dynamic_pointer_cast<VXSuSubNameVC>(top());
        bool listed = screen && until("two sub-accounts in the list", [&] { return screen->dataSource().size() == 2; });
        if (listed) {
            driver::advance(0.1);
            driver::tap(driver::cell<VXSuSuNameCell>(screen->tableView.lock(), ui::IndexPath::forRow(0, 0))->btn.lock());
            shot("uc-mine-subaccounts");
            screen->addSubName();
            driver::advance(0.4);
            driver::typeIntoAlertField(driver::presentedAlert(game_), 0, "新小号");
            shot("uc-mine-subaccounts-add");
            driver::tapAlertAction(driver::presentedAlert(game_), "确认");
            driver::advance(0.3); // the alert goes, then its handler sends
            listed = until("the added sub-account in the list", [&] { return screen->dataSource().size() == 3; });
            driver::advance(0.4);
            shot("uc-mine-subaccounts-added");
            // A row tapped: the rename alert.
            driver::selectRow(screen->tableView.lock(), ui::IndexPath::forRow(1, 0));
            driver::advance(0.3);
            auto alert = driver::presentedAlert(game_);
            if (alert) driver::typeIntoAlertField(alert, 0, "风雪旅人");
            shot("uc-mine-subaccount-rename");
            if (alert) driver::tapAlertAction(alert, "确认");
            driver::advance(0.3);
            bool renamed = alert && until("the renamed sub-account in the list", [&] {
                return screen->dataSource().size() == 3 && screen->dataSource()[1]->nickname == std::optional<std::string>("风雪旅人");
            });
            driver::advance(2.5); // the toast is gone
            step(tag("uc rename sub-account"), renamed,
                 alert ? "alert \"" + alert->title().value_or("") + "\", the second row now 风雪旅人" : std::string("no alert"));
        }
        step(tag("uc sub-accounts"), listed, ns::format("%d sub-accounts after adding one", screen ? static_cast<int>(screen->dataSource().size()) : 0));
        back();
    }

    void webEntries() {
        driver::tap(mine_->payPic.lock());
        driver::advance(0.4);
        auto title = std::dynamic_pointer_cast<VXSuWebVC>(top());
        if (title) until("the title-level page to load", [&] { auto w = title->webView.lock(); return w && !w->isLoading(); });
        shot("uc-mine-title-level");
        step(tag("uc title page"), title != nullptr, title ? demo::text(title->url()) : std::string("not pushed"));
        back();
        driver::tap(mine_->btnsView.lock()->viewWithTag(12));
        driver::advance(0.4);
        auto chat = std::dynamic_pointer_cast<VXSuWebVC>(top());
        if (chat) until("the smart-service page to load", [&] { auto w = chat->webView.lock(); return w && !w->isLoading(); });
        shot("uc-mine-chatbot");
        step(tag("uc chatbot"), chat != nullptr, chat ? demo::text(chat->url()) : std::string("not pushed"));
        back();
    }

    void messages() {
        driver::tap(mine_->btnsView.lock()->viewWithTag(11));
        driver::advance(0.4);
        auto list = std::dynamic_pointer_cast<VXUserMsgVC>(top());
        bool listed = list && until("four messages in the list", [&] { return list->dataSource().size() == 4; });
        driver::advance(0.2);
        shot("uc-mine-messages");
        if (listed) driver::selectRow(list->tableView(), ui::IndexPath::forRow(0, 0));
        driver::advance(0.4);
        if (auto page = std::dynamic_pointer_cast<VXSuWebVC>(top())) until("the message page to load", [&] { auto w = page->webView.lock(); return w && !w->isLoading(); });
        shot("uc-mine-message-page");
        bool read = listed && until("the opened message to be marked read", [&] { return list->modelAt(0)->isRead(); });
        back();
        shot("uc-mine-messages-read");
        back();
        driver::advance(0.3);
        shot("uc-mine-badge");
        step(tag("uc messages"), read, "badge now " + demo::text(mine_->msgNumL.lock()->text()));
    }

    void bookings() {
        driver::tap(mine_->btnsView.lock()->viewWithTag(13));
        driver::advance(0.4);
        auto list = std::dynamic_pointer_cast<VXSuOrderVC>(top());
        bool listed = list && until("ten bookings in the list", [&] { return list->dataSource().size() == 10; });
        driver::advance(0.5);
        shot("uc-mine-bookings");
        if (list) driver::tap(list->navBtn());
        driver::advance(0.4);
        auto mine = std::dynamic_pointer_cast<VXSuMyOrderVC>(top());
        bool own = mine && until("three bookings of my own", [&] { return mine->dataSource().size() == 3; });
        driver::advance(0.5);
        shot("uc-mine-my-bookings");
        if (own) driver::selectRow(mine->tableView(), ui::IndexPath::forRow(0, 0));
        step(tag("uc bookings"), listed && own, "a row opens " + lastOpenedURL());
        back();
        back();
    }

    // --- Tabs 2 to 5 ---
    void otherTabs() {
        auto centre = centre_.lock();
        const char* names[] = {"", "welfare", "task", "strategy", "service"};
        for (size_t i = 1; i < centre->viewControllers().size(); ++i) {
            driver::selectTab(centre, i);
            driver::advance(0.5);
            auto page = top();
            std::string title = page && page->tabBarItem() ? page->tabBarItem()->title().value_or("") : "";
            std::string key = title == "福利" ? names[1] : title == "任务" ? names[2] : title == "攻略" ? names[3] : names[4];
            if (auto web = std::dynamic_pointer_cast<VXSuWebVC>(page)) until("the tab's page to load", [&] { auto w = web->webView.lock(); return w && !w->isLoading(); });
            driver::advance(0.5);
            shot("uc-" + key);
            if (auto welfare = std::dynamic_pointer_cast<VXSuWelfareVC>(page)) welfarePages(welfare);
            if (auto strategy = std::dynamic_pointer_cast<VXSuStrategyVC>(page)) comments(strategy);
            if (auto web = std::dynamic_pointer_cast<VXSuWebVC>(page); web && key == "task") taskLinks(web->webView.lock());
        }
        driver::selectTab(centre, 0);
        driver::advance(0.5);
    }

    // The task page's two links, tapped where the page draws them: the box link opens the box page
    // instead of loading; the record link loads the task record, then back.
    void taskLinks(const ui::WebViewRef& web) {
        size_t opened = ui::Application::shared().openedURLs().size();
        driver::tapLink(web, "打开游戏盒子");
        bool refused = !web->isLoading() && ui::Application::shared().openedURLs().size() == opened + 1;
        step(tag("uc task box link"), refused,
             "tapped \"打开游戏盒子\": vorlix://rw refused; the application was asked to open " + lastOpenedURL());
        driver::tapLink(web, "任务记录");
        std::string asked = driver::lastRequest(web) ? driver::lastRequest(web)->url()->absoluteString() : "(none)";
        bool loaded = until("the task record to load", [&] { return !web->isLoading(); });
        driver::advance(0.5);
        shot("uc-task-record");
        step(tag("uc task record link"), loaded && web->page() && web->page()->title() == "任务记录",
             "tapped \"任务记录\": " + asked + " shows " + (web->page() ? web->page()->title() : "nothing"));
        web->goBack();
        until("the task page again", [&] { return !web->isLoading(); });
    }

    static void tapSwitch(const ui::ViewRef& bar, long tag) {
        driver::tap(std::dynamic_pointer_cast<ui::Button>(bar->viewWithTag(tag)));
        driver::advance(0.4);
    }

    // The welfare pager's other pages: activities (empty, then pulled), gifts (one claimed), servers.
    void welfarePages(const ns::Ref<VXSuWelfareVC>& pager) {
        std::string gid = ShareVale::sharedInstance()->gameID().value_or("");
        c_.local->withState([gid](vx::server::PlatformServer::State& s) { vx::server::welfareArea(s).gamesWithoutActivities.insert(gid); });
        tapSwitch(pager->topView(), 11);
        auto activities = std::dynamic_pointer_cast<VXActivityVC>(pager->childViewControllers().at(1));
        bool empty = activities && until("the activity list's empty state", [&] { return activities->tempView()->superview() != nullptr; });
        shot("uc-welfare-activities-empty");
        c_.local->withState([gid](vx::server::PlatformServer::State& s) { vx::server::welfareArea(s).gamesWithoutActivities.erase(gid); });
        bool listed = false;
        if (empty) {
            driver::pullDown(activities->tableView(), 120);
            driver::release(activities->tableView());
            driver::advance(0.3);
            listed = until("activities after the pull", [&] { return !activities->dataSource().empty(); });
            driver::advance(0.3);
            shot("uc-welfare-activities");
        }
        step(tag("uc activities"), empty && listed,
             ns::format("\"此游戏暂无活动，敬请期待哦~\", then %d after a pull", activities ? static_cast<int>(activities->dataSource().size()) : 0));

        tapSwitch(pager->topView(), 12);
        auto gifts = std::dynamic_pointer_cast<VXGiftVC>(pager->childViewControllers().at(2));
        bool packs = gifts && until("the gift packs", [&] { return !gifts->dataSource().empty(); });
        shot("uc-welfare-gifts");
        bool claimed = false;
        std::string code;
        if (packs) {
            driver::tap(driver::cell<VXGiftCell>(gifts->tableView.lock(), ui::IndexPath::forRow(0, 0))->btn);
            claimed = until("the claimed gift's code", [&] { return gifts->dataSource()[0]["status"].boolValue(); });
            auto cell = driver::cell<VXGiftCell>(gifts->tableView.lock(), ui::IndexPath::forRow(0, 0));
            code = cell->showL->text().value_or("");
            shot("uc-welfare-gift-claimed");
            driver::advance(2.5); // the toast is gone
        }
        step(tag("uc claim gift"), claimed, code.empty() ? std::string("no code") : code);

        tapSwitch(pager->topView(), 13);
        auto servers = std::dynamic_pointer_cast<VXServerVC>(pager->childViewControllers().at(3));
        bool rows = servers && until("the server list", [&] { return !servers->dataSource().empty(); });
        shot("uc-welfare-servers");
        step(tag("uc servers"), rows, ns::format("%d servers on the first page", servers ? static_cast<int>(servers->dataSource().size()) : 0));
        tapSwitch(pager->topView(), 10);
    }

    static VXPingModelRef comment(const VXRefreshViewController& list, size_t i) {
        return const_cast<VXRefreshViewController&>(list).dataSource()[i].objectAs<VXPingModel>();
    }

    // The strategy tab's comment page: post one, like one, open a thread and page it.
    void comments(const ns::Ref<VXSuStrategyVC>& pager) {
        tapSwitch(pager->topView(), 11);
        auto page = std::dynamic_pointer_cast<VXPingVC>(pager->childViewControllers().at(1));
        bool listed = page && until("the comments", [&] { return !page->dataSource().empty(); });
        shot("uc-strategy-comments");
        if (!listed) return step(tag("uc comments"), false, "no comments");

        size_t sent = c_.local->requests("Sdkcomments/commit").size();
        driver::typeText(page->commentInputView()->textView(), "新版本很好玩！");
        driver::tap(page->commentInputView()->sendButton());
        bool posted = until("the comment's reply", [&] { return c_.local->requests("Sdkcomments/commit").size() > sent; });
        driver::endEditing(page->view());
        driver::advance(0.25);
        shot("uc-strategy-comment-posted");
        step(tag("uc post comment"), posted, "\"新版本很好玩！\" sent; toast 评论成功，刷新后可见");
        driver::advance(2.5);

        auto first = comment(*page, 0);
        long long likes = first->good.integerValue();
        driver::tap(driver::cell<VXPingCell>(page->tableView(), ui::IndexPath::forRow(0, 0))->goodBtn.lock());
        bool liked = until("the like's reply", [&] { return first->good.integerValue() == likes + 1; });
        shot("uc-strategy-comment-liked");
        step(tag("uc like comment"), liked, ns::format("%@ now has %lld likes", first->full_name.value_or(""), first->good.integerValue()));
        driver::advance(2.5);

        // The newest comment's thread (sorted by time, it comes first), two replies to a page.
        size_t lists = c_.local->requests("Sdkcomments/get").size();
        driver::tap(page->menu()->titleButton());
        // A copy: choosing an option closes the menu, which lets its buttons go.
        const std::vector<ui::ButtonRef> options = page->menu()->optionButtons();
        for (const auto& option : options)
            if (option->titleForState(ui::ControlStateNormal) == std::optional<std::string>("按时间")) {
                driver::tap(option);
                break;
            }
        until("the comments sorted by time", [&] { return c_.local->requests("Sdkcomments/get").size() > lists; });
        driver::advance(0.3);
        long row = 0;
        for (size_t i = 0; i < page->dataSource().size(); ++i)
            if (comment(*page, i)->full_name == std::optional<std::string>("风中追风")) row = static_cast<long>(i);
        c_.local->withState([](vx::server::PlatformServer::State& s) { vx::server::CommentArea::of(s).pageSize = 2; });
        driver::selectRow(page->tableView(), ui::IndexPath::forRow(row, 0));
        driver::advance(0.4);
        auto thread = std::dynamic_pointer_cast<VXPingTwoVC>(top());
        bool opened = thread && until("the thread's first page", [&] { return thread->dataSource().size() == 2; });
        shot("uc-strategy-thread");
        bool paged = false;
        if (opened) {
            // The replies are shorter than the screen: the finger pushes them up and lets go.
            driver::pullDown(thread->tableView(), -80);
            driver::release(thread->tableView());
            paged = until("the thread's second page", [&] { return thread->dataSource().size() == 3; });
            driver::advance(0.3);
            shot("uc-strategy-thread-paged");
        }
        c_.local->withState([](vx::server::PlatformServer::State& s) { vx::server::CommentArea::of(s).pageSize = 10; });
        step(tag("uc comment thread"), opened && paged,
             ns::format("%d replies after paging", thread ? static_cast<int>(thread->dataSource().size()) : 0));
        back();
        tapSwitch(pager->topView(), 10);
    }

    // --- Closing and logging out ---
    void closeAndLogout() {
        player_.closeUserCentre();
        bool closed = !game_->rootViewController()->presentedViewController();
        shot("uc-closed");
        step(tag("uc close"), closed && !CXRHelperBtn::shared()->isHidden(), "user centre closed, floating button back");

        if (!open()) return;
        player_.logOutFromUserCentre();
        bool reported = !failures_.empty() && failures_.back() == -9;
        bool gone = !game_->rootViewController()->presentedViewController();
        step(tag("uc logout"), reported && gone && CXRHelperBtn::shared()->isHidden(),
             ns::format("login failure %@, user centre closed, floating button %@", reported ? "-9" : "missing",
                        CXRHelperBtn::shared()->isHidden() ? "hidden" : "shown"));
        if (reported) std::printf("     game: the player logged out (-9); asking for a new login\n");
        shot("uc-logged-out");
    }

    Context& c_;
    bool notch_;
    vx::TestPlayer player_; // the floating button and the user centre's back and logout buttons
    ui::WindowRef game_;
    ns::Weak<VXSuTabBarVC> centre_;
    VXSuUserVCRef mine_;
    std::string name_, phone_;
    std::vector<long> failures_;
};

} // namespace

void playUserCentreTour(Context& context) {
    if (!context.local) {
        std::printf("     user centre            skipped: the tour seeds the in-process server\n");
        return;
    }
    VorlixSDK::didFinishLaunching();
    ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Fetch);
    for (bool notch : {false, true}) Tour(context, notch).play();
    driver::useProfile(ui::DeviceProfile::plainPhone());
}

} // namespace demo
