// The login road as a player meets it: every request, sent from the screen that sends it, while the
// server answers with each fault (what the screen shows, what the game is told, what survives);
// then the window itself, the panels' checks, the picker's listing and the logout handed on.
#include "os/uikit/AlertController.h"
#include "platform_sdk/VXGameOverView.h"
#include "platform_sdk/VXLoginVC.h"
#include "platform_sdk/VXNoticeVC.h"
#include "platform_sdk/VXSuForgetView.h"
#include "platform_sdk/VorlixSDK.h"
#include "server/ServerState.h"
#include "tests/platform_sdk/LoginFixture.h"
#include "tests/platform_sdk/ReplyFaults.h"
#include "widgets/VXCountDownButton.h"
#include "widgets/VXProgressHUD.h"

namespace {

namespace driver = ui::driver;
using ns::Value;
using vx::test::Fault;

class LoginRoad : public vx::test::LoginTest {
public:
    void SetUp() override {
        LoginTest::SetUp();
        server.addAccount("player01", "secret1", "13900000000");
        server.withState([](vx::server::PlatformServer::State& s) {
            s.loginArea.askRealName = false;
            s.loginArea.subs["player01"].push_back({"一号", "p01_a", "1700000000"});
        });
    }
    void TearDown() override {
        close();
        VorlixSDK::screens() = {};
        CXRHelperBtn::shared()->stopTimer();
        LoginTest::TearDown();
    }
    // Each case starts logged out, with no notice and nothing reported yet.
    void fresh() {
        close();
        server.clearScripts();
        server.clearRequests();
        server.script("Sdkmsg/getmsg", reply(ns::Dictionary{{"code", 1}, {"data", ns::Dictionary{{"content", Value::null()}}}}));
        auto share = ShareVale::sharedInstance();
        share->setUserName(std::string());
        share->setLoginStyle(2);
        share->setIsNotAutoLogin(true);
        failures.clear();
        while (auto over = driver::find<VXGameOverView>(game)) over->removeFromSuperview();
    }

    VXLoginVCRef open() {
        VorlixSDK::didFinishLaunching();
        VorlixSDK::loadLoginViewResultSuccess(
            [this](const Value&, const Value& name, const Value&, const Value&) { successes += name.stringValue().value_or(""); },
            [this](long code, const Value& message) {
                failures += "(" + std::to_string(code) + "," + message.stringValue().value_or("") + ")";
            });
        settle();
        for (const auto& w : ui::Application::shared().windows()) {
            auto nav = std::dynamic_pointer_cast<ui::NavigationController>(w->rootViewController());
            if (w == game || w->isHidden() || !nav || nav->viewControllers().empty()) continue;
            screen = std::dynamic_pointer_cast<VXLoginVC>(nav->viewControllers()[0]);
        }
        return screen;
    }
    void close() {
        if (screen && screen->keyWindow) screen->keyWindow->setHidden(true);
        if (screen) screen->keyWindow = nullptr;
        screen = nullptr;
    }
    // Waits until the request to `path` has gone out and every reply has been handled.
    void untilAnswered(const std::string& path, size_t count = 1) {
        EXPECT_TRUE(awaitRequests(path, count)) << path;
        EXPECT_TRUE(runMainUntil(vx::test::transportsIdle));
        settle();
    }
    static void fill(const ns::Weak<ui::TextField>& field, const std::string& text) {
        field.lock()->setText("");
        driver::typeText(field.lock(), text);
    }
    // After a login request: the card's toast, what the game was told, the step; the window stays
    // and the HUD has gone unless the login went through.
    std::string loginOutcome() {
        auto card = screen->loginView.lock();
        EXPECT_FALSE(screen->keyWindow->isHidden());
        bool waiting = screen->step() == VXLoginVC::Step::Waiting;
        EXPECT_EQ(VXProgressHUD::HUDForView(card) != nullptr, waiting);
        return vx::test::toasts(card) + " " + (failures.empty() ? "-" : failures) + (waiting ? " logged in" : "");
    }
    void logInByHand() {
        driver::tap(screen->btnsView.lock()->viewWithTag(11));
        auto panel = screen->pwdView();
        fill(panel->nameF, "player01");
        fill(panel->pwdF, "secret1");
        driver::tap(driver::findButton(panel, "登录"));
        untilAnswered("login/dologin");
    }
    // Logged in and at the picker, whose first list has been handled.
    void toPicker() {
        open();
        logInByHand();
        advance(1);
        EXPECT_TRUE(runMainUntil([&] { return screen->step() == VXLoginVC::Step::Picker; }));
        untilAnswered("login/xiaohao");
    }
    std::string pickerOutcome() {
        auto picker = screen->subNameView();
        EXPECT_EQ(picker->superview(), screen->loginView.lock());
        EXPECT_FALSE(VXProgressHUD::HUDForView(picker));
        return std::to_string(driver::rowCount(picker->tableView.lock(), 0)) + " rows " + vx::test::toasts(picker);
    }

public:
    // --- the requests, each sent as a player sends it ---

    std::string passwordLogin(Fault) {
        open();
        logInByHand();
        EXPECT_EQ(screen->pwdView()->nameF.lock()->text(), "player01");
        return loginOutcome();
    }
    std::string automaticLogin(Fault f) {
        auto share = ShareVale::sharedInstance();
        share->setUserName(std::string("player01"));
        share->setPassWord(std::string(f == Fault::Refused ? "stale1" : "secret1")); // refused: changed elsewhere
        share->setLoginStyle(1);
        share->setIsNotAutoLogin(false);
        open();
        untilAnswered("login/dologin");
        EXPECT_EQ(screen->pwdView()->nameF.lock()->text(), "player01");
        return loginOutcome();
    }
    std::string phoneLogin(Fault) {
        open();
        auto panel = screen->phoneView();
        fill(panel->phoneF, "13900000000");
        fill(panel->codeF, "123456");
        driver::tap(panel->protocolBtn.lock());
        driver::tap(driver::findButton(panel, "登录"));
        untilAnswered("Login/telregister");
        EXPECT_EQ(panel->codeF.lock()->text(), "123456");
        return loginOutcome();
    }
    std::string registration(Fault) {
        open();
        driver::tap(screen->btnsView.lock()->viewWithTag(12));
        auto panel = screen->randomView();
        fill(panel->nameF, "newplayer9");
        fill(panel->pwdF, "pass123");
        driver::tap(panel->protocolBtn.lock());
        driver::tap(driver::findButton(panel, "一键注册"));
        untilAnswered("login/register");
        bool shot = !ui::PhotoAlbum::shared().savedImages().empty();
        ui::PhotoAlbum::shared().reset();
        return vx::test::toasts(screen->loginView.lock()) + " " + (failures.empty() ? "-" : failures) +
               (shot ? " " + vx::test::toasts(screen->view()) : "");
    }
    std::string codeOutcome(const ui::ViewRef& panel, const VXCountDownButtonRef& button) {
        return vx::test::toasts(panel) + " " + button->currentTitle().value_or("") + (button->isEnabled() ? " on" : " off");
    }
    std::string phoneCode(Fault) {
        open();
        auto panel = screen->phoneView();
        fill(panel->phoneF, "13900000000");
        auto button = driver::find<VXCountDownButton>(panel);
        driver::tap(button);
        untilAnswered("Sdkhome/yzm");
        return codeOutcome(panel, button);
    }
    VXSuForgetViewRef resetPanel() {
        open();
        driver::tap(screen->btnsView.lock()->viewWithTag(11));
        driver::tap(driver::findButton(screen->pwdView(), "忘记密码？"));
        auto reset = screen->pwdView()->forgetView();
        fill(reset->numF, "13900000000");
        return reset;
    }
    std::string resetCode(Fault) {
        auto reset = resetPanel();
        auto button = driver::find<VXCountDownButton>(reset);
        driver::tap(button);
        untilAnswered("Sdkhome/yzm");
        return codeOutcome(reset, button);
    }
    std::string resetSubmit(Fault) {
        auto reset = resetPanel();
        fill(reset->pwdF, "newpass");
        fill(reset->codeF, "123456");
        driver::tap(driver::findButton(reset, "确认修改"));
        untilAnswered("Sdkhome/forgetpassword");
        advance(0.5);
        return vx::test::toasts(reset) + (reset->superview() ? " stays" : " closed");
    }
    std::string proposedName(Fault) {
        open();
        untilAnswered("login/oneRegister");
        std::string name = screen->randomView()->nameF.lock()->text();
        return name.empty() ? "-" : name;
    }
    std::string realName(Fault) {
        server.withState([](vx::server::PlatformServer::State& s) {
            s.loginArea.askRealName = true, s.loginArea.realNameMandatory = true;
        });
        open();
        logInByHand();
        advance(1);
        auto panel = screen->rzView();
        EXPECT_EQ(panel->superview(), screen->loginView.lock());
        fill(panel->nameF, "张三");
        fill(panel->codeF, "110101200001011234");
        driver::tap(driver::findButton(panel, "提交认证"));
        untilAnswered("login/idcheck");
        server.withState([](vx::server::PlatformServer::State& s) { s.loginArea.askRealName = false; });
        bool stays = panel->superview() && screen->step() == VXLoginVC::Step::RealName;
        return vx::test::toasts(panel) + (stays ? " stays" : " on");
    }
    std::string notice(Fault) {
        open();
        logInByHand();
        advance(1);
        untilAnswered("Sdkmsg/getmsg");
        bool shown = false;
        for (const auto& child : screen->childViewControllers()) shown = shown || std::dynamic_pointer_cast<VXNoticeVC>(child);
        EXPECT_FALSE(VXProgressHUD::HUDForView(screen->loginView.lock()));
        if (shown) return "notice";
        EXPECT_EQ(screen->subNameView()->superview(), screen->loginView.lock());
        return screen->step() == VXLoginVC::Step::Picker ? "picker" : "stuck";
    }
    std::string pickerList(Fault) {
        toPicker();
        return pickerOutcome();
    }
    std::string pickerAdd(Fault) {
        toPicker();
        driver::tap(driver::findButton(screen->subNameView(), "+ 添加小号"));
        advance(0.3);
        auto alert = driver::presentedAlert(screen->keyWindow);
        EXPECT_TRUE(alert);
        if (!alert) return "no alert";
        driver::typeIntoAlertField(alert, 0, "三号");
        driver::tapAlertAction(alert, "确认");
        advance(0.3);
        untilAnswered("login/addxiaohao");
        return pickerOutcome() + " " + vx::test::toasts(screen->keyWindow) + " " + vx::test::toasts(game);
    }
    std::string pickerCheck(Fault) {
        toPicker();
        driver::selectRow(screen->subNameView()->tableView.lock(), ui::IndexPath::forRow(0, 0));
        untilAnswered("Index/adddllog");
        advance(0.3);
        if (auto alert = driver::presentedAlert(screen->keyWindow)) return "alert " + alert->message().value_or("");
        if (screen->step() == VXLoginVC::Step::Slide) return "chosen";
        return pickerOutcome();
    }
    std::string roleReport(Fault) {
        ShareVale::sharedInstance()->setUserName(std::string("player01"));
        long answered = -1;
        VorlixSDK::SetUserInfoDataWithRoleId("r1", "剑客", "10", "z1", "一区", "", [&](long code) { answered = code; });
        untilAnswered("User/setRole");
        return "game " + std::to_string(answered);
    }
    std::string onlineTime(Fault) {
        ShareVale::sharedInstance()->setUserName(std::string("player01"));
        auto button = CXRHelperBtn::shared();
        button->startTimer();
        settle(); // the tick at the start
        advance(120);
        untilAnswered("login/setTime");
        std::string counting = button->timer() ? "counting" : "stopped";
        button->stopTimer();
        return counting + (driver::find<VXGameOverView>(game) ? " game over" : "");
    }
    std::string logout(Fault) {
        ShareVale::sharedInstance()->setUserName(std::string("player01"));
        VorlixSDK::LoginOut();
        untilAnswered("login/logout");
        auto name = ShareVale::sharedInstance()->userName();
        return name && !name->empty() ? *name : "-";
    }

protected:
    VXLoginVCRef screen;
    std::string failures, successes;
};

using Row = vx::test::FaultRow<LoginRoad>;
using F = LoginRoad;
using D = ns::Dictionary;
using A = ns::Array;

// Shown: the toast ("-" for none), then what the game was told or what the screen was left with.
const std::vector<Row>& screenRows() {
    static const std::vector<Row> table = {
        {"password login", "login/dologin", D{{"z", 0}, {"x", "账号已冻结"}}, D{{"z", "ok"}, {"x", 404}}, {},
         &F::passwordLogin,
         {"服务器错误 (501,服务器错误)", "- (0,)", "- (0,)", "账号已冻结 (0,账号已冻结)", "404 (0,404)", "- (0,)", "- (0,)"}},
        {"automatic login", "login/dologin", {}, D{{"z", 1}, {"b", A{"player01"}}, {"rz", D{}}, {"sid", Value::null()}}, {},
         &F::automaticLogin,
         {"服务器错误 (501,服务器错误)", "- (0,)", "- (0,)", "用户名或密码错误 (0,用户名或密码错误)", "- - logged in", "- (0,)", "- (0,)"}},
        {"phone login", "Login/telregister", D{{"z", -3}, {"x", "验证码错误"}}, D{{"z", A{1}}, {"x", Value::null()}}, {},
         &F::phoneLogin, {"服务器错误 (501,服务器错误)", "- (0,)", "- (0,)", "验证码错误 (-3,验证码错误)", "- (0,)", "- (0,)", "- (0,)"}},
        {"registration", "login/register", D{{"z", 0}, {"d", "该用户名已被注册"}}, D{{"z", "1"}, {"b", A{}}, {"c", 5}}, {},
         &F::registration,
         {"服务器错误 (-8,服务器错误)", "- (-8,)", "- (-8,)", "该用户名已被注册 (-8,该用户名已被注册)", "- - 注册成功，已截图", "- (-8,)", "- (-8,)"}},
        {"phone code", "Sdkhome/yzm", D{{"a", 0}, {"b", "发送太频繁"}}, D{{"a", "x"}, {"b", D{}}}, {}, &F::phoneCode,
         {"服务器错误 获取验证码 on", "服务器错误 获取验证码 on", "服务器错误 获取验证码 on", "发送太频繁 获取验证码 on", "- 获取验证码 on", "- 获取验证码 on",
          "- 获取验证码 on"}},
        {"reset code", "Sdkhome/yzm", D{{"a", 0}, {"b", "发送太频繁"}}, D{{"a", "1"}, {"b", 7}}, {}, &F::resetCode,
         {"服务器错误 获取验证码 on", "服务器错误 获取验证码 on", "服务器错误 获取验证码 on", "发送太频繁 获取验证码 on", "验证码已发送 剩余30秒 off", "- 获取验证码 on",
          "- 获取验证码 on"}},
        {"reset password", "Sdkhome/forgetpassword", D{{"a", 0}, {"b", "验证码错误"}}, D{{"a", "一"}, {"b", 3}}, {},
         &F::resetSubmit, {"服务器错误 stays", "- stays", "- stays", "验证码错误 stays", "3 stays", "- stays", "- stays"}},
        {"proposed name", "login/oneRegister", D{{"z", 0}, {"b", "vx000001"}}, D{{"z", "1"}, {"b", A{"vx1"}}}, {},
         &F::proposedName, {"-", "-", "-", "-", "-", "-", "-"}},
        {"real name", "login/idcheck", D{{"z", 0}, {"b", "身份证号不正确"}}, D{{"z", D{}}, {"b", A{"x"}}}, {}, &F::realName,
         {"服务器错误 stays", "- stays", "- stays", "身份证号不正确 stays", "- stays", "- stays", "- stays"}},
        {"notice", "Sdkmsg/getmsg", D{{"code", 0}, {"msg", "无公告"}}, D{{"code", 1}, {"data", A{"公告"}}}, {}, &F::notice,
         {"picker", "picker", "picker", "picker", "picker", "picker", "picker"}},
        {"sub-account list", "login/xiaohao", D{{"code", 0}, {"msg", "获取失败"}}, D{{"data", "一号"}, {"msg", 9}},
         D{{"msg", "暂无小号"}}, &F::pickerList, {"0 rows -", "0 rows -", "0 rows -", "0 rows 获取失败", "0 rows 9", "0 rows -", "0 rows -", "0 rows 暂无小号"}},
        {"sub-account add", "login/addxiaohao", D{{"code", 0}, {"msg", "小号数量已达上限"}},
         D{{"code", "1"}, {"data", D{{"nickname", "三号"}}}}, D{{"code", 1}, {"msg", "ok"}}, &F::pickerAdd, {"1 rows - - -", "1 rows - - -", "1 rows - - -", "1 rows - 小号数量已达上限 -", "1 rows - - -", "1 rows - - -", "1 rows - - -", "1 rows - - -"}},
        {"sub-account check", "Index/adddllog", D{{"a", 0}, {"b", "该小号已被封禁"}}, D{{"a", A{1}}, {"b", 0}}, {},
         &F::pickerCheck,
         {"1 rows 服务器错误", "1 rows 服务器错误", "1 rows 服务器错误", "alert 该小号已被封禁", "alert 0", "alert ", "alert "}},
    };
    return table;
}

// What the game calls without a screen: the role report, the online-time report, the logout.
const std::vector<Row>& gameRows() {
    static const std::vector<Row> table = {
        {"role report", "User/setRole", D{{"code", 0}}, D{{"code", "yes"}}, {}, &F::roleReport,
         {"game 0", "game 0", "game 0", "game 0", "game 0", "game 0", "game 0"}},
        {"online time", "login/setTime", D{{"z", -2}, {"b", "今日时长已用完"}}, D{{"z", "-2x"}, {"b", A{}}}, {},
         &F::onlineTime,
         {"counting", "counting", "counting", "stopped game over", "stopped game over", "counting", "counting"}},
        {"logout", "login/logout", D{{"z", 0}, {"b", "注销失败"}}, D{{"z", A{}}}, {}, &F::logout,
         {"player01", "-", "-", "-", "-", "-", "-"}},
    };
    return table;
}

} // namespace

TEST_F(LoginRoad, EveryRequestOfTheLoginScreensUnderEveryFault) { vx::test::runFaultTable(*this, server, screenRows()); }

TEST_F(LoginRoad, TheGamesOwnCallsUnderEveryFault) { vx::test::runFaultTable(*this, server, gameRows()); }

TEST_F(LoginRoad, TheWindowFadesInOverTheGameWithoutBecomingKey) {
    fresh();
    open();
    auto window = screen->keyWindow;
    EXPECT_FALSE(window->isHidden());
    EXPECT_EQ(ui::Application::shared().keyWindow(), game);
    EXPECT_EQ(window->windowLevel(), game->windowLevel());
    auto shade = [&] { return window->layer()->presentationValues().backgroundColor.value_or(cg::Color{0, 0, 0, -1}).a; };
    EXPECT_EQ(shade(), 0);
    advance(0.25);
    EXPECT_GT(shade(), 0);
    EXPECT_LT(shade(), 0.5);
    advance(0.25);
    EXPECT_DOUBLE_EQ(shade(), 0.5);
}

TEST_F(LoginRoad, TheFloatingButtonReportsTheUserCentreLogoutThroughTheLoginsFailureBlock) {
    fresh();
    toPicker();
    driver::selectRow(screen->subNameView()->tableView.lock(), ui::IndexPath::forRow(0, 0));
    untilAnswered("Index/adddllog");
    advance(0.3); // the card slides out
    advance(0.3); // the window fades
    EXPECT_EQ(successes, "p01_a");
    EXPECT_FALSE(screen->keyWindow);
    auto button = CXRHelperBtn::shared();
    ASSERT_FALSE(button->isHidden());
    std::function<void()> logout;
    CXRHelperBtn::userCentreOpener() = [&](std::function<void()> l) {
        logout = std::move(l);
        return true;
    };
    driver::tapAt(game, {button->frame().origin.x + 15, button->center().y}); // docked half off the edge
    ASSERT_TRUE(logout);
    EXPECT_EQ(failures, "");
    logout();
    CXRHelperBtn::userCentreOpener() = nullptr;
    EXPECT_EQ(failures, "(-9,注销)");
    EXPECT_FALSE(button->timer());
}

TEST_F(LoginRoad, TheRegistrationPanelWantsTheAgreementThenSixCharacters) {
    fresh();
    open();
    driver::tap(screen->btnsView.lock()->viewWithTag(12));
    auto panel = screen->randomView();
    auto tapRegister = [&](const std::string& name) {
        advance(3); // the last toast has gone
        fill(panel->nameF, name);
        driver::tap(driver::findButton(panel, "一键注册"));
        return vx::test::toasts(panel);
    };
    fill(panel->pwdF, "pass123");
    EXPECT_EQ(tapRegister("newplayer9"), "请确认用户协议");
    driver::tap(panel->protocolBtn.lock());
    EXPECT_EQ(tapRegister("abcde"), "用户名不少于6位");
    settle();
    EXPECT_TRUE(server.requests("login/register").empty());
    EXPECT_EQ(tapRegister("abcdef"), "-");
    untilAnswered("login/register");
    EXPECT_EQ(server.requests("login/register")[0].params["z"], Value("abcdef"));
}

TEST_F(LoginRoad, TheResetPanelShowsThePasswordWhileItsEyeIsSelected) {
    fresh();
    auto reset = resetPanel();
    auto eye = driver::find<ui::Button>(reset, [](const ui::Button& b) { return b.frame().origin.x == 243; });
    ASSERT_TRUE(eye);
    EXPECT_TRUE(reset->pwdF.lock()->isSecureTextEntry());
    driver::tap(eye);
    EXPECT_TRUE(eye->isSelected());
    EXPECT_FALSE(reset->pwdF.lock()->isSecureTextEntry());
    driver::tap(eye);
    EXPECT_TRUE(reset->pwdF.lock()->isSecureTextEntry());
}

TEST_F(LoginRoad, ThePickerListsWithItsKeysAtEverySubAccountStep) {
    fresh();
    toPicker();
    Value keys = ns::Dictionary{{"z", "player01"}, {"c", "1001"}, {"e", "agent9"}, {"f", "app7"}, {"t", "ios"}};
    EXPECT_EQ(server.requests("login/xiaohao")[0].params, keys);
    // The sub-account is refused: the picker goes, and the next login lists again.
    server.scriptNext("Index/adddllog", reply(ns::Dictionary{{"a", 0}, {"b", "该小号已被封禁"}}));
    driver::selectRow(screen->subNameView()->tableView.lock(), ui::IndexPath::forRow(0, 0));
    untilAnswered("Index/adddllog");
    advance(0.3);
    driver::tapAlertAction(driver::presentedAlert(screen->keyWindow), "确定");
    advance(0.3);
    EXPECT_FALSE(screen->subNameView()->superview());
    logInByHand();
    advance(1);
    untilAnswered("login/xiaohao", 2);
    EXPECT_EQ(screen->subNameView()->superview(), screen->loginView.lock());
    EXPECT_EQ(server.requests("login/xiaohao")[1].params, keys);
    EXPECT_EQ(driver::rowCount(screen->subNameView()->tableView.lock(), 0), 1);
}
