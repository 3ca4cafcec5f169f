#pragma once
// A sandbox test with the stand-in platform server on loopback and an app bundle pointing at it:
// Info.plist ("VXPlatformAPIHost" = the server) and VX.plist (app id, game id, app key, agent).

#include "os/foundation/Bundle.h"
#include "os/foundation/PropertyList.h"
#include "os/foundation/RunLoop.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/ShareVale.h"
#include "server/PlatformServer.h"
#include "tests/support/Environment.h"

#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace vx::test {

// What an operation's blocks reported.
struct Outcome {
    int calls = 0;
    bool success = false;
    ns::Value message;
    ns::Value code;
    ns::Ref<ns::Object> model;
};

// Blocks that record into an outcome.
inline auto modelSuccess(const std::shared_ptr<Outcome>& o) {
    return [o](const auto& model) { ++o->calls, o->success = true, o->model = model; };
}
inline auto codedFailure(const std::shared_ptr<Outcome>& o) {
    return [o](const ns::Value& message, const ns::Value& code) { ++o->calls, o->message = message, o->code = code; };
}
inline auto messageFailure(const std::shared_ptr<Outcome>& o) {
    return [o](const ns::Value& message) { ++o->calls, o->message = message; };
}

class PlatformTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        ASSERT_TRUE(server.start());
        ASSERT_NO_FATAL_FAILURE(writeInfoPlist());
        ASSERT_NO_FATAL_FAILURE(writeVXPlist(defaultVXPlist()));
    }
    void TearDown() override {
        server.releaseHeld();
        SandboxTest::TearDown();
        server.stop();
    }

    static ns::Dictionary defaultVXPlist() {
        return {{"VORLIX_APPID", "app7"}, {"VORLIX_GAMEID", "1001"}, {"VORLIX_APPKEY", "k3y"}, {"VORLIX_AGENT", "agent9"}};
    }

    void writePlist(const std::string& name, const ns::Dictionary& content) {
        auto data = ns::PropertyList::write(content, ns::PropertyList::Format::XML);
        ASSERT_TRUE(data && data->writeToFile(bundlePath() + "/" + name, true));
        // The bundle reads its Info.plist once: start from a fresh main bundle object.
        ns::Bundle::setMainBundlePath(bundlePath());
    }
    void writeInfoPlist(ns::Dictionary extra = {}) {
        ns::Dictionary info{{"CFBundleIdentifier", "com.vorlix.test"}, {"VXPlatformAPIHost", server.host()}};
        for (const auto& [key, value] : extra) info.set(key, value);
        ASSERT_NO_FATAL_FAILURE(writePlist("Info.plist", info));
    }
    void writeVXPlist(const std::optional<ns::Dictionary>& content) {
        std::filesystem::remove(bundlePath() + "/VX.plist");
        if (content) ASSERT_NO_FATAL_FAILURE(writePlist("VX.plist", *content));
    }
    void writeChannelFile(const std::string& name) {
        std::string folder = bundlePath() + "/VXAppInfo/Channel";
        std::filesystem::create_directories(folder);
        if (!name.empty()) std::ofstream(folder + "/" + name) << "";
    }

    // Pumps the main loop until the outcome has been reported, then lets late calls show up.
    void await(const std::shared_ptr<Outcome>& outcome) {
        EXPECT_TRUE(runMainUntil([&] { return outcome->calls > 0; }));
        settle();
    }
    // Waits until the server has seen `count` requests to the path.
    bool awaitRequests(const std::string& path, size_t count = 1) {
        return runMainUntil([&] { return server.requests(path).size() >= count; });
    }

    // For operations that report nothing back: runs `send` with the reply to `path` held until the
    // request is in, then lets that reply go and waits until the app has handled it.
    void exchange(const std::string& path, const std::function<void()>& send) {
        server.holdNext(path);
        send();
        ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
        server.releaseHeld();
        ASSERT_NO_FATAL_FAILURE(awaitReplies());
    }
    // Waits until every request the app has out has been answered and its completion has run.
    void awaitReplies() {
        // A session's task ends after its completion is on the main queue.
        const auto session = NetWorkManager::sharedInstance()->session();
        ASSERT_TRUE(runMainUntil([&] { return session->allTasks().empty(); }));
        drainMain();
    }

    // Logs the player in by password through the SDK's scrambled transport, so the process's
    // cookie jar carries the session on every later request of the SDK; the server makes the
    // account with that password if it has none of the name. The shared state then names the
    // player, as after a login (nothing else of it changes), and the login is left out of the
    // server's request log.
    void signIn(const std::string& name, const std::string& password = "secret1") {
        if (!server.account(name)) server.addAccount(name, password);
        std::optional<ns::Value> status;
        NetWorkManager::sharedInstance()->PostCouponURL(
            "login/dologin", ns::Dictionary{{"z", name}, {"b", password}},
            [&](const ns::Value& reply) { status = reply["z"]; }, [&](const ns::Ref<ns::Error>&) { status = ns::Value(); });
        ASSERT_TRUE(runMainUntil([&] { return status.has_value(); }));
        ASSERT_EQ(*status, ns::Value(1)) << name;
        ShareVale::sharedInstance()->setUserName(name);
        server.clearRequests();
    }

    static vx::server::PlatformServer::Scripted reply(ns::Value json) {
        vx::server::PlatformServer::Scripted s;
        s.json = std::move(json);
        return s;
    }
    static vx::server::PlatformServer::Scripted raw(int status, std::string body, std::string type = "text/html") {
        vx::server::PlatformServer::Scripted s;
        s.status = status;
        s.rawBody = std::move(body);
        s.contentType = std::move(type);
        return s;
    }
    static vx::server::PlatformServer::Scripted dropped() {
        vx::server::PlatformServer::Scripted s;
        s.drop = true;
        return s;
    }

    vx::server::PlatformServer server;
};

// Copies the SDK bundle's real pictures into a test's main bundle.
inline void copySdkPictures(const std::string& bundlePath) {
    std::filesystem::copy(std::filesystem::path(VX_RESOURCES_DIR) / "VOZUV.bundle",
                          std::filesystem::path(bundlePath) / "VOZUV.bundle", std::filesystem::copy_options::recursive);
}

// A full-screen key window showing `root` (a plain screen when none is given).
inline ui::WindowRef showKeyWindow(ui::ViewControllerRef root = nullptr) {
    auto window = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
    window->setRootViewController(root ? root : ui::ViewController::create());
    window->makeKeyAndVisible();
    ui::driver::drainMain();
    return window;
}

} // namespace vx::test
