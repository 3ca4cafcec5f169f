// The demo's walk through the payment centre, as a player taps and types: one payment per style, a
// free order, a refused order, a voucher, the failure variants, a notched phone in portrait and in
// landscape, and the platform-coin top-up. The wallet app is not on this machine: the demo plays
// it (it reads the hand-off URL the wallet SDK opened and answers through the app delegate's
// open-URL entry).
#include "demo/Demo.h"

#include "os/foundation/Format.h"
#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/VXCouponsCell.h"
#include "platform_sdk/VXCouponsVC.h"
#include "platform_sdk/VXNavigationController.h"
#include "platform_sdk/VXNewPayVC.h"
#include "platform_sdk/VXSuPtbVC.h"
#include "platform_sdk/VorlixSDK.h"
#include "server/PayArea.h"
#include "server/PlatformServer.h"
#include "server/WalletPlayer.h"
#include "widgets/VXProgressHUD.h"

#include <cstdio>

namespace demo {

namespace {

namespace driver = ui::driver;

// The game's application delegate: returned URLs go to the platform SDK.
class GameAppDelegate : public ui::ApplicationDelegate {
public:
    std::optional<bool> openURL(const ns::Ref<ns::URL>& url, const ns::Dictionary& options) override {
        VorlixSDK::application(ui::Application::shared(), url, options);
        return true;
    }
};

class PayTour {
public:
    explicit PayTour(Context& c) : c_(c), server_(*c.local), logged_(server_.requests().size()) {}
    ~PayTour() {
        // The walks with their callbacks and request counts, for a reviewer without the pictures.
        if (FILE* f = std::fopen((c_.screens + "/pay-run.log").c_str(), "w")) {
            for (const auto& line : log_) std::fprintf(f, "%s\n", line.c_str());
            std::fclose(f);
        }
    }

    void play();

private:
    void shot(const std::string& name) {
        settle();
        driver::capture(window_, c_.screens + "/pay-" + name + ".png");
        std::printf("     screenshot pay-%s.png\n", name.c_str());
    }
    // Every request since the last call: path and decoded keys.
    void printRequests() {
        auto all = server_.requests();
        for (size_t i = seen_; i < all.size(); ++i) {
            std::string keys;
            if (const ns::Dictionary* d = all[i].params.dictionaryPtr())
                for (const auto& [k, v] : *d) keys += (keys.empty() ? "" : " ") + k + "=" + v.description();
            std::printf("     -> %s {%s}\n", all[i].path.c_str(), keys.c_str());
        }
        seen_ = all.size();
    }
    ns::Ref<VXNewPayVC> centre() {
        auto nav = std::dynamic_pointer_cast<ui::NavigationController>(game_->presentedViewController());
        return nav && !nav->viewControllers().empty() ? std::dynamic_pointer_cast<VXNewPayVC>(nav->viewControllers()[0])
                                                      : nullptr;
    }
    VXWebPayVCRef page() {
        auto c = centre();
        auto nav = c ? c->navigationController() : nullptr;
        return nav ? std::dynamic_pointer_cast<VXWebPayVC>(nav->topViewController()) : nullptr;
    }
    VXPayNoticeViewRef notice() { return driver::find<VXPayNoticeView>(window_); }
    std::string status() {
        auto n = notice();
        auto l = n ? n->statusL.lock() : nullptr;
        return l ? l->text().value_or("") : "";
    }
    std::string label(const ns::Weak<ui::Label>& l) {
        auto label = l.lock();
        return label ? label->text().value_or("") : "";
    }
    template <class F> void seed(F f) {
        server_.withState([&](vx::server::PlatformServer::State& s) { f(vx::server::payArea(s)); });
    }

    // The game's purchase; answers whether the centre came up with its pay ways.
    bool open(const std::string& amount, const std::string& name, bool holdWays = false) {
        answers_.clear();
        if (holdWays) server_.holdNext("pay/getPayWayios");
        VorlixSDK::loadToPayVCWithroleid(
            "r1", amount, "s1", "钻石×60", "60颗钻石", ns::format("cp-%d", ++orders_),
            [this](const ns::Value& result, const ns::Value& money) {
                answers_.push_back("ok(" + result.description() + ", " + money.description() + ")");
                std::printf("     game callback: success(%s, %s)\n", result.description().c_str(), money.description().c_str());
            },
            [this](const ns::Value& message, long code, const ns::Value& money) {
                answers_.push_back(ns::format("fail(%@, %ld, %@)", message, code, money));
                std::printf("     game callback: failure(%s, %ld, %s)\n", message.description().c_str(), code,
                            money.description().c_str());
            });
        driver::advance(0.4);
        if (!centre()) return false;
        if (holdWays) {
            until("the held pay-ways request", [&] { return server_.heldCount() == 1; });
            shot(name + "-before-reply");
            server_.releaseHeld();
        }
        bool ready = until("the pay ways (the centre's spinner to go)", [&] {
            auto hud = centre() ? VXProgressHUD::HUDForView(centre()->view()) : nullptr;
            return !hud;
        });
        driver::advance(0.4);
        return ready;
    }
    void tapPay() {
        driver::tap(centre()->payBtn.lock());
    }
    // The player comes back to the game from the pay page (or the other app).
    void comeBack() {
        driver::resignActive();
        driver::becomeActive();
        driver::advance(0.4);
    }
    void closeCentre() {
        if (auto c = centre()) c->popAction();
        driver::advance(0.4);
    }
    void tapNotice(bool box = false) {
        auto n = notice();
        if (!n) return;
        driver::tap(driver::findAll<ui::Button>(n)[box ? 1 : 0]);
        driver::advance(0.4);
    }
    // The confirm link of the loaded pay page.
    // The player taps the page's pay button, a link.
    static void tapConfirm(const VXWebPayVCRef& p) { driver::tapLink(p->webView(), "确认支付"); }
    bool pageLoaded(const VXWebPayVCRef& p) { return p && !p->webView()->isLoading() && p->webView()->pageData(); }

    void walletH5();
    void weChatUnpaid();
    void officialWeChat();
    void walletApp();
    void coins();
    void vouchers();
    void starCoins();
    void variants();
    void landscape();
    void topUp();

    // One step of the list, also kept for the run log with the requests sent since the last one.
    void step(const std::string& name, bool ok, const std::string& result) {
        demo::step(name, ok, result);
        size_t requests = server_.requests().size();
        log_.push_back(ns::format("%@ %@  %@  [%lu requests]", ok ? "ok  " : "FAIL", name, result,
                                  static_cast<unsigned long>(requests - logged_)));
        logged_ = requests;
    }

    Context& c_;
    vx::server::PlatformServer& server_;
    std::vector<std::string> log_;
    size_t logged_ = 0;
    ui::WindowRef window_;
    ui::ViewControllerRef game_;
    std::vector<std::string> answers_;
    size_t seen_ = 0;
    int orders_ = 0;
    std::string user_;
};

void PayTour::play() {
    auto& app = ui::Application::shared();
    app.setDelegate(std::make_shared<GameAppDelegate>());
    app.setInstalledSchemes({"http", "https", "vxwallet"});
    ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Fetch);
    driver::useProfile(ui::DeviceProfile::plainPhone());

    window_ = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
    game_ = ui::ViewController::create();
    game_->view()->setBackgroundColor(ui::Color::colorWithRed(0.1, 0.12, 0.2, 1));
    window_->setRootViewController(game_);
    window_->makeKeyAndVisible();
    driver::drainMain();

    // A new player logs in through the login window, as the game asks: the panels (no automatic
    // login of the last tour's player), the real name, the notice and a sub-account "sub1".
    user_ = "payer120726";
    server_.addAccount(user_, "123456");
    GameLogin login;
    bool through = login.logIn(user_, "123456", {"李四", "110101199202021236", "sub1"});
    step("pay: login", through, through ? "player " + user_ + " through the login window (sub-account sub1)" : login.failure());
    if (!through) return;
    seen_ = server_.requests().size();

    walletH5();
    weChatUnpaid();
    officialWeChat();
    walletApp();
    coins();
    vouchers();
    starCoins();
    variants();
    landscape();
    topUp();
    window_->setHidden(true);
    ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Manual);
}

void PayTour::walletH5() {
    bool up = open("6.66", "centre", true);
    auto c = centre();
    step("pay: centre", up && label(c->realMoneyL) == "6.32元" && label(c->discountL) == "（9.5折）",
         label(c->realMoneyL) + " " + label(c->discountL) + ", list price " + label(c->moneyL) + ", " +
             label(c->remainPtbL) + label(c->remainDjqL) + label(c->remainXinL) + ", style " +
             std::to_string(c->payStyle));
    shot("centre-wallet-h5");
    // The page is held loading for its picture, then fetched.
    ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Manual);
    tapPay();
    until("the pay page to be pushed", [&] { return page() != nullptr; });
    driver::advance(0.4);
    auto p = page();
    ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Fetch);
    shot("h5-page-loading");
    p->webView()->setLoadMode(ui::WebView::LoadMode::Fetch);
    p->webView()->loadRequest(driver::lastRequest(p->webView()));
    until("the pay page to load", [&] { return pageLoaded(p); });
    driver::drainMain();
    shot("h5-page-loaded");
    tapConfirm(p);
    std::string link = driver::lastRequest(p->webView()) ? driver::lastRequest(p->webView())->url()->absoluteString() : "";
    until("the page after the confirm link", [&] { return pageLoaded(p) && p->webView()->pageData()->toString().find("支付完成") != std::string::npos; });
    // The first poll's answer is held back for the picture of the notice while it asks.
    server_.holdNext("Pay/getUserSuccess");
    comeBack();
    until("the held payment poll", [&] { return server_.heldCount() == 1; });
    shot("notice-paying");
    std::string paying = status();
    server_.releaseHeld();
    size_t polls = server_.requests("Pay/getUserSuccess").size();
    until("the notice to say 支付成功", [&] { return status() == "支付成功"; });
    shot("notice-success");
    tapNotice();
    printRequests();
    step("pay: wallet H5 (style 2)", paying == "支付中..." && answers_ == std::vector<std::string>{"ok(支付成功, 6.66)"},
         "page confirmed at " + link + "; notice " + paying + " -> 支付成功 after " + std::to_string(polls) +
             " poll(s); " + (answers_.empty() ? "no callback" : answers_[0]));
}

void PayTour::weChatUnpaid() {
    open("6.66", "wx");
    driver::tap(centre()->wxIconBtn.lock());
    tapPay();
    until("the WeChat page to be pushed", [&] { return page() != nullptr; });
    driver::advance(0.4);
    // Counted from before the return: the first poll goes out at once and may land during it.
    size_t before = server_.requests("Pay/getUserSuccess").size();
    comeBack(); // without paying
    for (int i = 0; i < 31; ++i) {
        until("the next payment poll", [&] { return server_.requests("Pay/getUserSuccess").size() >= before + std::min(i + 1, 31); });
        driver::advance(2);
    }
    driver::advance(4);
    size_t polls = server_.requests("Pay/getUserSuccess").size() - before;
    std::string shown = status();
    tapNotice();
    seen_ = server_.requests().size();
    step("pay: WeChat H5 unpaid", polls == 31 && answers_ == std::vector<std::string>{"fail(支付失败, 1, 6.66)"},
         ns::format("%lu polls over 62 s, notice %@; %@", static_cast<unsigned long>(polls), shown,
                    answers_.empty() ? std::string("no callback") : answers_[0]));
}

void PayTour::officialWeChat() {
    open("6.66", "gfwx");
    driver::tap(centre()->GFWxIconBtn.lock());
    tapPay();
    until("the official WeChat page to be pushed", [&] { return page() != nullptr; });
    driver::advance(0.4);
    auto p = page();
    until("the official WeChat page to load", [&] { return pageLoaded(p); });
    std::string bytes = p->webView()->pageData()->toString();
    bool referer = bytes.find("确认支付") != std::string::npos, decoded = bytes.find("钻石") != std::string::npos;
    auto sent = p->webView()->loadedRequests().front();
    std::printf("     page %s with Referer %s\n", sent->url()->path().c_str(),
                sent->valueForHTTPHeaderField("Referer").value_or("(none)").c_str());
    shot("official-wechat-page");
    tapConfirm(p);
    until("the page after the confirm link", [&] { return pageLoaded(p) && p->webView()->pageData()->toString().find("支付完成") != std::string::npos; });
    comeBack();
    until("the notice to say 支付成功", [&] { return status() == "支付成功"; });
    tapNotice();
    printRequests();
    step("pay: official WeChat (6)", referer && decoded && answers_ == std::vector<std::string>{"ok(支付成功, 6.66)"},
         std::string(referer ? "cashier shown for the app's Referer" : "Referer refused") + (decoded ? " and 钻石" : "") + "; " +
             (answers_.empty() ? "no callback" : answers_[0]));
}

void PayTour::walletApp() {
    const char* results[][3] = {{"9000", "充值成功", "ok(充值成功, 6.66)"},
                                {"6001", "取消充值", "fail(取消充值, 1, 6.66)"},
                                {"4000", "充值失败", "fail(充值失败, 1, 6.66)"}};
    for (const auto& r : results) {
        open("6.66", "wallet-app");
        driver::tap(centre()->GFWalletIconBtn.lock());
        size_t opened = ui::Application::shared().openedURLs().size();
        tapPay();
        until("the hand-off to the wallet app", [&] { return ui::Application::shared().openedURLs().size() > opened; });
        auto handOff = vx::server::lastWalletHandOff();
        if (handOff) std::printf("     wallet hand-off: order \"%s\", return scheme %s\n", handOff->order.c_str(),
                                 handOff->returnScheme.c_str());
        std::string back = vx::server::answerWallet(server_, r[0]);
        std::printf("     wallet answers %s\n", back.c_str());
        driver::drainMain();
        std::string shown = status();
        if (std::string(r[0]) != "4000") shot(std::string("notice-") + (std::string(r[0]) == "9000" ? "recharged" : "cancelled"));
        tapNotice();
        printRequests();
        step(std::string("pay: wallet app ") + r[0], shown == r[1] && answers_ == std::vector<std::string>{r[2]},
             "notice " + shown + "; " + (answers_.empty() ? "no callback" : answers_[0]));
    }
}

void PayTour::coins() {
    open("6.66", "coins");
    driver::tap(centre()->ptbIconBtn.lock());
    std::string shown = label(centre()->realMoneyL);
    shot("centre-coins");
    tapPay();
    until("the game callback", [&] { return !answers_.empty(); });
    driver::advance(0.4);
    printRequests();
    step("pay: platform coins (3)", shown == "64平台币" && answers_ == std::vector<std::string>{"ok(支付成功, 6.66)"} && !centre(),
         shown + "; " + (answers_.empty() ? "no callback" : answers_[0]) + "; centre closed");

    seed([&](vx::server::PayArea& p) { p.wallet(user_).ttb = "10"; });
    open("6.66", "coins-short");
    driver::tap(centre()->ptbIconBtn.lock());
    tapPay();
    until("the game callback", [&] { return !answers_.empty(); });
    // Taken as the toast comes up: the capture draws it as shown, before its fade begins.
    bool toast = driver::findLabel(window_, "平台币余额不足") != nullptr;
    shot("coins-refused");
    bool stays = centre() && centre()->payBtn.lock()->isEnabled();
    printRequests();
    step("pay: coins refused", toast && stays && answers_ == std::vector<std::string>{"fail(平台币余额不足, -2, 6.66)"},
         (answers_.empty() ? std::string("no callback") : answers_[0]) + "; toast 平台币余额不足, the centre stays open");
    closeCentre();
    driver::advance(2.5); // the toast goes
    seed([&](vx::server::PayArea& p) { p.wallet(user_).ttb = "500"; });
}

void PayTour::vouchers() {
    open("6.66", "voucher");
    driver::tap(centre()->couponsBtn.lock());
    auto picker = [&] {
        return std::dynamic_pointer_cast<VXCouponsVC>(centre()->navigationController()->presentedViewController());
    };
    until("the voucher list", [&] { return picker() && !picker()->dataSource().empty(); });
    driver::advance(0.4);
    shot("voucher-picker");
    auto first = driver::cell<VXCouponsCell>(picker()->tableView, ui::IndexPath::forRow(0, 0));
    driver::tap(first->btn.lock());
    driver::advance(0.4);
    auto c = centre();
    std::string title = c->couponsBtn.lock()->titleForState(ui::ControlStateNormal).value_or("");
    std::string discountedText = label(c->realMoneyL); // the first style's price after the voucher
    driver::scrollToEnd(c->scrollView.lock());
    driver::tap(c->djqIconBtn.lock());
    std::string voucherText = label(c->realMoneyL);
    shot("centre-after-voucher");
    tapPay();
    until("the game callback", [&] { return !answers_.empty(); });
    driver::advance(0.4);
    auto sent = server_.requests("Ttbpaynew/djqpay");
    printRequests();
    step("pay: voucher + style 4", title == "满6减2" && voucherText == "4.66元" && !sent.empty() &&
                                       sent.back().params["cid"] == ns::Value("101") && answers_.size() == 1,
         title + ", discounted " + discountedText + ", vouchers " + voucherText + ", cid " +
             (sent.empty() ? std::string("-") : sent.back().params["cid"].description()) + "; " +
             (answers_.empty() ? "no callback" : answers_[0]));
}

void PayTour::starCoins() {
    open("6.66", "stars");
    driver::scrollToEnd(centre()->scrollView.lock());
    driver::tap(centre()->xinIconBtn.lock());
    tapPay();
    until("the game callback", [&] { return !answers_.empty(); });
    driver::advance(0.4);
    printRequests();
    step("pay: star coins (10)", answers_ == std::vector<std::string>{"ok(支付成功, 6.66)"},
         answers_.empty() ? "no callback" : answers_[0]);
}

void PayTour::variants() {
    seed([](vx::server::PayArea& p) { p.freeRoads.insert("H5pay/pay"); });
    open("6.66", "free");
    tapPay();
    until("the payment notice", [&] { return notice() != nullptr; });
    std::string shown = status();
    size_t polls = server_.requests("Pay/getUserSuccess").size();
    tapNotice();
    seed([](vx::server::PayArea& p) { p.freeRoads.clear(); });
    step("pay: free order (11)", shown == "支付成功" && answers_ == std::vector<std::string>{"ok(支付成功, 6.66)"} &&
                                     polls == server_.requests("Pay/getUserSuccess").size(),
         "notice " + shown + " with no poll; " + (answers_.empty() ? "no callback" : answers_[0]));

    seed([](vx::server::PayArea& p) { p.refusedRoads["H5pay/pay"] = "订单创建失败"; });
    open("6.66", "refused");
    tapPay();
    until("the game callback", [&] { return !answers_.empty(); });
    step("pay: refused order", answers_ == std::vector<std::string>{"fail(无法通知服务器, 3, 6.66)"} && centre(),
         (answers_.empty() ? std::string("no callback") : answers_[0]) + "; toast 订单创建失败, the centre stays");
    closeCentre();
    driver::advance(2.5);
    seed([](vx::server::PayArea& p) { p.refusedRoads.clear(); });

    answers_.clear();
    bool opened = open("abc", "bad-amount");
    bool toast = driver::findLabel(window_, "金额格式异常") != nullptr;
    bool told = answers_ == std::vector<std::string>{"fail(金额格式异常, 604, abc)"};
    step("pay: amount \"abc\"", !opened && toast && told, "toast 金额格式异常, no centre, the game told at once (604)");
    driver::advance(2.5);

    server_.script("pay/getPayWayios", vx::server::PlatformServer::Scripted{200, "text/html", {}, {}, {}, true});
    open("6.66", "ways-failed");
    auto c = centre();
    bool allRows = c && c->payStyle == 2 && c->ptbViewH.lock()->constant() > 0;
    shot("centre-ways-failed");
    server_.clearScripts();
    step("pay: pay ways unreachable", allRows, "style 2 with all seven rows");
    closeCentre();

    seed([&](vx::server::PayArea& p) { p.wallet(user_).payWays = {31, 32, 2}; });
    open("6.66", "other-roads");
    size_t opened2 = ui::Application::shared().openedURLs().size();
    tapPay();
    until("the hand-off to the wallet app", [&] { return ui::Application::shared().openedURLs().size() > opened2; });
    vx::server::answerWallet(server_, "9000");
    tapNotice();
    bool other = !server_.requests("Walletappother/apppayios").empty();
    printRequests();
    step("pay: list [31, 32, 2]", other && answers_ == std::vector<std::string>{"ok(充值成功, 6.66)"},
         std::string(other ? "wallet app went to Walletappother/apppayios; " : "") +
             (answers_.empty() ? "no callback" : answers_[0]));
    seed([&](vx::server::PayArea& p) { p.wallet(user_).payWays = {2, 3, 1, 4, 5, 6, 10}; });
}

void PayTour::landscape() {
    driver::useProfile(ui::DeviceProfile::notchPortrait());
    bool up = open("6.66", "notch");
    double bottom = window_->safeAreaInsets().bottom;
    shot("centre-notch");
    closeCentre();
    step("pay: notched portrait", up && bottom == 34, ns::format("the centre over the home indicator (inset %.0f)", bottom));

    driver::useProfile(ui::DeviceProfile::notchLandscape());
    open("6.66", "landscape");
    auto c = centre();
    double margin = c ? c->infoLeft.lock()->constant() : 0;
    shot("centre-landscape");
    driver::tap(c->couponsBtn.lock());
    auto picker = std::dynamic_pointer_cast<VXCouponsVC>(c->navigationController()->presentedViewController());
    until("the voucher list", [&] { return picker && !picker->dataSource().empty(); });
    driver::advance(0.4);
    double left = picker ? picker->left.lock()->constant() : 0;
    shot("voucher-picker-landscape");
    driver::tap(driver::findButton(window_, "取消"));
    driver::advance(0.4);
    closeCentre();
    driver::useProfile(ui::DeviceProfile::plainPhone());
    step("pay: notched landscape", margin == 30 && left == 40, ns::format("centre margins %.0f, picker left %.0f", margin, left));
}

void PayTour::topUp() {
    auto screen = VXSuPtbVC::create();
    screen->dataDic = ns::Dictionary{{"avatar", c_.apiHost + "/static/icons/game.png"}, {"money", "500"}};
    std::vector<std::string> refreshed;
    screen->doRefreshBlock = [&](const ns::Value& b) { refreshed.push_back(b.description()); };
    auto nav = ui::NavigationController::createWithRoot<VXNavigationController>(screen);
    game_->presentViewController(nav, true);
    driver::advance(0.4);
    until("the top-up screen's refresh and icon", [&] { return !refreshed.empty() && screen->iconView.lock()->image(); });
    shot("topup");

    driver::typeText(screen->priceF.lock(), "0.45");
    driver::tap(driver::findButton(window_, "立即充值"));
    until("the top-up request", [&] { return !server_.requests("Wallet/wallet").empty(); });
    std::string typed = server_.requests("Wallet/wallet").back().params["b"].description();
    until("the top-up spinner to go", [&] { return !VXProgressHUD::HUDForView(screen->view()); });
    vx::server::answerWallet(server_, "9000");
    until("the refresh after the top-up", [&] { return refreshed.size() >= 2; });
    driver::drainMain();
    std::string balance = screen->ptbL.lock()->text().value_or("");
    bool toast = driver::findLabel(window_, "充值成功") != nullptr;
    shot("topup-recharged");
    step("pay: top-up by wallet", toast && typed == "0.4" && balance == "504",
         "typed 0.45 -> paid " + typed + " yuan; toast 充值成功; balance " + balance);
    driver::advance(2.5);

    driver::tap(driver::findButton(window_, "10元"));
    driver::tap(driver::find<ui::Button>(screen->wxView.lock()));
    driver::tap(driver::findButton(window_, "立即充值"));
    until("the WeChat top-up page to be pushed", [&] { return std::dynamic_pointer_cast<VXWebPayVC>(nav->topViewController()) != nullptr; });
    driver::advance(0.4);
    auto p = std::dynamic_pointer_cast<VXWebPayVC>(nav->topViewController());
    until("the WeChat top-up page to load", [&] { return pageLoaded(p); });
    shot("topup-wechat-page");
    tapConfirm(p);
    until("the page after the confirm link", [&] { return pageLoaded(p) && p->webView()->pageData()->toString().find("支付完成") != std::string::npos; });
    comeBack();
    until("the refresh after the WeChat top-up", [&] { return refreshed.size() >= 3; });
    driver::drainMain();
    balance = screen->ptbL.lock()->text().value_or("");
    shot("topup-after-wechat");
    printRequests();
    step("pay: top-up by WeChat", nav->topViewController() == screen && balance == "604",
         "page popped once; balance " + balance);
    nav->dismissViewControllerAnimated(false);
    driver::advance(0.4);
}

} // namespace

void playPayTour(Context& context) {
    if (!context.local) {
        std::printf("     payment tour           skipped: it plays the wallet against the in-process server\n");
        return;
    }
    PayTour(context).play();
}

} // namespace demo
