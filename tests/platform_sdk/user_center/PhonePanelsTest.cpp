// Binding and unbinding a phone from the mine page: input checks, the SMS code countdown on the
// manual clock, the server's answers and how the page follows them.
#include "platform_sdk/user_center/VXSuBangView.h"
#include "platform_sdk/user_center/VXSuJieView.h"
#include "platform_sdk/user_center/VXSuRzView.h"
#include "platform_sdk/ShareVale.h"
#include "tests/platform_sdk/user_center/GoldenImage.h"
#include "tests/platform_sdk/user_center/MineFixture.h"

namespace {

using vx::test::MineTest;
namespace driver = ui::driver;

class PhonePanelsTest : public MineTest {
protected:
    VXCountDownButtonRef codeButton(const ui::ViewRef& panel) { return driver::find<VXCountDownButton>(panel); }
    ui::ButtonRef commit(const ui::ViewRef& panel, const std::string& title) { return driver::findButton(panel, title); }
};

TEST_F(PhonePanelsTest, BindChecksLengthCountsDownAndReportsTheMaskedNumber) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    ASSERT_NO_FATAL_FAILURE(tapArea("mobile"));
    auto panel = page->bangView();
    ASSERT_TRUE(panel->window());
    EXPECT_EQ(page->coverView()->superview(), page->view());
    EXPECT_EQ(panel->center(), page->view()->center());

    for (std::string number : {"1380000123", "138000012345"}) {
        panel->numF.lock()->setText(number);
        panel->codeF.lock()->setText("123456");
        driver::tap(commit(panel, "确定"));
        EXPECT_TRUE(toast("请输入正确的手机号", panel)) << number;
    }
    panel->numF.lock()->setText("13800001234");
    panel->codeF.lock()->setText("");
    driver::tap(commit(panel, "确定"));
    EXPECT_TRUE(toast("请输入验证码", panel));
    settle();
    EXPECT_TRUE(server.requests("Sdkhome/bdtel").empty()) << "refused input sends nothing";

    // Eleven letters pass the length check; the server refuses them.
    panel->numF.lock()->setText("abcdefghijk");
    panel->codeF.lock()->setText("1");
    driver::tap(commit(panel, "确定"));
    ASSERT_TRUE(runMainUntil([&] { return toast("验证码错误", panel); }));
    EXPECT_EQ(server.requests("Sdkhome/bdtel").at(0).params["tel"], ns::Value("abcdefghijk"));

    // The code: type "4" to the typed number; the button counts down on the clock.
    panel->numF.lock()->setText("");
    driver::typeText(panel->numF.lock(), "13800001234");
    auto button = codeButton(panel);
    driver::tap(button);
    ASSERT_TRUE(runMainUntil([&] { return button->currentTitle() == std::optional<std::string>("剩余30秒"); }));
    EXPECT_TRUE(toast("验证码已发送", panel));
    auto sent = server.requests("Sdkhome/yzm").at(0).params;
    EXPECT_EQ(sent["sj"], ns::Value("13800001234"));
    EXPECT_EQ(sent["type"], ns::Value("4"));
    EXPECT_FALSE(button->isEnabled());
    driver::advance(1);
    EXPECT_EQ(button->currentTitle(), std::optional<std::string>("剩余29秒"));
    driver::advance(29);
    EXPECT_EQ(button->currentTitle(), std::optional<std::string>("重新获取"));
    EXPECT_TRUE(button->isEnabled());

    panel->codeF.lock()->setText("");
    driver::typeText(panel->codeF.lock(), *server.smsCode("13800001234"));
    driver::tap(commit(panel, "确定"));
    ASSERT_TRUE(runMainUntil([&] { return !panel->superview(); }));
    EXPECT_FALSE(page->coverView()->superview());
    EXPECT_EQ(panel->numF.lock()->text(), "");
    EXPECT_EQ(panel->codeF.lock()->text(), "");
    EXPECT_TRUE(toast("绑定成功"));
    EXPECT_TRUE(page->isBang());
    EXPECT_EQ(text(page->mobileTitleL), "更换手机号");
    EXPECT_EQ(text(page->mobileL), "138****1234");
    EXPECT_EQ(server.account("player01")->phone, "13800001234");
}

TEST_F(PhonePanelsTest, UnbindRefusalsKeepThePanelAndSuccessShowsNotBound) {
    server.withState([](vx::server::PlatformServer::State& s) { s.accounts["player01"].phone = "13800001234"; });
    ASSERT_NO_FATAL_FAILURE(openMine());
    ASSERT_TRUE(page->isBang());
    ASSERT_NO_FATAL_FAILURE(tapArea("mobile"));
    auto panel = page->jieView();
    ASSERT_TRUE(panel->window());

    auto button = codeButton(panel);
    driver::tap(button);
    // The button is off as soon as the request goes out; the countdown starts with the answer.
    ASSERT_TRUE(runMainUntil([&] { return button->currentTitle() == std::optional<std::string>("剩余30秒"); }));
    auto sent = server.requests("Sdkhome/yzm").at(0).params;
    EXPECT_EQ(sent["sj"], ns::Value(""));
    EXPECT_EQ(sent["username"], ns::Value("player01"));
    EXPECT_EQ(sent["type"], ns::Value("7"));

    driver::tap(commit(panel, "解除绑定"));
    EXPECT_TRUE(toast("请输入验证码", panel));
    driver::typeText(panel->codeF.lock(), "000000");
    driver::tap(commit(panel, "解除绑定"));
    ASSERT_TRUE(runMainUntil([&] { return toast("验证码错误", panel); }));
    EXPECT_TRUE(panel->window()) << "a refusal keeps the panel";
    EXPECT_EQ(server.requests("Sdkhome/jiebang").at(0).params["code"], ns::Value("000000"));

    server.scriptNext("Sdkhome/jiebang", dropped());
    driver::tap(commit(panel, "解除绑定"));
    ASSERT_TRUE(runMainUntil([&] { return toast("服务器错误", panel); }));
    EXPECT_TRUE(panel->window());

    panel->codeF.lock()->setText(*server.smsCode("13800001234"));
    driver::tap(commit(panel, "解除绑定"));
    ASSERT_TRUE(runMainUntil([&] { return !panel->window(); }));
    EXPECT_TRUE(toast("解绑成功"));
    EXPECT_EQ(text(page->mobileL), "去绑定");
    EXPECT_EQ(text(page->mobileTitleL), "手机绑定");
    EXPECT_TRUE(server.account("player01")->phone.empty());
    // Not bound any more: the same row opens the bind panel.
    ASSERT_NO_FATAL_FAILURE(tapArea("mobile"));
    EXPECT_TRUE(page->bangView()->window());
}

TEST_F(PhonePanelsTest, AFailedCodeRequestEnablesTheButtonAtOnce) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    ASSERT_NO_FATAL_FAILURE(tapArea("mobile"));
    auto panel = page->bangView();
    server.scriptNext("Sdkhome/yzm", reply(ns::Dictionary{{"a", 0}, {"b", "手机号格式错误"}}));
    auto button = codeButton(panel);
    driver::tap(button);
    ASSERT_TRUE(runMainUntil([&] { return toast("手机号格式错误", panel); }));
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(button->currentTitle(), std::optional<std::string>("获取验证码"));
    // An undecodable bind reply is a failure too.
    panel->numF.lock()->setText("13800001234");
    panel->codeF.lock()->setText("1");
    server.scriptNext("Sdkhome/bdtel", raw(200, "garbage"));
    driver::tap(commit(panel, "确定"));
    ASSERT_TRUE(runMainUntil([&] { return toast("服务器错误", panel); }));
    // The close button takes panel and cover away; the countdown would survive a reopening.
    driver::tap(driver::findByAccessibilityId(panel, "close"));
    EXPECT_FALSE(panel->superview());
    EXPECT_FALSE(page->coverView()->superview());
}

TEST(PhoneMask, KeepsThreeAndFourAndNeverSplitsAPair) {
    EXPECT_EQ(VXSuMaskedPhone("13800001234"), "138****1234");
    EXPECT_EQ(VXSuMaskedPhone("abcdefghijk"), "abc****hijk");
    // An emoji across the cut: the text stays valid UTF-8.
    std::string masked = VXSuMaskedPhone("12😀4567😀9");
    EXPECT_EQ(masked, "12****7😀9");
}

// The real-name form panel on a cover of its own: checks, the server's refusal, then a submission
// the server accepts, which closes panel and cover.
TEST_F(PhonePanelsTest, RealNameFormSubmitsNameAndNumberAndClosesWithItsCover) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    auto panel = VXSuRzView::fromXib();
    ASSERT_TRUE(panel);
    auto cover = ui::View::create<ui::View>(page->view()->bounds());
    cover->setBackgroundColor(ui::Color::colorWithWhite(0, 0.2));
    panel->setCenter(cover->center());
    cover->addSubview(panel);
    page->view()->addSubview(cover);
    int accepted = 0;
    panel->rzBlock = [&] { ++accepted; };
    auto submit = driver::findButton(panel, "提交认证");
    ASSERT_TRUE(submit);

    driver::tap(submit);
    EXPECT_TRUE(toast("请输入姓名", panel));
    driver::typeText(panel->nameF.lock(), "张三");
    driver::tap(submit);
    EXPECT_TRUE(toast("请输入身份证号", panel));
    settle();
    EXPECT_TRUE(server.requests("login/idcheck").empty()) << "refused input sends nothing";

    driver::typeText(panel->codeF.lock(), "1101011990");
    driver::advance(3); // the check toasts have faded
    settle();
    EXPECT_TRUE(vx::test::matchesGolden(window, "uc-mine-realname-form", sandboxPath()));
    driver::tap(submit);
    ASSERT_TRUE(runMainUntil([&] { return toast("身份信息有误", panel); }));
    EXPECT_TRUE(panel->window()) << "a refusal keeps the panel and its input";
    EXPECT_EQ(panel->codeF.lock()->text(), "1101011990");

    panel->codeF.lock()->setText("110101199001011234");
    driver::tap(submit);
    ASSERT_TRUE(runMainUntil([&] { return accepted == 1; }));
    auto sent = server.requests("login/idcheck").back().params;
    EXPECT_EQ(sent["r"], ns::Value("张三"));
    EXPECT_EQ(sent["id"], ns::Value("110101199001011234"));
    EXPECT_EQ(sent["i"], ns::Value("player01"));
    EXPECT_TRUE(ShareVale::sharedInstance()->isRz().boolValue()) << "an adult's check is stored";
    EXPECT_FALSE(panel->superview());
    EXPECT_FALSE(cover->superview());
    EXPECT_EQ(panel->nameF.lock()->text(), "");
}

} // namespace
