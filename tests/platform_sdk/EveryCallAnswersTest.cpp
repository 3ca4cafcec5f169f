// A game's calls always answer: a payment asked from inside the login's success block opens on the
// game's window and is paid; a payment that cannot open (before a login, after a logout, a second
// order, a bad amount, no window to show it on) fails at once with its code; the floating button is
// tapped where it shows, and a user centre that cannot open leaves it there and says so.
#include "os/uikit/Application.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VorlixSDK.h"
#include "platform_sdk/testing/TestPlayer.h"
#include "tests/platform_sdk/LoginFixture.h"

using ns::Value;

namespace {

namespace driver = ui::driver;

// What the game heard of one purchase.
struct Answer {
    int calls = 0;
    bool paid = false;
    std::string message;
    long code = 0;
    std::string money;
};

class EveryCallAnswers : public vx::test::LoginTest {
protected:
    void SetUp() override {
        LoginTest::SetUp();
        server.addAccount("player01", "secret1");
        VorlixSDK::didFinishLaunching();
    }
    void TearDown() override {
        VorlixSDK::screens() = {};
        LoginTest::TearDown();
    }
    void pay(Answer& answer, const std::string& money = "6.00") {
        VorlixSDK::loadToPayVCWithroleid(
            "10001", money, "s1", "钻石×60", "60颗钻石", "order-1",
            [&answer](const Value& result, const Value& paid) {
                ++answer.calls, answer.paid = true, answer.message = result.description(), answer.money = paid.description();
            },
            [&answer](const Value& message, long code, const Value& paid) {
                ++answer.calls, answer.message = message.description(), answer.code = code, answer.money = paid.description();
            });
    }
    // Opens the login window; the game pays from its success block when `payOnLogin` is given.
    void openLogin(Answer* payOnLogin = nullptr) {
        VorlixSDK::loadLoginViewResultSuccess(
            [this, payOnLogin](const Value&, const Value&, const Value&, const Value&) {
                ++logins;
                if (payOnLogin) pay(*payOnLogin);
            },
            [this](long code, const Value&) { loginCodes.push_back(code); });
    }
    int logins = 0;
    std::vector<long> loginCodes;
};

} // namespace

TEST_F(EveryCallAnswers, APaymentAskedFromTheLoginSuccessBlockOpensOnTheGameAndIsPaid) {
    Answer answer;
    openLogin(&answer);
    vx::TestPlayer player;
    ASSERT_TRUE(player.logIn("player01", "secret1")) << player.failure();
    EXPECT_EQ(logins, 1);
    // The login window has gone; the centre stands on the game's window, the button hidden under it.
    EXPECT_FALSE(vx::TestPlayer::loginWindowShown());
    EXPECT_TRUE(game->isKeyWindow());
    auto presented = game->rootViewController()->presentedViewController();
    ASSERT_TRUE(presented);
    EXPECT_TRUE(CXRHelperBtn::shared()->isHidden());
    ASSERT_TRUE(player.payWithPlatformCoins()) << player.failure();
    EXPECT_EQ(answer.calls, 1);
    EXPECT_TRUE(answer.paid) << answer.message;
    EXPECT_EQ(answer.money, "6.00");
    EXPECT_FALSE(CXRHelperBtn::shared()->isHidden()) << "the button comes back when the centre closes";
}

TEST_F(EveryCallAnswers, PaymentsThatCannotOpenFailAtOnceWithTheirCode) {
    // Before any login.
    Answer early;
    pay(early);
    EXPECT_EQ(early.calls, 1);
    EXPECT_EQ(early.code, 601);
    EXPECT_EQ(early.message, "请先登录");
    EXPECT_EQ(early.money, "6.00");
    EXPECT_FALSE(game->rootViewController()->presentedViewController());
    // A role report is sent, and the server refuses it: nobody is logged in.
    long role = -1;
    VorlixSDK::SetUserInfoDataWithRoleId("10001", "剑客", "35", "s1", "风云一区", "", [&](long result) { role = result; });
    ASSERT_TRUE(runMainUntil([&] { return role != -1; }));
    EXPECT_EQ(role, 0);

    openLogin();
    vx::TestPlayer player;
    ASSERT_TRUE(player.logIn("player01", "secret1")) << player.failure();

    // A bad amount: the toast, and the game hears it.
    Answer bad;
    pay(bad, "六元");
    EXPECT_EQ(bad.calls, 1);
    EXPECT_EQ(bad.code, 604);
    EXPECT_EQ(bad.message, "金额格式异常");

    // A second order while the first centre is open: the first keeps its callbacks.
    Answer first, second;
    pay(first);
    ASSERT_TRUE(game->rootViewController()->presentedViewController());
    pay(second);
    EXPECT_EQ(second.calls, 1);
    EXPECT_EQ(second.code, 602);
    EXPECT_EQ(first.calls, 0);
    ASSERT_TRUE(player.payWithPlatformCoins()) << player.failure();
    EXPECT_TRUE(first.paid);
    EXPECT_EQ(second.calls, 1);

    // After a logout, refused again.
    VorlixSDK::LoginOut();
    Answer late;
    pay(late);
    EXPECT_EQ(late.code, 601);
}

TEST_F(EveryCallAnswers, AGameWithoutAWindowOfItsOwnHearsThatThePaymentCannotShow) {
    game->setHidden(true);
    ASSERT_FALSE(ui::Application::shared().keyWindow());
    Answer answer;
    openLogin(&answer);
    vx::TestPlayer player;
    ASSERT_TRUE(player.logIn("player01", "secret1")) << player.failure();
    // Typing made the login window key; it gave that up before the game heard of the login.
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.code, 603);
    EXPECT_EQ(answer.message, "无法显示支付中心");
    EXPECT_FALSE(vx::TestPlayer::loginWindowShown());
}

TEST_F(EveryCallAnswers, TheDockedFloatingButtonOpensTheUserCentreAndItsLogoutReachesTheGame) {
    openLogin();
    vx::TestPlayer player;
    ASSERT_TRUE(player.logIn("player01", "secret1")) << player.failure();
    auto button = CXRHelperBtn::shared();
    ASSERT_EQ(button->status(), 0) << "docked, half off the screen";
    EXPECT_TRUE(driver::canTap(button)) << driver::canTap(button).reason;
    ASSERT_TRUE(player.openUserCentre()) << player.failure();
    EXPECT_TRUE(button->isHidden());
    ASSERT_TRUE(player.closeUserCentre()) << player.failure();
    EXPECT_FALSE(button->isHidden());
    ASSERT_TRUE(player.openUserCentre()) << player.failure();
    ASSERT_TRUE(player.logOutFromUserCentre()) << player.failure();
    EXPECT_EQ(loginCodes, std::vector<long>{-9});
    // Logged out from the user centre: no payment either.
    Answer late;
    pay(late);
    EXPECT_EQ(late.code, 601);
}

TEST_F(EveryCallAnswers, AUserCentreThatCannotShowLeavesTheButtonAndTellsTheGame) {
    openLogin();
    vx::TestPlayer player;
    ASSERT_TRUE(player.logIn("player01", "secret1")) << player.failure();
    game->setRootViewController(nullptr); // nothing to present the centre from
    driver::tap(CXRHelperBtn::shared());
    driver::advance(0.4);
    EXPECT_FALSE(CXRHelperBtn::shared()->isHidden());
    EXPECT_EQ(loginCodes, std::vector<long>{603});
}
