// The entry: launch, role report, returned URLs, orientations, and the screen hooks (logout: ShareValeTest).
#include "os/foundation/NotificationCenter.h"
#include "os/net/URLCache.h"
#include "os/uikit/Application.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXPayPlug.h"
#include "platform_sdk/VorlixSDK.h"
#include "tests/platform_sdk/PlatformFixture.h"
#include "wallet/WalletSDK.h"

using ns::Value;
using Text = std::optional<std::string>;

namespace {

class VorlixSDKTest : public vx::test::PlatformTest {
protected:
    void TearDown() override {
        VorlixSDK::screens() = {};
        PlatformTest::TearDown();
    }
    // Reports a role and waits for the result.
    long report(const Text& zoneName, const Text& attach = "") {
        long result = -1;
        VorlixSDK::SetUserInfoDataWithRoleId("r1", "勇者", "12", "s3", zoneName, attach, [&](long r) { result = r; });
        EXPECT_TRUE(runMainUntil([&] { return result != -1; }));
        return result;
    }
    void open(const std::string& text) {
        auto url = ns::URL::fromString(text);
        ASSERT_TRUE(url) << text;
        VorlixSDK::application(ui::Application::shared(), url);
    }
    unsigned long orientations(const Value& list) {
        writeInfoPlist(list.isNil() ? ns::Dictionary{} : ns::Dictionary{{"UISupportedInterfaceOrientations", list}});
        return VorlixSDK::application(ui::Application::shared(), ns::Ref<ui::Window>());
    }
};

} // namespace

TEST_F(VorlixSDKTest, LaunchInstallsTheURLCache) {
    VorlixSDK::didFinishLaunching();
    auto cache = ns::URLCache::shared();
    EXPECT_EQ(cache->memoryCapacity(), 4194304u);
    EXPECT_EQ(cache->diskCapacity(), 33554432u);
    EXPECT_TRUE(cache->diskPath().ends_with("/nsurlcache"));
}

TEST_F(VorlixSDKTest, RoleReport) {
    ASSERT_NO_FATAL_FAILURE(signIn("player01"));
    // An empty or missing field: 2 at once, nothing sent.
    EXPECT_EQ(report(""), 2);
    EXPECT_EQ(report(std::nullopt), 2);
    settle();
    EXPECT_TRUE(server.requests("User/setRole").empty());

    EXPECT_EQ(report("三区"), 1);
    EXPECT_EQ(server.roles().at(0), Value(ns::Dictionary{{"z", "player01"}, {"b", "1001"}, {"c", "r1"}, {"d", "勇者"},
                                                          {"e", "12"}, {"f", "s3"}, {"x", "三区"}, {"h", ""},
                                                          {"i", "app7"}}));
    server.script("User/setRole", reply(ns::Dictionary{{"code", 0}}));
    EXPECT_EQ(report("三区"), 0);
    server.script("User/setRole", dropped());
    EXPECT_EQ(report("三区"), 0);
}

TEST_F(VorlixSDKTest, ReturnedURLs) {
    auto share = ShareVale::sharedInstance();
    int posted = 0;
    auto token = ns::NotificationCenter::defaultCenter().addObserver("SendQuickLogin", nullptr,
                                                                     [&](const ns::Notification&) { ++posted; });
    ASSERT_NO_FATAL_FAILURE(open("VorlixWalletScheme1001://VOR_QUICK&quick01&pw01"));
    EXPECT_EQ(share->userName(), Text("quick01"));
    EXPECT_EQ(share->passWord(), Text("pw01"));
    EXPECT_EQ(posted, 1);
    // Two parts: the name is the password as well. The other entries share the body.
    VorlixSDK::application(ui::Application::shared(), ns::URL::fromString("VorlixWalletScheme1001://VOR_QUICK&quick02"),
                           Text("com.other"), Value());
    EXPECT_EQ(share->userName(), Text("quick02"));
    EXPECT_EQ(share->passWord(), Text("quick02"));
    EXPECT_EQ(posted, 2);
    // No name part, another game's scheme, another host: ignored.
    for (auto text : {"VorlixWalletScheme1001://VOR_QUICK", "VorlixWalletScheme1002://VOR_QUICK&x&y",
                      "vorlixwalletscheme1001://VOR_QUICK&x&y", "VorlixWalletScheme1001://other&x&y"})
        VorlixSDK::application(ui::Application::shared(), ns::URL::fromString(text), ns::Dictionary{});
    EXPECT_EQ(share->userName(), Text("quick02"));
    EXPECT_EQ(posted, 2);
    ns::NotificationCenter::defaultCenter().removeObserver(token);

    // "safepay" reaches the pay plug only while a wallet payment is pending.
    const std::string result = "VorlixWalletScheme1001://safepay/"
                               "?%7B%22resultStatus%22%3A%229000%22%2C%22memo%22%3A%22%22%2C%22result%22%3A%22ok%22%7D";
    ASSERT_NO_FATAL_FAILURE(open(result));
    EXPECT_TRUE(VXPayPlug::sharedInstance()->walletResultDic().isNil());
    ui::Application::shared().setInstalledSchemes({WalletSDK::WalletAppScheme});
    int ownCallback = 0;
    ASSERT_TRUE(WalletSDK::defaultService()->payOrder("signed-order", "VorlixWalletScheme1001",
                                                      [&](const ns::Dictionary&) { ++ownCallback; }));
    ASSERT_NO_FATAL_FAILURE(open("VorlixWalletScheme1002" + result.substr(result.find(':'))));
    EXPECT_TRUE(VXPayPlug::sharedInstance()->walletResultDic().isNil());
    ASSERT_NO_FATAL_FAILURE(open(result));
    EXPECT_EQ(VXPayPlug::sharedInstance()->walletResultDic(),
              Value(ns::Dictionary{{"resultStatus", "9000"}, {"memo", ""}, {"result", "ok"}}));
    EXPECT_EQ(ownCallback, 0);
}

TEST_F(VorlixSDKTest, OrientationMaskFromInfoPlist) {
    EXPECT_EQ(orientations(ns::Array{"UIInterfaceOrientationPortrait", "UIInterfaceOrientationLandscapeLeft"}), 26u);
    EXPECT_EQ(orientations(ns::Array{"UIInterfaceOrientationPortraitUpsideDown"}), 2u);
    EXPECT_EQ(orientations(ns::Array{"UIInterfaceOrientationLandscapeRight"}), 24u);
    EXPECT_EQ(orientations(ns::Array{}), 24u);
    EXPECT_EQ(orientations(Value()), 24u);
    EXPECT_EQ(orientations(ns::Array{7, "portrait"}), 24u);
}

TEST_F(VorlixSDKTest, ScreenHooksConvertCodes) {
    std::vector<std::pair<long, Value>> loginFailures;
    std::vector<Value> loginSuccess;
    // Emptied hooks: logged, nothing called.
    VorlixSDK::screens() = {};
    VorlixSDK::loadLoginViewResultSuccess(nullptr, nullptr);
    EXPECT_TRUE(logContains("login window is not available"));

    VorlixSDK::screens().loadAlterLoginVC = [](VorlixSDK::VXLoginSuccessBlock success,
                                               VorlixSDK::LoginWindowFailed failed) {
        failed("注册失败", "-8");
        failed("服务器错误", "501");
        failed("用户名或密码错误", 0);
        failed("奇怪", "abc");
        success("1700000000", "player01-1", "sign1", 2);
    };
    VorlixSDK::loadLoginViewResultSuccess(
        [&](const Value& t, const Value& name, const Value& sign, const Value& rz) { loginSuccess = {t, name, sign, rz}; },
        [&](long code, const Value& message) { loginFailures.emplace_back(code, message); });
    ASSERT_EQ(loginFailures.size(), 4u);
    EXPECT_EQ(loginFailures[0], std::make_pair(-8L, Value("注册失败")));
    EXPECT_EQ(loginFailures[1].first, 501);
    EXPECT_EQ(loginFailures[2].first, 0);
    EXPECT_EQ(loginFailures[3], std::make_pair(0L, Value("奇怪")));
    EXPECT_EQ(loginSuccess, (std::vector<Value>{"1700000000", "player01-1", "sign1", 2}));

    std::vector<Text> order;
    std::vector<std::tuple<Value, long, Value>> payFailures;
    ShareVale::sharedInstance()->setIsLoggedIn(true); // the entry pays only after a login
    VorlixSDK::screens().loadToPayVC = [&](const Text& roleid, const Text& serviceID, const Text& money,
                                           const Text& cpExtend, const Text& name, const Text& desc,
                                           VorlixSDK::VXPaySuccessBlock, VorlixSDK::PayCentreFailed faild) {
        order = {roleid, serviceID, money, cpExtend, name, desc};
        faild("支付失败", "1", money);
        faild("取消", "cancel", money);
    };
    VorlixSDK::loadToPayVCWithroleid("r1", "6.00", "s3", "钻石", "60钻石", "cp-9", nullptr,
                                     [&](const Value& m, long code, const Value& money) {
                                         payFailures.emplace_back(m, code, money);
                                     });
    EXPECT_EQ(order, (std::vector<Text>{"r1", "s3", "6.00", "cp-9", "钻石", "60钻石"}));
    ASSERT_EQ(payFailures.size(), 2u);
    EXPECT_EQ(payFailures[0], std::make_tuple(Value("支付失败"), 1L, Value("6.00")));
    EXPECT_EQ(std::get<1>(payFailures[1]), 0);
}
