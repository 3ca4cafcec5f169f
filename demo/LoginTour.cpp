// The demo's walk through the login window and its panels, as a player taps and types: the phone,
// password, reset and quick-login panels, one-tap registration, real name, notice, sub-accounts, success to the game, the floating button and the
// user-centre shell, the logout (-9) that opens the window again and logs in automatically, and a
// minor whose online time runs out. Animations, delays and the online-time timer take no real
// time (the manual clock); the network stays real.
#include "demo/Demo.h"

#include "os/foundation/Format.h"
#include "os/uikit/AlertController.h"
#include "os/uikit/Application.h"
#include "os/uikit/Driver.h"
#include "os/uikit/PhotoAlbum.h"
#include "os/uikit/Screen.h"
#include "os/uikit/WebView.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXGameOverView.h"
#include "platform_sdk/VXLoginVC.h"
#include "platform_sdk/VXNoticeVC.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/VorlixSDK.h"
#include "platform_sdk/testing/TestPlayer.h"
#include "platform_sdk/user_center/VXSuTabBarVC.h"
#include "server/PlatformServer.h"
#include "server/ServerState.h"
#include "widgets/VXProgressHUD.h"

#include <cstdio>
#include <filesystem>
#include <vector>

namespace demo {

namespace {

namespace driver = ui::driver;

struct Tour {
    Context& context;
    ui::WindowRef game;
    std::vector<std::vector<std::string>> successes;
    std::vector<std::pair<long, std::string>> failures;

    std::string path(const std::string& name) const { return context.screens + "/" + name; }
    // A screenshot of the whole screen; the step fails when it cannot be written.
    bool shot(const std::string& name) {
        settle();
        return captureScreen(path(name));
    }

    // The game's side of the channel adapter: success prints, -9 opens the window again.
    void openLogin() {
        VorlixSDK::loadLoginViewResultSuccess(
            [this](const ns::Value& t, const ns::Value& n, const ns::Value& s, const ns::Value& rz) {
                successes.push_back({text(t), text(n), text(s), text(rz)});
            },
            [this](long code, const ns::Value& message) {
                failures.emplace_back(code, message.stringValue().value_or(""));
                if (code == -9 && !screen()) openLogin();
            });
        driver::drainMain();
    }
    VXLoginVCRef screen() const { return ui::driver::shownRootController<VXLoginVC>(game); }
    // A sub-account added on the shown picker; what went wrong is printed, and the next step's
    // check of the rows fails.
    void addSub(const std::string& name) {
        vx::TestPlayer player;
        if (!player.addSubAccount(name)) std::printf("     %s\n", player.failure().c_str());
    }
    // Chooses the row and lets the slide and the fade run: the window is gone afterwards.
    bool choose(const VXLoginVCRef& s, long row) {
        size_t before = successes.size();
        driver::selectRow(s->subNameView()->tableView.lock(), ui::IndexPath::forRow(row, 0));
        if (!until("the picker to slide away after the row was chosen", [&] { return s->step() == VXLoginVC::Step::Slide; })) return false;
        driver::advance(0.3);
        driver::advance(0.3);
        return successes.size() == before + 1 && !screen();
    }
};

void firstStart(Tour& t) {
    auto* local = t.context.local;
    t.openLogin();
    auto s = t.screen();
    driver::advance(0.5);
    step("login window", s && t.shot("login-01-phone.png"), "card in place over the dimmed game, phone panel");
    if (!s) return;

    // Phone panel: a code with its countdown; the agreement check on the card.
    auto phone = s->phoneView();
    const std::string number = "13912345678";
    driver::typeText(phone->phoneF.lock(), number);
    auto codeBtn = driver::find<VXCountDownButton>(phone);
    driver::tap(codeBtn);
    bool counting = until("the code button to start counting", [&] { return codeBtn->isCounting(); });
    driver::advance(3);
    step("SMS code button", counting && codeBtn->currentTitle() == "剩余27秒" && t.shot("login-02-code-countdown.png"),
         ns::format("\"%@\" after 3 s; code for %@ in the server's log", codeBtn->currentTitle(), number));
    driver::typeText(phone->codeF.lock(), local ? local->smsCode(number).value_or("000000") : "000000");
    driver::tap(driver::findButton(phone, "登录"));
    step("agreement check", driver::findLabel(phone, "请确认用户协议") && t.shot("login-03-agreement-toast.png"),
         "\"请确认用户协议\" on the panel, nothing sent");
    driver::advance(2.5);

    // The agreement page, pushed inside the login window with a bar and its own back button.
    driver::tap(driver::findButton(phone, "《用户协议》"));
    driver::advance(0.35);
    auto nav = s->navigationController();
    auto page = nav && nav->viewControllers().size() == 2 ? std::dynamic_pointer_cast<VXSuWebVC>(nav->viewControllers()[1]) : nullptr;
    step("agreement page", page && page->navigationItem()->title() == "用户协议" && t.shot("login-03a-agreement-page.png"),
         page ? "\"用户协议\" at " + page->url().value_or("") : "not pushed");
    if (page) driver::tap(page->backBtn());
    driver::advance(0.35);
    driver::advance(0.5);

    // Password panel and the reset panel on the card.
    driver::tap(s->btnsView.lock()->viewWithTag(11));
    bool pwdShown = t.shot("login-04-password.png");
    driver::tap(driver::findButton(s->pwdView(), "忘记密码？"));
    auto reset = s->pwdView()->forgetView();
    step("password and reset", pwdShown && reset->superview() && t.shot("login-05-reset.png"),
         "account panel, then the reset panel covering the card");
    driver::tap(driver::findButton(reset, "×"));

    // The box's quick-login panel, shown on the card over the panels.
    auto quick = s->quickView();
    quick->setFrame(cg::RectMake(0, 40, 300, 270));
    s->loginView.lock()->addSubview(quick);
    bool quickShown = t.shot("login-05a-quick-login.png");
    const auto& opened = ui::Application::shared().openedURLs();
    size_t before = opened.size();
    driver::tap(driver::findButton(quick, "盒子快捷登录"));
    step("quick-login panel", quickShown && opened.size() == before + 1,
         "\"盒子快捷登录\" opens " + (opened.size() > before ? opened.back()->absoluteString() : std::string("nothing")));
    quick->removeFromSuperview();

    // One-tap registration with the proposed name; the screenshot goes to the album.
    driver::tap(s->btnsView.lock()->viewWithTag(12));
    auto reg = s->randomView();
    until("a proposed name from the server", [&] { return !reg->nameF.lock()->text().empty(); });
    std::string proposed = reg->nameF.lock()->text();
    driver::tap(reg->protocolBtn.lock());
    driver::typeText(reg->pwdF.lock(), "vx123456");
    driver::tap(driver::find<ui::Button>(reg, [](const ui::Button& b) { return b.frame().origin.x == 243; }));
    step("registration panel", !proposed.empty() && t.shot("login-06-register.png"),
         "proposed name " + proposed + ", password shown");
    driver::tap(driver::findButton(reg, "一键注册"));
    bool saved = until("the registration screenshot in the album", [] { return !ui::PhotoAlbum::shared().savedImages().empty(); });
    driver::drainMain();
    bool toast = driver::findLabel(s->view(), "注册成功，已截图") != nullptr && t.shot("login-07-register-toast.png");
    auto album = saved ? ui::ImagePNGRepresentation(ui::PhotoAlbum::shared().savedImages()[0]) : nullptr;
    bool albumWritten = album && album->writeToFile(t.path("login-08-album-image.png"), true);
    step("one-tap registration", saved && toast && albumWritten, "\"注册成功，已截图\"; album image saved beside the screenshots");

    // 1 s later the login; 1 s after its reply the mandatory real-name panel.
    driver::advance(1);
    bool loggedIn = until("the login after registration to wait for the real name", [&] { return s->step() == VXLoginVC::Step::Waiting; });
    driver::advance(1);
    driver::advance(0.5); // the registration toast is gone (0.3 s shown, 2 s fading)
    auto rz = s->rzView();
    step("real name (mandatory)", loggedIn && rz->superview() && rz->closeBtn.lock()->isHidden() &&
                                      t.shot("login-09-realname-mandatory.png"),
         "one wide submit button, no close");
    driver::tap(driver::findButton(rz, "防沉迷系统详情"));
    until("the details page to load", [&] { auto w = s->webView()->webView.lock(); return w && !w->isLoading(); });
    step("details page", s->webView()->superview() == rz && t.shot("login-10-realname-details.png"),
         "title bar of the details panel over the real-name panel");
    s->webView()->goBack();
    driver::tap(driver::findButton(rz, "提交认证"));
    bool refused = driver::findLabel(rz, "请输入姓名") != nullptr && t.shot("login-11-realname-toast.png");
    driver::advance(2.5);
    driver::typeText(rz->nameF.lock(), "张三");
    driver::typeText(rz->codeF.lock(), "110101199001011234");
    driver::tap(driver::findButton(rz, "提交认证"));
    bool noticeUp = until("the notice or the picker after the real name", [&] { return vx::TestPlayer::noticeOn(s) || s->step() == VXLoginVC::Step::Picker; });
    auto shown = vx::TestPlayer::noticeOn(s);
    step("real name submitted", refused && noticeUp, "empty fields refused first, then accepted as an adult");
    step("notice", shown && t.shot("login-12-notice.png"), shown ? "\"" + shown->textView.lock()->text() + "\"" : "none");
    if (!shown) return;
    driver::tap(driver::findButton(shown->view(), "我知道了"));

    // The picker: empty at first, then two sub-accounts.
    auto picker = s->subNameView();
    bool empty = until("the empty picker's placeholder", [&] { return driver::findLabel(picker, "您还没有小号，请先添加") != nullptr; });
    driver::drainMain();
    step("sub-account picker", empty && t.shot("login-13-picker-empty.png"), "placeholder head and the server's message");
    // The first one by hand: its alert is pictured with the nickname typed in.
    size_t rows = picker->dataSource.size();
    driver::tap(driver::findButton(picker, "+ 添加小号"));
    driver::advance(0.3);
    if (auto alert = driver::presentedAlert(s->keyWindow)) {
        driver::typeIntoAlertField(alert, 0, "小号1");
        t.shot("login-14-picker-add-alert.png");
        driver::tapAlertAction(alert, "确认");
        driver::advance(0.3);
        until("the new sub-account in the picker", [&] { return picker->dataSource.size() > rows; });
    }
    t.addSub("小号2");
    step("sub-accounts added", picker->dataSource.size() == 2, ns::format("%d rows", static_cast<int>(picker->dataSource.size())));
    bool done = t.choose(s, 0);
    const auto& got = t.successes.empty() ? std::vector<std::string>{"", "", "", ""} : t.successes.back();
    step("login success", done, "sub-account " + got[1] + ", sign " + got[2] + ", time " + got[0] + ", real name " + got[3]);
    auto button = CXRHelperBtn::shared();
    driver::advance(0.5);
    step("floating button", !button->isHidden() && button->timer() && t.shot("login-15-button-right.png"),
         "docked right on the game, online-time timer running");
}

void floatingButtonAndLogout(Tour& t) {
    auto button = CXRHelperBtn::shared();
    // A finger on the button's visible half, dragged across and let go near the left edge.
    cg::Point from{std::min(button->center().x, 365.0), button->center().y};
    if (auto touch = t.game->beginTouch(from)) {
        t.game->moveTouch(touch, from);
        t.game->moveTouch(touch, {200, 200});
        t.game->moveTouch(touch, {30, 320});
        t.game->endTouch(touch, {30, 320});
    }
    driver::advance(1);
    bool left = button->frame().origin.x < 0;
    step("button dragged", left && t.shot("login-16-button-left.png"), "snapped to the left edge");

    size_t failuresBefore = t.failures.size();
    driver::tap(button);
    driver::advance(0.3);
    auto centre = std::dynamic_pointer_cast<VXSuTabBarVC>(t.game->rootViewController()->presentedViewController());
    step("user centre", centre && t.shot("login-17-user-centre.png"), centre ? "the tab bar shell over the game" : "not opened");
    if (!centre) return;
    // The mine page's logout (its page comes with the user centre): the shell's logout step.
    centre->logoutStep()();
    driver::advance(0.3);
    bool minusNine = t.failures.size() > failuresBefore && t.failures[failuresBefore].first == -9;
    step("logout from the centre", minusNine && !t.game->rootViewController()->presentedViewController(),
         minusNine ? "(-9, \"" + t.failures[failuresBefore].second + "\"), the game opens the login window again" : "no -9");
}

void secondStart(Tour& t) {
    auto s = t.screen();
    bool automatic = s && until("the automatic login to wait for its reply", [&] { return s->step() == VXLoginVC::Step::Waiting; });
    driver::advance(0.5);
    driver::advance(1);
    bool skipped = s && until("the picker after the automatic login", [&] { return s->step() == VXLoginVC::Step::Picker; }) && !vx::TestPlayer::noticeOn(s);
    auto picker = s ? s->subNameView() : nullptr;
    bool rows = picker && until("two rows in the picker", [&] { return picker->dataSource.size() == 2; });
    // The head picture comes from the server (the placeholder until then): its load has landed
    // once the demo has settled.
    settle();
    step("automatic login", automatic && skipped && rows && t.shot("login-18-picker-rows.png"),
         "stored account, notice already seen, two rows with the last-used marker");
    if (!rows) return;
    // A refused check: the alert, then the panels again for another try.
    t.context.local->withState([](vx::server::PlatformServer::State& st) { st.loginArea.refuseSubCheck = "该小号暂时无法登录"; });
    driver::selectRow(picker->tableView.lock(), ui::IndexPath::forRow(1, 0));
    until("the sub-account check to end", [&] { return !VXProgressHUD::HUDForView(picker); });
    driver::advance(0.3);
    auto alert = driver::presentedAlert(s->keyWindow);
    bool alerted = alert && alert->title() == "提示" && t.shot("login-19-picker-refused.png");
    if (alert) driver::tapAlertAction(alert, "确定");
    driver::advance(0.3);
    step("check refused", alerted && !picker->superview(), "alert \"提示\", the login panels show again");
    t.context.local->withState([](vx::server::PlatformServer::State& st) { st.loginArea.refuseSubCheck.reset(); });

    auto pwd = s->pwdView();
    driver::tap(s->btnsView.lock()->viewWithTag(11));
    driver::typeText(pwd->pwdF.lock(), ShareVale::sharedInstance()->passWord().value_or(""));
    driver::tap(driver::findButton(pwd, "登录"));
    until("the password login to wait for its reply", [&] { return s->step() == VXLoginVC::Step::Waiting; });
    driver::advance(1);
    until("the picker with two rows after the password login", [&] { return s->step() == VXLoginVC::Step::Picker && s->subNameView()->dataSource.size() == 2; });
    bool done = t.choose(s, 1);
    step("second login", done, "sub-account " + (t.successes.empty() ? std::string() : t.successes.back()[1]));
}

void minor(Tour& t) {
    auto* local = t.context.local;
    VorlixSDK::LoginOut();
    until("the stored name to be cleared by the logout", [] { return ShareVale::sharedInstance()->userName().value_or("").empty(); });
    local->addAccount("youngster", "young123");
    local->setMinorDailyLimit(240);
    local->withState([](vx::server::PlatformServer::State& st) {
        st.loginArea.realNameMandatory = false;
        st.loginArea.realNameResult = 2;
    });
    t.openLogin();
    auto s = t.screen();
    if (!s) return step("minor", false, "no login window");
    driver::advance(0.5);
    auto pwd = s->pwdView();
    driver::tap(s->btnsView.lock()->viewWithTag(11));
    pwd->nameF.lock()->setText("");
    driver::typeText(pwd->nameF.lock(), "youngster");
    driver::typeText(pwd->pwdF.lock(), "young123");
    driver::tap(driver::findButton(pwd, "登录"));
    until("the minor's login to wait for its reply", [&] { return s->step() == VXLoginVC::Step::Waiting; });
    driver::advance(1);
    auto rz = s->rzView();
    step("real name (optional)", rz->superview() && !rz->closeBtn.lock()->isHidden() && t.shot("login-20-realname-optional.png"),
         "close and submit side by side");
    driver::typeText(rz->nameF.lock(), "李小明");
    driver::typeText(rz->codeF.lock(), "110101201201011234");
    driver::tap(driver::findButton(rz, "提交认证"));
    until("the picker after the minor's real name", [&] { return s->step() == VXLoginVC::Step::Picker; });
    t.addSub("少年");
    bool done = t.choose(s, 0);
    step("minor logged in", done, "real name " + (t.successes.empty() ? std::string() : t.successes.back()[3]) +
                                      " (minor), daily limit 240 s");
    // Two online-time reports of 120 s reach the limit: the game-over notice.
    size_t reports = local->requests("login/setTime").size();
    driver::advance(120);
    until("the first online-time report", [&] { return local->requests("login/setTime").size() >= reports + 1; });
    driver::advance(120);
    until("the second online-time report", [&] { return local->requests("login/setTime").size() >= reports + 2; });
    bool over = until("the game-over notice", [&] { return driver::find<VXGameOverView>(t.game) != nullptr; });
    driver::drainMain();
    step("online time used up", over && t.shot("login-21-game-over.png"), "the game-over notice covers the game");
    CXRHelperBtn::shared()->stopTimer();
}

} // namespace

void playLoginTour(Context& context) {
    if (!context.local) {
        std::printf("     login tour             skipped: it sets the in-process server's knobs\n");
        return;
    }
    // Pages are fetched from the stand-in and drawn, as a player reads them.
    ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Fetch);
    ShareVale::sharedInstance()->setIsNotAutoLogin(false);
    context.local->setNotice("20261206", "新版本已上线，新增「勇者试炼」玩法，登录即可领取礼包。祝您游戏愉快！", 0);
    Tour tour{context, gameWindow(), {}, {}};
    firstStart(tour);
    if (!tour.screen()) floatingButtonAndLogout(tour);
    secondStart(tour);
    minor(tour);
    for (const auto& w : ui::Application::shared().windows())
        if (w != tour.game) w->setHidden(true);
    if (auto over = driver::find<VXGameOverView>(tour.game)) over->removeFromSuperview();
}

} // namespace demo
