// The login panels on their own: input checks counted in UTF-16 units, the SMS-code button with its
// countdown, the proposed name, the password reset, the box-app hand-off and the web panel.
#include "os/uikit/ViewRendering.h"
#include "platform_sdk/VXLoginRzView.h"
#include "platform_sdk/VXLoginWebView.h"
#include "platform_sdk/VXPhoneLoginView.h"
#include "platform_sdk/VXPwdLoginView.h"
#include "platform_sdk/VXQuickLoginView.h"
#include "platform_sdk/VXRandomLoginView.h"
#include "platform_sdk/VXSuForgetView.h"
#include "server/ServerState.h"
#include "tests/platform_sdk/LoginFixture.h"
#include "tests/support/ImageBytes.h"

namespace {

namespace driver = ui::driver;
using ns::Value;

class LoginPanelsTest : public vx::test::LoginTest {
protected:
    template <class P> ns::Ref<P> place(ns::Ref<P> panel) {
        panel->setFrame(cg::RectMake(37.5, 200, panel->frame().size.width, panel->frame().size.height));
        game->addSubview(panel);
        return panel;
    }
    static void fill(const ns::Weak<ui::TextField>& field, const std::string& text) {
        field.lock()->setText("");
        if (!text.empty()) driver::typeText(field.lock(), text);
    }
    // Taps the button and answers the toast shown on the panel ("" for none).
    std::string tapFor(const ui::ViewRef& panel, const std::string& title) {
        size_t before = panel->subviews().size();
        driver::tap(driver::findButton(panel, title));
        for (size_t i = before; i < panel->subviews().size(); ++i)
            if (auto label = driver::find<ui::Label>(panel->subviews()[i])) return label->text().value_or("");
        return "";
    }
};

TEST_F(LoginPanelsTest, InputChecksComeInOrderAndSendNothing) {
    auto phone = place(VXPhoneLoginView::fromXib());
    std::vector<std::pair<std::string, std::string>> sent;
    phone->loginBlock = [&](const std::string& a, const std::string& b) { sent.emplace_back(a, b); };
    fill(phone->phoneF, "13900000000");
    fill(phone->codeF, "1234");
    EXPECT_EQ(tapFor(phone, "登录"), "请确认用户协议");
    driver::tap(phone->protocolBtn.lock());
    fill(phone->phoneF, "1390000000");
    EXPECT_EQ(tapFor(phone, "登录"), "请检查手机号");
    fill(phone->phoneF, "139000000001");
    EXPECT_EQ(tapFor(phone, "登录"), "请检查手机号");
    fill(phone->phoneF, "1390000000x");
    fill(phone->codeF, "");
    EXPECT_EQ(tapFor(phone, "登录"), "输入验证码") << "11 units of anything pass";
    fill(phone->codeF, "1234");
    EXPECT_EQ(tapFor(phone, "登录"), "");
    EXPECT_EQ(sent, (std::vector<std::pair<std::string, std::string>>{{"1390000000x", "1234"}}));

    ShareVale::sharedInstance()->setUserName(std::string("stored01"));
    auto pwd = place(VXPwdLoginView::fromXib());
    EXPECT_EQ(pwd->nameF.lock()->text(), "stored01");
    sent.clear();
    pwd->loginBlock = [&](const std::string& a, const std::string& b) { sent.emplace_back(a, b); };
    fill(pwd->nameF, "abcde");
    fill(pwd->pwdF, "x");
    EXPECT_EQ(tapFor(pwd, "登录"), "用户名不少于6位");
    fill(pwd->nameF, "abcdef");
    fill(pwd->pwdF, "");
    EXPECT_EQ(tapFor(pwd, "登录"), "请输入密码");
    fill(pwd->pwdF, "x");
    EXPECT_EQ(tapFor(pwd, "登录"), "") << "one character is enough here";
    ASSERT_EQ(sent.size(), 1u);

    auto reg = place(VXRandomLoginView::fromXib());
    sent.clear();
    reg->loginBlock = [&](const std::string& a, const std::string& b) { sent.emplace_back(a, b); };
    driver::tap(reg->protocolBtn.lock());
    fill(reg->nameF, "😀😀😀");
    fill(reg->pwdF, "12345");
    EXPECT_EQ(tapFor(reg, "一键注册"), "密码不能少于6位") << "three emoji are six units: the name passes";
    fill(reg->pwdF, "123456");
    EXPECT_EQ(tapFor(reg, "一键注册"), "");
    ASSERT_EQ(sent.size(), 1u);
    settle();
    EXPECT_TRUE(server.requests("login/dologin").empty());
    EXPECT_TRUE(server.requests("Sdkhome/yzm").empty());
}

TEST_F(LoginPanelsTest, CodeButtonIsOffWhileAskingThenCountsDown) {
    auto phone = place(VXPhoneLoginView::fromXib());
    auto button = driver::find<VXCountDownButton>(phone);
    fill(phone->phoneF, "1390000000");
    driver::tap(button);
    EXPECT_TRUE(button->isEnabled());
    fill(phone->phoneF, "13900000000");
    server.holdNext("Sdkhome/yzm");
    driver::tap(button);
    EXPECT_FALSE(button->isEnabled()) << "no second request while one is out";
    EXPECT_THROW(driver::tap(button), driver::Failure);
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    server.releaseHeld();
    ASSERT_TRUE(runMainUntil([&] { return button->isCounting(); }));
    auto sent = server.requests("Sdkhome/yzm");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].params["type"], Value("8"));
    EXPECT_EQ(sent[0].params["username"], Value(""));
    EXPECT_TRUE(driver::findLabel(phone, "验证码已发送"));
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->currentTitle(), "剩余30秒");
    driver::advance(3);
    EXPECT_EQ(button->currentTitle(), "剩余27秒");
    driver::advance(27);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(button->currentTitle(), "重新获取");

    server.script("Sdkhome/yzm", reply(ns::Dictionary{{"a", 0}, {"b", "发送太频繁"}}));
    driver::tap(button);
    ASSERT_TRUE(runMainUntil([&] { return button->isEnabled(); }));
    EXPECT_EQ(button->currentTitle(), "获取验证码");
    EXPECT_TRUE(driver::findLabel(phone, "发送太频繁"));
}

TEST_F(LoginPanelsTest, RegistrationPanelShowsTheProposedName) {
    auto reg = place(VXRandomLoginView::fromXib());
    ASSERT_TRUE(runMainUntil([&] { return !reg->nameF.lock()->text().empty(); }));
    EXPECT_EQ(server.requests("login/oneRegister")[0].params, Value(ns::Dictionary{{"z", "app7"}}));
    EXPECT_TRUE(reg->pwdF.lock()->isSecureTextEntry());
    auto eye = driver::find<ui::Button>(reg, [](const ui::Button& b) { return b.frame().origin.x == 243; });
    driver::tap(eye);
    EXPECT_FALSE(reg->pwdF.lock()->isSecureTextEntry());

    server.script("login/oneRegister", reply(ns::Dictionary{{"z", "0"}, {"b", "vx999999"}}));
    auto refused = place(VXRandomLoginView::fromXib());
    ASSERT_TRUE(awaitRequests("login/oneRegister", 2));
    settle();
    EXPECT_EQ(refused->nameF.lock()->text(), "");
}

TEST_F(LoginPanelsTest, ResetPanelSendsAnyNumberButChecksItAtSubmission) {
    server.addAccount("player01", "secret1", "13900000000");
    auto pwd = place(VXPwdLoginView::fromXib());
    auto card = ui::View::create(cg::RectMake(37.5, 0, 300, 310));
    game->addSubview(card);
    pwd->loginView = card;
    driver::tap(driver::findButton(pwd, "忘记密码？"));
    auto reset = pwd->forgetView();
    ASSERT_EQ(reset->superview(), card);
    EXPECT_EQ(reset->frame(), cg::RectMake(0, 0, 300, 310));

    fill(reset->numF, "139000000001");
    driver::tap(driver::find<VXCountDownButton>(reset));
    ASSERT_TRUE(awaitRequests("Sdkhome/yzm"));
    EXPECT_EQ(server.requests("Sdkhome/yzm")[0].params["type"], Value("5"));
    fill(reset->pwdF, "newpass");
    fill(reset->codeF, "1");
    EXPECT_EQ(tapFor(reset, "确认修改"), "请输入正确的手机号");
    fill(reset->numF, "13900000000");
    fill(reset->pwdF, "new");
    EXPECT_EQ(tapFor(reset, "确认修改"), "密码不少于6位");
    fill(reset->pwdF, "newpass");
    fill(reset->codeF, "");
    EXPECT_EQ(tapFor(reset, "确认修改"), "请输入验证码");

    // The first code's reply must have been handled before the clock moves: the button counts down
    // from then (or comes back at once when refused). settle() does not wait for a reply still on
    // its way, and under load one came after the advance: the button was still off for the tap.
    auto codeButton = driver::find<VXCountDownButton>(reset);
    ASSERT_TRUE(runMainUntil([&] { return codeButton->isCounting() || codeButton->isEnabled(); }));
    driver::advance(30);
    driver::tap(codeButton);
    ASSERT_TRUE(awaitRequests("Sdkhome/yzm", 2));
    settle();
    fill(reset->codeF, "000000");
    driver::tap(driver::findButton(reset, "确认修改"));
    ASSERT_TRUE(runMainUntil([&] { return driver::findLabel(reset, "验证码错误") != nullptr; }));
    EXPECT_EQ(reset->superview(), card) << "refused: the panel stays";

    fill(reset->codeF, *server.smsCode("13900000000"));
    driver::tap(driver::findButton(reset, "确认修改"));
    ASSERT_TRUE(runMainUntil([&] { return driver::findLabel(reset, "密码修改成功") != nullptr; }));
    settle();
    driver::advance(0.49);
    EXPECT_EQ(reset->superview(), card);
    driver::advance(0.01);
    EXPECT_FALSE(reset->superview());
    EXPECT_EQ(reset->numF.lock()->text(), "");
    EXPECT_EQ(server.account("player01")->password, "newpass");

    // On a cover of its own, the cover goes first.
    auto cover = ui::View::create(game->bounds());
    game->addSubview(cover);
    auto covered = VXSuForgetView::fromXib();
    covered->isShowCover = true;
    cover->addSubview(covered);
    driver::tap(driver::findButton(covered, "×"));
    EXPECT_FALSE(cover->superview());
    EXPECT_FALSE(covered->superview());
}

TEST_F(LoginPanelsTest, BoxHandOffAndWebPanel) {
    auto quick = place(VXQuickLoginView::fromXib());
    driver::tap(driver::findButton(quick, "盒子快捷登录"));
    ASSERT_EQ(ui::Application::shared().openedURLs().size(), 1u);
    EXPECT_EQ(ui::Application::shared().openedURLs()[0]->absoluteString(), server.host() + "/cdcloud/welcome/box?ag=agent9");
    ui::Application::shared().setInstalledSchemes({"http", "https", "brellinBox"});
    driver::tap(driver::findButton(quick, "盒子快捷登录"));
    EXPECT_EQ(ui::Application::shared().openedURLs().back()->absoluteString(), "brellinBox://quickLogin&1001");

    // The web panel (title and first load: LoginFlowTest's chain).
    auto web = place(VXLoginWebView::fromXib());
    web->setUrl("http://127.0.0.1:1/a");
    web->setIsShowMore(false);
    EXPECT_EQ(web->webView.lock()->loadedRequests().size(), 1u);
    EXPECT_TRUE(web->moreBtn.lock()->isHidden());
    web->setIsShowMore(true);
    EXPECT_FALSE(web->moreBtn.lock()->isHidden());
    size_t opened = ui::Application::shared().openedURLs().size();
    web->setUrl("not a url");
    EXPECT_EQ(web->webView.lock()->loadedRequests().size(), 1u) << "nothing to load";
    driver::tap(web->moreBtn.lock());
    EXPECT_EQ(ui::Application::shared().openedURLs().size(), opened);
    web->setUrl("http://127.0.0.1:1/b");
    driver::tap(web->moreBtn.lock());
    EXPECT_EQ(ui::Application::shared().openedURLs().back()->absoluteString(), "http://127.0.0.1:1/b");
    web->goBack();
    EXPECT_FALSE(web->superview());
}

// Text and placeholder start a few points in from the field's border, never on it.
TEST_F(LoginPanelsTest, FieldsKeepTheirTextOffTheBorder) {
    auto phone = VXPhoneLoginView::fromXib();
    auto pwd = VXPwdLoginView::fromXib();
    auto rz = VXLoginRzView::fromXib();
    phone->phoneF.lock()->setText("88888888888");
    pwd->nameF.lock()->setText("player01");
    for (const auto& field : {phone->phoneF.lock(), phone->codeF.lock(), pwd->nameF.lock(), rz->nameF.lock()}) {
        auto shot = ui::renderView(field, 2)->CGImage();
        uint32_t inked = 0;
        // Between the border (the first point) and 5.5 pt in, across the middle of the field.
        for (uint32_t y = shot->height() / 5; y < shot->height() * 4 / 5; ++y)
            for (uint32_t x = 4; x < 11; ++x) {
                auto p = imagebytes::pixelAt(shot, x, y);
                if (p.a > 0 && (p.r < 200 || p.g < 200 || p.b < 200)) ++inked;
            }
        EXPECT_EQ(inked, 0u) << field->displayText();
    }
}

} // namespace
