// The login window end to end against the stand-in server: automatic login, the chain of steps
// after a login with its clock, the release of the window, failures, registration and the pager.
#include "platform_sdk/VXLoginVC.h"
#include "platform_sdk/VXNoticeVC.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/VorlixSDK.h"
#include "platform_sdk/testing/TestPlayer.h"
#include "server/ServerState.h"
#include "tests/platform_sdk/LoginFixture.h"
#include "widgets/VXProgressHUD.h"

namespace {

namespace driver = ui::driver;
using ns::Value;

class LoginFlowTest : public vx::test::LoginTest {
protected:
    void SetUp() override {
        LoginTest::SetUp();
        server.addAccount("player01", "secret1", "13900000000");
        server.withState([](vx::server::PlatformServer::State& s) { s.loginArea.askRealName = false; });
        // Each test logs in by hand unless it says otherwise.
        ShareVale::sharedInstance()->setIsNotAutoLogin(true);
    }
    void TearDown() override {
        // A window left open holds its screen, which holds it: close it as the fade-out would.
        if (auto screen = login.lock()) screen->keyWindow = nullptr;
        login.reset();
        VorlixSDK::screens() = {};
        LoginTest::TearDown();
    }
    // The game asks for the login window; what the SDK reports lands in `successes` and `failures`.
    VXLoginVCRef open() {
        VorlixSDK::didFinishLaunching();
        VorlixSDK::loadLoginViewResultSuccess(
            [this](const Value& t, const Value& n, const Value& s, const Value& rz) { successes.push_back({t, n, s, rz}); },
            [this](long code, const Value& message) { failures.emplace_back(code, message.stringValue().value_or("")); });
        settle();
        for (const auto& w : ui::Application::shared().windows()) {
            if (w == game || w->isHidden()) continue;
            auto nav = std::dynamic_pointer_cast<ui::NavigationController>(w->rootViewController());
            if (nav && !nav->viewControllers().empty()) login = std::dynamic_pointer_cast<VXLoginVC>(nav->viewControllers()[0]);
        }
        return login.lock();
    }
    void typeLogin(const VXLoginVCRef& screen, const std::string& name, const std::string& pwd) {
        driver::tap(screen->btnsView.lock()->viewWithTag(11));
        auto panel = screen->pwdView();
        panel->nameF.lock()->setText("");
        panel->pwdF.lock()->setText("");
        driver::typeText(panel->nameF.lock(), name);
        driver::typeText(panel->pwdF.lock(), pwd);
        size_t before = failures.size();
        driver::tap(driver::findButton(panel, "登录"));
        until([&] { return failures.size() > before || screen->step() == VXLoginVC::Step::Waiting; });
    }
    // Replies come over the network thread: pump until the screen shows their effect.
    void until(const std::function<bool()>& done) {
        EXPECT_TRUE(runMainUntil(done));
        settle();
    }
    // After the notice step: the notice or the picker is up.
    void untilNoticeStepEnds(const VXLoginVCRef& screen) {
        until([&] { return vx::TestPlayer::noticeOn(screen) || screen->step() == VXLoginVC::Step::Picker; });
    }
    // Logs in by hand and walks the chain to the picker, with one sub-account chosen at the end.
    void pickFirstSub(const VXLoginVCRef& screen) {
        auto picker = screen->subNameView();
        driver::selectRow(picker->tableView.lock(), ui::IndexPath::forRow(0, 0));
        until([&] { return screen->step() == VXLoginVC::Step::Slide; });
    }

    ns::Weak<VXLoginVC> login;
    std::vector<std::vector<Value>> successes;
    std::vector<std::pair<long, std::string>> failures;
};

TEST_F(LoginFlowTest, LogsInAutomaticallyWithTheStoredAccountOnlyWhenAllowed) {
    auto share = ShareVale::sharedInstance();
    share->setUserName(std::string("player01"));
    share->setPassWord(std::string("secret1"));
    share->setLoginStyle(1);
    share->setIsNotAutoLogin(false);
    server.holdNext("login/dologin");
    auto screen = open();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(awaitRequests("login/dologin"));
    auto sent = server.requests("login/dologin")[0].params;
    EXPECT_EQ(sent["z"], Value("player01"));
    EXPECT_EQ(sent["b"], Value("secret1"));
    EXPECT_TRUE(VXProgressHUD::HUDForView(screen->loginView.lock())) << "the HUD is on the card";
    EXPECT_EQ(server.requests("login/oneRegister").size(), 1u) << "the registration panel asked for a name first";
    EXPECT_EQ(screen->pwdView()->nameF.lock()->text(), "player01");
    server.releaseHeld();
    settle();
    screen->keyWindow->setHidden(true);
    screen->keyWindow = nullptr;
    screen.reset();

    server.clearRequests();
    share->setIsNotAutoLogin(true);
    ASSERT_TRUE(open());
    EXPECT_TRUE(server.requests("login/dologin").empty());
}

TEST_F(LoginFlowTest, TheChainRunsInOrderOnTheClockAndReleasesTheWindow) {
    server.withState([](vx::server::PlatformServer::State& s) {
        s.loginArea.askRealName = true;
        s.loginArea.realNameMandatory = true;
        s.loginArea.realNameResult = 2;
    });
    server.setNotice("7", "版本更新公告", 0);
    auto screen = open();
    ASSERT_TRUE(screen);
    driver::advance(0.5);
    EXPECT_TRUE(cg::AffineTransformIsIdentity(screen->loginView.lock()->transform())) << "the card sprang in";
    typeLogin(screen, "player01", "secret1");
    EXPECT_EQ(ShareVale::sharedInstance()->userName(), "player01");
    EXPECT_EQ(ShareVale::sharedInstance()->loginStyle(), 1u);

    driver::advance(0.99);
    EXPECT_FALSE(screen->rzView()->superview());
    driver::advance(0.01);
    ASSERT_EQ(screen->rzView()->superview(), screen->loginView.lock()) << "real name on the card at 1 s";
    EXPECT_TRUE(screen->rzView()->closeBtn.lock()->isHidden()) << "mandatory";
    // The details page opens on the real-name panel, without the browser button.
    driver::tap(driver::findButton(screen->rzView(), "防沉迷系统详情"));
    auto details = screen->webView();
    ASSERT_EQ(details->superview(), screen->rzView());
    EXPECT_EQ(details->titleL.lock()->text(), "防沉迷系统详情");
    EXPECT_EQ(details->url(), server.host() + "/sdkapicoupon2/Agreement/Information2");
    ASSERT_EQ(details->webView.lock()->loadedRequests().size(), 1u);
    EXPECT_TRUE(details->moreBtn.lock()->isHidden());
    details->goBack();
    driver::typeText(screen->rzView()->nameF.lock(), "张三");
    driver::typeText(screen->rzView()->codeF.lock(), "110101201001011234");
    auto submit = driver::findButton(screen->rzView(), "提交认证");
    driver::tap(submit);
    driver::tap(submit);
    untilNoticeStepEnds(screen);
    EXPECT_EQ(server.requests("login/idcheck").size(), 1u) << "a second tap while the first is out sends nothing";
    EXPECT_EQ(server.requests("Sdkmsg/getmsg").size(), 1u);
    auto shown = vx::TestPlayer::noticeOn(screen);
    ASSERT_TRUE(shown) << "status 0, id 7, never seen: shown";
    EXPECT_TRUE(screen->loginView.lock()->isHidden());
    EXPECT_FALSE(shown->textView.lock()->isEditable());
    EXPECT_EQ(shown->textView.lock()->text(), "版本更新公告");
    EXPECT_EQ(ShareVale::sharedInstance()->noticeId(), "7");
    driver::tap(driver::findButton(shown->view(), "我知道了"));
    until([&] { return toastOn(screen->subNameView(), "您还没有小号，请先添加"); });
    EXPECT_FALSE(vx::TestPlayer::noticeOn(screen));
    EXPECT_EQ(screen->subNameView()->superview(), screen->loginView.lock());
    EXPECT_FALSE(screen->loginView.lock()->isHidden());

    vx::TestPlayer player;
    ASSERT_TRUE(player.addSubAccount("小号1")) << player.failure();
    settle();
    ASSERT_EQ(driver::rowCount(screen->subNameView()->tableView.lock(), 0), 1);
    auto subs = server.requests("login/addxiaohao");
    ASSERT_EQ(subs.size(), 1u);
    EXPECT_EQ(subs[0].params["x"], Value("小号1"));
    std::string subName = screen->subNameView()->dataSource[0]->username.value_or("");
    std::string subSign = screen->subNameView()->dataSource[0]->sign.value_or("");
    pickFirstSub(screen);
    EXPECT_EQ(ShareVale::sharedInstance()->subUserName(), subName);
    driver::advance(0.29);
    EXPECT_TRUE(successes.empty());
    driver::advance(0.01);
    ASSERT_EQ(successes.size(), 1u) << "reported when the slide ends";
    EXPECT_EQ(successes[0][1], Value(subName)) << "the sub-account's name, not the account's";
    EXPECT_EQ(successes[0][2], Value(subSign));
    EXPECT_EQ(successes[0][3], Value("2")) << "the rzStatus of the real-name reply";
    EXPECT_EQ(ShareVale::sharedInstance()->isRz(), Value(2));
    EXPECT_FALSE(CXRHelperBtn::shared()->isHidden());
    EXPECT_TRUE(CXRHelperBtn::shared()->timer());

    ns::Weak<ui::Window> window = screen->keyWindow;
    ns::Weak<ui::ViewController> nav = screen->navigationController();
    ns::Weak<ui::View> rz = screen->rzView(), picker = screen->subNameView(), phone = screen->phoneView();
    screen.reset();
    driver::advance(0.3);
    settle();
    EXPECT_TRUE(logContains("登录完成的windows = "));
    EXPECT_TRUE(login.expired() && window.expired() && nav.expired()) << "the window and its screen are gone";
    EXPECT_TRUE(rz.expired() && picker.expired() && phone.expired()) << "and every panel";
    EXPECT_EQ(successes.size(), 1u);
    CXRHelperBtn::shared()->stopTimer();
}

TEST_F(LoginFlowTest, NoticesAreShownByStatusAndIdAndSkippedWithoutText) {
    auto loginWith = [&](const vx::server::PlatformServer::Scripted& answer) {
        server.clearScripts();
        server.script("Sdkmsg/getmsg", answer);
        auto screen = open();
        typeLogin(screen, "player01", "secret1");
        driver::advance(1);
        untilNoticeStepEnds(screen);
        return screen;
    };
    auto loginOnce = [&](ns::Value noticeData) {
        auto screen = loginWith(reply(ns::Dictionary{{"code", 1}, {"msg", "ok"}, {"data", noticeData}}));
        bool shown = vx::TestPlayer::noticeOn(screen) != nullptr;
        screen->keyWindow->setHidden(true);
        screen->keyWindow = nullptr;
        return shown;
    };
    EXPECT_TRUE(loginOnce(ns::Dictionary{{"id", 7}, {"content", "一"}, {"status", "0"}})) << "first time";
    EXPECT_EQ(ShareVale::sharedInstance()->noticeId(), "7");
    EXPECT_FALSE(loginOnce(ns::Dictionary{{"id", "7"}, {"content", "一"}, {"status", 0}})) << "number and text ids agree";
    EXPECT_TRUE(loginOnce(ns::Dictionary{{"id", "7"}, {"content", "一"}, {"status", 1}})) << "status 1: every time";
    EXPECT_TRUE(loginOnce(ns::Dictionary{{"content", "二"}, {"status", "0"}})) << "a missing id is never seen";
    ShareVale::sharedInstance()->setNoticeId(std::string("9"));
    EXPECT_FALSE(loginOnce(ns::Dictionary{{"id", "8"}, {"content", Value::null()}, {"status", 1}}));
    EXPECT_EQ(ShareVale::sharedInstance()->noticeId(), "9") << "a null notice stores nothing";
    EXPECT_FALSE(loginOnce(ns::Dictionary{{"id", "8"}, {"status", 1}})) << "no content: no empty notice";

    // A notice that cannot be had goes straight on to the picker.
    auto screen = loginWith(raw(500, "<html>down</html>"));
    EXPECT_FALSE(vx::TestPlayer::noticeOn(screen));
    EXPECT_EQ(screen->subNameView()->superview(), screen->loginView.lock());
    EXPECT_FALSE(VXProgressHUD::HUDForView(screen->loginView.lock()));
}

TEST_F(LoginFlowTest, FailuresReportAndKeepTheWindowThenOneSuccess) {
    server.withState([](vx::server::PlatformServer::State& s) { s.loginArea.subs["player01"].push_back({"一号", "p01_a", "1700000000"}); });
    server.script("Sdkmsg/getmsg", reply(ns::Dictionary{{"code", 1}, {"data", ns::Dictionary{{"content", Value::null()}}}}));
    auto screen = open();
    typeLogin(screen, "player01", "wrong");
    EXPECT_FALSE(VXProgressHUD::HUDForView(screen->loginView.lock()));
    EXPECT_TRUE(toastOn(screen->loginView.lock(), "用户名或密码错误"));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], std::make_pair(0L, std::string("用户名或密码错误")));
    EXPECT_FALSE(screen->keyWindow->isHidden());

    server.scriptNext("login/dologin", dropped());
    typeLogin(screen, "player01", "secret1");
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[1], std::make_pair(501L, std::string("服务器错误")));

    // A status is read as the 64-bit number it is: 2^32 + 1 is no success.
    server.scriptNext("login/dologin", reply(ns::Dictionary{{"z", 4294967297LL}, {"x", "账号异常"}}));
    typeLogin(screen, "player01", "secret1");
    ASSERT_EQ(failures.size(), 3u);
    EXPECT_EQ(failures[2].second, "账号异常");

    typeLogin(screen, "player01", "secret1");
    driver::advance(1);
    untilNoticeStepEnds(screen);
    until([&] { return !screen->subNameView()->dataSource.empty(); });
    // Both check replies arrive before the first is handled: one chain, one success.
    server.holdNext("Index/adddllog");
    server.holdNext("Index/adddllog");
    screen->subNameView()->checkLoginDataWithModel(screen->subNameView()->dataSource[0]);
    screen->subNameView()->checkLoginDataWithModel(screen->subNameView()->dataSource[0]);
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 2; }));
    server.releaseHeld();
    until([&] { return screen->step() == VXLoginVC::Step::Slide && !VXProgressHUD::HUDForView(screen->subNameView()); });
    ShareVale::sharedInstance()->setIsHideSuspend(true);
    driver::advance(0.6);
    EXPECT_EQ(successes.size(), 1u);
    EXPECT_EQ(successes[0][1], Value("p01_a"));
    EXPECT_TRUE(CXRHelperBtn::shared()->isHidden()) << "the game hides the button";
    EXPECT_TRUE(CXRHelperBtn::shared()->timer()) << "the online time still counts";
    CXRHelperBtn::shared()->stopTimer();
}

TEST_F(LoginFlowTest, APhoneCodeLoginEndsWithTheWindowGoneWhileTheCountdownRuns) {
    server.withState([](vx::server::PlatformServer::State& s) { s.loginArea.subs["player01"].push_back({"一号", "p01_a", "1700000000"}); });
    server.script("Sdkmsg/getmsg", reply(ns::Dictionary{{"code", 1}, {"data", ns::Dictionary{{"content", Value::null()}}}}));
    auto screen = open();
    auto panel = screen->phoneView();
    driver::typeText(panel->phoneF.lock(), "13900000000");
    auto codeButton = std::dynamic_pointer_cast<VXCountDownButton>(driver::findButton(panel, "获取验证码"));
    ASSERT_TRUE(codeButton);
    driver::tap(codeButton);
    until([&] { return codeButton->currentTitle() == "剩余30秒"; });
    EXPECT_EQ(server.requests("Sdkhome/yzm")[0].params["type"], Value("8"));
    driver::typeText(panel->codeF.lock(), server.smsCode("13900000000").value_or("?"));
    driver::tap(panel->protocolBtn.lock());
    driver::tap(driver::findButton(panel, "登录"));
    until([&] { return screen->step() == VXLoginVC::Step::Waiting; });
    EXPECT_TRUE(VXProgressHUD::HUDForView(screen->loginView.lock())) << "the HUD stays until the notice step";
    EXPECT_EQ(ShareVale::sharedInstance()->userName(), "player01");
    EXPECT_TRUE(ShareVale::sharedInstance()->loginToken().value_or("").size() > 0);
    driver::advance(1);
    until([&] { return !screen->subNameView()->dataSource.empty(); });
    pickFirstSub(screen);
    ns::Weak<ui::View> weakPanel = panel, weakButton = codeButton;
    panel.reset();
    codeButton.reset();
    screen.reset();
    driver::advance(0.3);
    driver::advance(0.3);
    settle();
    ASSERT_EQ(successes.size(), 1u);
    EXPECT_EQ(successes[0][1], Value("p01_a"));
    EXPECT_TRUE(login.expired() && weakPanel.expired() && weakButton.expired()) << "the countdown keeps nothing alive";
    driver::advance(30);
    CXRHelperBtn::shared()->stopTimer();
}

TEST_F(LoginFlowTest, ALateLogoutReplyLeavesTheSameAccountLoggedInAgain) {
    auto screen = open();
    typeLogin(screen, "player01", "secret1");
    screen->keyWindow = nullptr;
    screen.reset();
    // The game logs out; the reply is slow, and the player logs in again with the same account.
    server.holdNext("login/logout");
    VorlixSDK::LoginOut();
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    screen = open();
    typeLogin(screen, "player01", "secret1");
    ASSERT_EQ(screen->step(), VXLoginVC::Step::Waiting);
    server.releaseHeld();
    ASSERT_NO_FATAL_FAILURE(awaitReplies());
    EXPECT_EQ(ShareVale::sharedInstance()->userName(), "player01") << "the newer login keeps its name";
}

TEST_F(LoginFlowTest, RegistrationSavesAScreenshotThenLogsIn) {
    auto screen = open();
    auto panel = screen->randomView();
    until([&] { return !panel->nameF.lock()->text().empty(); });
    std::string proposed = panel->nameF.lock()->text();
    EXPECT_EQ(proposed.size(), 8u) << "the server's proposed name";
    driver::tap(screen->btnsView.lock()->viewWithTag(12));
    driver::tap(panel->protocolBtn.lock());
    driver::typeText(panel->pwdF.lock(), "pass123");
    driver::tap(driver::findButton(panel, "一键注册"));
    until([&] { return !ui::PhotoAlbum::shared().savedImages().empty(); });
    EXPECT_TRUE(toastOn(screen->view(), "注册成功，已截图"));
    EXPECT_EQ(ui::PhotoAlbum::shared().savedImages().size(), 1u);
    auto shot = ui::PhotoAlbum::shared().savedImages()[0];
    EXPECT_EQ(shot->size(), ui::Application::shared().keyWindow()->bounds().size);
    EXPECT_EQ(shot->scale(), 2);
    driver::advance(0.99);
    EXPECT_TRUE(server.requests("login/dologin").empty());
    driver::advance(0.01);
    ASSERT_TRUE(awaitRequests("login/dologin"));
    EXPECT_EQ(server.requests("login/dologin")[0].params["z"], Value(proposed));
    EXPECT_EQ(server.requests("login/dologin")[0].params["b"], Value("pass123"));
    screen->keyWindow = nullptr;
    screen.reset();

    // Refused: -8, window stays. Then with the album refused the login goes at once, without a message.
    ui::PhotoAlbum::shared().setSavingAllowed(false);
    server.clearRequests();
    screen = open();
    panel = screen->randomView();
    driver::tap(screen->btnsView.lock()->viewWithTag(12));
    driver::tap(panel->protocolBtn.lock());
    driver::typeText(panel->pwdF.lock(), "pass123");
    panel->nameF.lock()->setText("player01");
    size_t before = failures.size();
    driver::tap(driver::findButton(panel, "一键注册"));
    until([&] { return failures.size() > before; });
    ASSERT_FALSE(failures.empty());
    EXPECT_FALSE(screen->keyWindow->isHidden());
    panel->nameF.lock()->setText("newplayer9");
    driver::tap(driver::findButton(panel, "一键注册"));
    EXPECT_TRUE(awaitRequests("login/dologin"));
    settle();
    EXPECT_FALSE(toastOn(screen->view(), "注册成功，已截图"));
    EXPECT_EQ(failures.back(), std::make_pair(-8L, std::string("该用户名已被注册")));
}

TEST_F(LoginFlowTest, TypeButtonsAndSwipesChooseThePanel) {
    auto screen = open();
    auto buttons = screen->btnsView.lock();
    auto pager = screen->scrollView.lock();
    auto twelve = std::dynamic_pointer_cast<ui::Button>(buttons->viewWithTag(12));
    driver::tap(twelve);
    EXPECT_EQ(pager->contentOffset().x, 600);
    EXPECT_EQ(screen->indicator.lock()->center().x, twelve->center().x);
    EXPECT_TRUE(twelve->isSelected());
    EXPECT_FALSE(screen->oneBtn.lock()->isSelected());
    driver::tap(twelve);
    EXPECT_EQ(pager->contentOffset().x, 600);
    EXPECT_TRUE(twelve->isSelected());
    driver::swipeToPage(pager, 1);
    EXPECT_EQ(pager->contentOffset().x, 300);
    EXPECT_TRUE(std::dynamic_pointer_cast<ui::Button>(buttons->viewWithTag(11))->isSelected());
    EXPECT_FALSE(twelve->isSelected());

    // The agreement page is pushed inside the login window with its own back button.
    driver::tap(twelve);
    driver::tap(driver::findButton(screen->randomView(), "《用户协议》"));
    driver::advance(0.35);
    auto nav = screen->navigationController();
    ASSERT_EQ(nav->viewControllers().size(), 2u);
    EXPECT_FALSE(nav->isNavigationBarHidden());
    EXPECT_EQ(nav->viewControllers()[1]->navigationItem()->title(), "用户协议");
    auto page = std::dynamic_pointer_cast<VXSuWebVC>(nav->viewControllers()[1]);
    ASSERT_TRUE(page);
    EXPECT_TRUE(page->isShowSuperVc());
    EXPECT_EQ(page->url(), server.host() + "/sdkapicoupon2/Agreement/xieyi");
    EXPECT_EQ(page->navigationItem()->leftBarButtonItem()->customView(), page->backBtn()) << "its own back button wins";
}

} // namespace
