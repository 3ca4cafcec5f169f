// Every account operation against a reply of arbitrary JSON (or any text at all), served over
// loopback by the stand-in server: each operation with blocks calls exactly one of them, once, and
// nothing crashes. Wrong types, nulls and broken JSON must take the refusal or failure paths.

#include "tests/support/ProcessScratch.h"
#include "os/foundation/Bundle.h"
#include "os/foundation/Log.h"
#include "os/foundation/PropertyList.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/Sandbox.h"
#include "platform_sdk/VXLoginAPI.h"
#include "server/PlatformServer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

const char* const kPaths[] = {"login/dologin", "Login/telregister", "Login/auto_login", "login/register",
                              "Sdkhome/yzm",   "login/idcheck",     "Sdkmsg/getmsg",    "User/setRole",
                              "login/logout",  "login/setTime"};
constexpr int kWithBlocks = 8; // the last two report nothing back

vx::server::PlatformServer& platform() {
    static vx::server::PlatformServer* server = [] {
        ns::RunLoop::main();
        auto* s = new vx::server::PlatformServer;
        if (!s->start()) std::abort();
        const std::string root = vx::test::processScratchFolder();
        std::string bundle = root + "/App.app";
        std::filesystem::create_directories(bundle);
        ns::setSandboxRoot(root + "/home");
        auto write = [&](const char* name, const ns::Dictionary& content) {
            ns::PropertyList::write(content, ns::PropertyList::Format::XML)->writeToFile(bundle + "/" + name, true);
        };
        write("Info.plist", {{"VXPlatformAPIHost", s->host()}});
        write("VX.plist", {{"VORLIX_APPID", "a"}, {"VORLIX_GAMEID", "1"}, {"VORLIX_AGENT", "c"}});
        ns::Bundle::setMainBundlePath(bundle);
        ns::Log::setSink([](const std::string&) {});
        return s;
    }();
    return *server;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& server = platform();
    vx::server::PlatformServer::Scripted reply;
    reply.jsonText = std::string(reinterpret_cast<const char*>(data), size);
    for (const char* path : kPaths) server.script(path, reply);
    server.clearRequests();

    auto calls = std::make_shared<int[]>(kWithBlocks);
    auto once = [calls](int i) {
        if (++calls[i] > 1) std::abort();
    };
    auto model = [once](int i) { return [once, i](const auto&) { once(i); }; };
    auto coded = [once](int i) { return [once, i](const ns::Value&, const ns::Value&) { once(i); }; };
    auto message = [once](int i) { return [once, i](const ns::Value&) { once(i); }; };
    using namespace VXLoginAPI;
    LonginWithUsername("u", "p", model(0), coded(0));
    doPhoneYzmLoginWithNumber("13800000000", "1", model(1), coded(1));
    doNoPwdLoginWithSuccess(model(2), coded(2));
    registerNewWithUsername("u", "p", model(3), message(3));
    getSdkCodeWithNumber("13800000000", "u", "1", model(4), message(4));
    postRealNameToServerWithRealName("r", "id", model(5), message(5));
    GetNoticeWithSuccess(model(6), coded(6));
    SetRoleInfoWithInfoDic(ns::Dictionary{{"roleId", "1"}}, [once] { once(7); }, message(7));
    LonginOutSendToService();
    doUploadUserOlineTimeBlock([](const ns::Value&) {});

    bool done = ns::RunLoop::main().runUntil(
        [&] {
            for (int i = 0; i < kWithBlocks; ++i)
                if (calls[i] == 0) return false;
            return server.requests().size() >= std::size(kPaths);
        },
        30);
    if (!done) {
        std::fprintf(stderr, "an operation never reported back\n");
        std::abort();
    }
    // Lets the two silent reports finish before the next input.
    ns::RunLoop::main().runUntil([] { return false; }, 0.01);
    return 0;
}
