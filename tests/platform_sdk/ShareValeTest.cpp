// Shared state: configuration from the bundle, the persisted session, the web-page arguments.
#include "os/foundation/PropertyList.h"
#include "os/foundation/Sandbox.h"
#include "os/foundation/UserDefaults.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VorlixSDK.h"
#include "tests/platform_sdk/PlatformFixture.h"

using ns::Value;
using Text = std::optional<std::string>;

namespace {

class ShareValeTest : public vx::test::PlatformTest {
protected:
    // The configuration as a fresh instance reads it.
    ns::Ref<ShareVale> fresh() {
        ShareVale::distroyInstance();
        return ShareVale::sharedInstance();
    }
    Value storedOnDisk(const std::string& key) {
        return ns::PropertyList::readFile(ns::preferencesPath() + "/com.vorlix.test.plist")[key];
    }
};

} // namespace

TEST_F(ShareValeTest, ConfigurationFromTheBundle) {
    auto share = fresh();
    EXPECT_EQ(share->appID(), Text("app7"));
    EXPECT_EQ(share->gameID(), Text("1001"));
    // No channel folder: the agent value.
    EXPECT_EQ(share->chanelid(), Text("agent9"));

    // An empty channel folder: the agent value as well.
    writeChannelFile("");
    EXPECT_EQ(fresh()->chanelid(), Text("agent9"));
    // The file's name without its blanks and line feeds; read once and kept.
    writeChannelFile(" ch 12\n3\n");
    share = fresh();
    EXPECT_EQ(share->chanelid(), Text("ch123"));
    std::filesystem::remove_all(bundlePath() + "/VXAppInfo");
    EXPECT_EQ(share->chanelid(), Text("ch123"));

    // Missing VX.plist: nil keys (tried again on the next read), channel nil without a channel file.
    ASSERT_NO_FATAL_FAILURE(writeVXPlist(std::nullopt));
    share = fresh();
    EXPECT_EQ(share->appID(), std::nullopt);
    EXPECT_EQ(share->gameID(), std::nullopt);
    EXPECT_EQ(share->chanelid(), std::nullopt);
    EXPECT_TRUE(share->getVXPlist().isNil());
    ASSERT_NO_FATAL_FAILURE(writeVXPlist(defaultVXPlist()));
    EXPECT_EQ(share->gameID(), Text("1001"));
}

TEST_F(ShareValeTest, PersistedSessionSurvivesARestart) {
    auto share = ShareVale::sharedInstance();
    // What a successful login leaves behind: on disk before the setter returns.
    share->setUserName("player01");
    EXPECT_EQ(storedOnDisk("VX_username"), Value("player01"));
    share->setPassWord("secret1");
    share->setSid("sid9");
    share->setLoginStyle(1);
    share->setIsRz(Value(2));
    share->setIosWapBoxUrl("http://box");

    restart();
    share = ShareVale::sharedInstance();
    // The automatic-login preconditions of the next start.
    EXPECT_EQ(share->loginStyle(), 1u);
    EXPECT_EQ(share->userName(), Text("player01"));
    EXPECT_EQ(share->passWord(), Text("secret1"));
    EXPECT_FALSE(share->isNotAutoLogin());
    EXPECT_EQ(share->isRz(), Value(2));
    EXPECT_TRUE(share->iosWapBoxUrl().isNil());

    // Logout: login style 2 at once, the name cleared by the reply (not before), the password kept.
    VorlixSDK::LoginOut();
    EXPECT_EQ(share->loginStyle(), 2u);
    EXPECT_EQ(share->userName(), Text("player01"));
    ASSERT_TRUE(awaitRequests("login/logout"));
    ASSERT_TRUE(runMainUntil([&] { return share->userName() == Text(""); }));
    restart();
    share = ShareVale::sharedInstance();
    EXPECT_EQ(share->loginStyle(), 2u);
    EXPECT_EQ(share->userName(), Text(""));
    EXPECT_EQ(share->passWord(), Text("secret1"));

    // The same through the user defaults alone, as a new process reads them.
    ns::UserDefaults::resetStandardForTesting();
    EXPECT_EQ(ns::UserDefaults::standard()->integer("VX_LoginStyle"), 2);
}

TEST_F(ShareValeTest, WebViewArgumentsAndDeviceNames) {
    auto share = ShareVale::sharedInstance();
    share->setUserName("player01");
    share->setSid("sid9");
    // The manual clock stands at 1700000000; the sign is MD5 of the name, the key and that time.
    EXPECT_EQ(URLEncode::getWebViewURLArgument(),
              "?gid=1001&gameid=1001&sid=sid9&username=player01&logintime=1700000000"
              "&sign=ea91b8001f268f23b434dd2a341780cc&device=ios");

    EXPECT_EQ(DeveicePlatform::platformForMachine("iPhone5,4"), "iPhone 5C");
    EXPECT_EQ(DeveicePlatform::platformForMachine("x86_64"), "Simulator");
    EXPECT_EQ(DeveicePlatform::platformForMachine("iPhone9,1"), "iPhone9,1"); // unknown: as given
}
