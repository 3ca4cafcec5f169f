// vorlix-demo: the host program. It plays the game side against the platform SDK, with the stand-in
// platform server running in-process on loopback (or another server given by --server), and prints
// each step and its result.
//
// Usage: vorlix-demo [--server http://HOST:PORT] [--screens FOLDER]
//   --screens: where screenshots are written (default: vorlix-demo-screens in the current folder)
#include "os/foundation/Bundle.h"
#include "os/foundation/FileManager.h"
#include "os/foundation/Log.h"
#include "os/foundation/NotificationCenter.h"
#include "os/foundation/PropertyList.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/Sandbox.h"
#include "os/net/URLCache.h"
#include "image/UIImageView+VXExtension.h"
#include "os/uikit/Application.h"
#include "os/uikit/BezierPath.h"
#include "os/uikit/Color.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Screen.h"
#include "os/uikit/ViewRendering.h"
#include "os/uikit/Window.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXLoginAPI.h"
#include "platform_sdk/VorlixSDK.h"
#include "server/PlatformServer.h"
#include "demo/Demo.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace {

using demo::step;
using demo::text;
using demo::until;
using demo::wait;

// The app bundle from resources/, copied into a temporary folder with the API host pointed at the server.
std::string prepareBundle(const std::string& folder, const std::string& apiHost) {
    namespace fs = std::filesystem;
    std::string bundle = folder + "/VorlixDemo.app";
    fs::copy(ns::Bundle::main()->bundlePath(), bundle, fs::copy_options::recursive);
    ns::Dictionary info = ns::Bundle::main()->infoDictionary();
    info.set("VXPlatformAPIHost", apiHost);
    auto data = ns::PropertyList::write(info, ns::PropertyList::Format::XML);
    if (!data || !data->writeToFile(bundle + "/Info.plist", true)) return {};
    return bundle;
}

// A game icon as the platform would host it: a rounded blue tile with a white disc.
std::string drawGameIcon() {
    ui::GraphicsBeginImageContextWithOptions({96, 96}, false, 1);
    ui::Color::colorWithRed(0.16, 0.45, 0.95, 1)->setFill();
    ui::BezierPath::bezierPathWithRoundedRect({{0, 0}, {96, 96}}, 20)->fill();
    ui::Color::whiteColor()->setFill();
    ui::BezierPath::bezierPathWithOvalInRect({{28, 28}, {40, 40}})->fill();
    auto image = ui::GraphicsGetImageFromCurrentImageContext();
    ui::GraphicsEndImageContext();
    auto png = ui::ImagePNGRepresentation(image);
    return png ? png->toString() : std::string();
}

// The remote icon road of the screens: a window with an image view, the icon set from its URL,
// and the window captured.
void showGameIcon(vx::server::PlatformServer* local, const std::string& apiHost, const std::string& screens) {
    if (!local) return; // the icon is only known to the in-process server
    local->serveFile("/static/icons/game.png", drawGameIcon(), "image/png");
    auto window = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
    window->setBackgroundColor(ui::Color::whiteColor());
    auto icon = ui::View::create<ui::ImageView>({{24, 64}, {96, 96}});
    window->addSubview(icon);
    window->makeKeyAndVisible();
    VXExtension::setGameIconWithUrlStr(icon, apiHost + "/static/icons/game.png", "");
    bool loaded = until("the game icon from the server", [&] { return icon->image() != nullptr; });
    bool captured = loaded && ui::captureWindowPNG(window, screens + "/game-icon.png");
    step("game icon", loaded && captured,
         loaded ? ns::format("%.0fx%.0f pt from the server, window captured to game-icon.png", icon->image()->size().width,
                             icon->image()->size().height)
                : std::string("not loaded"));
    window->setHidden(true);
}

void play(vx::server::PlatformServer* local, const std::string& apiHost, const std::string& screens) {
    auto share = ShareVale::sharedInstance();
    auto& app = ui::Application::shared();

    VorlixSDK::didFinishLaunching();
    auto cache = ns::URLCache::shared();
    step("launch", cache->memoryCapacity() == 4194304,
         ns::format("URL cache %@ / %@ bytes; app %@, game %@, channel %@", cache->memoryCapacity(),
                    cache->diskCapacity(), share->appID(), share->gameID(), share->chanelid()));

    // A fresh name for a long-running server, which keeps what it registered; the in-process one
    // starts empty, and a fixed name keeps the run the same every time.
    const int stamp = local ? 123456 : static_cast<int>(std::time(nullptr) % 100000);
    std::string name = ns::format("demo%d", stamp + 100000);
    const std::string password = "123456";
    {
        auto done = std::make_shared<bool>(false);
        VXLoginAPI::registerNewWithUsername(
            name, password,
            [&, done](const ns::Ref<RegisterResult>& r) {
                step("register", true, "account " + text(r->userName) + ": " + text(r->mesage));
                *done = true;
            },
            [&, done](const ns::Value& message) {
                step("register", false, text(message));
                *done = true;
            });
        if (!wait("the registration reply", done)) step("register", false, "no answer");
    }
    {
        auto done = std::make_shared<bool>(false);
        VXLoginAPI::LonginWithUsername(
            name, password,
            [&, done](const ns::Ref<LoginResult>& r) {
                // What the login window keeps of a successful login.
                share->setUserName(r->userName.stringValue());
                share->setPassWord(password);
                share->setSid(r->sid.stringValue());
                share->setLoginStyle(1);
                step("password login", true,
                     "sid " + text(r->sid) + ", real name " + text(r->rzStatus) + ", box " + text(share->iosWapBoxUrl()));
                *done = true;
            },
            [&, done](const ns::Value& message, const ns::Value& code) {
                step("password login", false, text(code) + " " + text(message));
                *done = true;
            });
        if (!wait("the password login reply", done)) step("password login", false, "no answer");
    }
    const std::string phone = ns::format("139%08d", local ? 20261207 : static_cast<int>(std::time(nullptr) % 100000000));
    {
        auto done = std::make_shared<bool>(false);
        VXLoginAPI::getSdkCodeWithNumber(
            phone, name, "1",
            [&, done](const ns::Ref<VXBaseResponse>& r) {
                step("SMS code", true, phone + ": " + text(r->mesage));
                *done = true;
            },
            [&, done](const ns::Value& message) {
                step("SMS code", false, text(message));
                *done = true;
            });
        if (!wait("the SMS code reply", done)) step("SMS code", false, "no answer");
    }
    if (auto code = local ? local->smsCode(phone) : std::nullopt) {
        auto done = std::make_shared<bool>(false);
        VXLoginAPI::doPhoneYzmLoginWithNumber(
            phone, *code,
            [&, done](const ns::Ref<LoginResult>& r) {
                // The phone's account is the player now, as the login window keeps it.
                share->setUserName(r->userName.stringValue());
                step("phone login", true, "code " + *code + ", account " + text(r->userName) + ", token " +
                                              text(share->loginToken()));
                *done = true;
            },
            [&, done](const ns::Value& message, const ns::Value& c) {
                step("phone login", false, text(c) + " " + text(message));
                *done = true;
            });
        if (!wait("the phone login reply", done)) step("phone login", false, "no answer");
    } else {
        std::printf("     phone login            skipped: the code is only visible to the in-process server\n");
    }
    {
        auto done = std::make_shared<bool>(false);
        VXLoginAPI::postRealNameToServerWithRealName(
            "张三", "110101199001011234",
            [&, done](const ns::Ref<rzResult>& r) {
                step("real name", true, text(r->mesage) + ", status " + text(r->rzStatus));
                *done = true;
            },
            [&, done](const ns::Value& message) {
                step("real name", false, text(message));
                *done = true;
            });
        if (!wait("the real-name reply", done)) step("real name", false, "no answer");
    }
    {
        auto done = std::make_shared<bool>(false);
        VXLoginAPI::GetNoticeWithSuccess(
            [&, done](const ns::Ref<GetNotice>& r) {
                step("notice", true, "id " + text(r->noticeId) + ", status " + r->status + ": " + text(r->content));
                *done = true;
            },
            [&, done](const ns::Value& message, const ns::Value& code) {
                step("notice", false, text(code) + " " + text(message));
                *done = true;
            });
        if (!wait("the notice reply", done)) step("notice", false, "no answer");
    }
    for (const char* zone : {"", "风云一区"}) {
        auto done = std::make_shared<bool>(false);
        bool complete = *zone != '\0';
        VorlixSDK::SetUserInfoDataWithRoleId("10001", "剑客", "35", "s1", std::string(zone), "", [&, done, complete](long r) {
            const char* meaning = r == 1 ? "提交成功" : r == 2 ? "信息不全" : "服务连接失败";
            step(complete ? "role report" : "role report (no zone)", r == (complete ? 1 : 2),
                 ns::format("result %ld %@", r, meaning));
            *done = true;
        });
        if (!wait("the role report reply", done)) step("role report", false, "no answer");
    }
    {
        // The report swallows everything but a daily-limit answer; the server's log shows the reply.
        auto done = std::make_shared<bool>(false);
        std::string limit;
        VXLoginAPI::doUploadUserOlineTimeBlock([&](const ns::Value& message) { limit = text(message); });
        bool seen = local ? until("the online-time report to reach the server",
                                  [&] { return !local->requests("login/setTime").empty(); })
                          : true;
        demo::settle(); // its reply
        step("online time", seen, limit.empty() ? "reported, within the limit" : "limit reached: " + limit);
    }
    {
        int posted = 0;
        auto token = ns::NotificationCenter::defaultCenter().addObserver(
            "SendQuickLogin", nullptr, [&](const ns::Notification&) { ++posted; });
        std::string url = ns::format("VorlixWalletScheme%@://VOR_QUICK&%@&%@", share->gameID(), name, password);
        VorlixSDK::application(app, ns::URL::fromString(url), ns::Dictionary{});
        ns::NotificationCenter::defaultCenter().removeObserver(token);
        // The URL carries the password: shown masked.
        std::string shown = url.substr(0, url.size() - password.size()) + std::string(password.size(), '*');
        step("quick-login URL", posted == 1 && share->userName() == name && share->passWord() == password,
             shown + " -> stored " + text(share->userName()));
    }
    {
        unsigned long mask = VorlixSDK::application(app, ns::Ref<ui::Window>());
        step("orientations", mask == 24, ns::format("mask %lu (landscape)", mask));
    }
    showGameIcon(local, apiHost, screens);
    {
        VorlixSDK::LoginOut();
        bool cleared = until("the stored name to be cleared", [&] { return share->userName() == std::string(); });
        step("logout", cleared && share->loginStyle() == 2,
             ns::format("login style %lu, stored name \"%@\"", share->loginStyle(), share->userName()));
    }
}

} // namespace

int main(int argc, char** argv) {
    ns::RunLoop::main(); // this thread is the main thread
    std::string apiHost;
    std::string screens = "vorlix-demo-screens";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--server" && i + 1 < argc) {
            apiHost = argv[++i];
        } else if (arg == "--screens" && i + 1 < argc) {
            screens = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--server http://HOST:PORT] [--screens FOLDER]\n", argv[0]);
            return arg == "--help" ? 0 : 2;
        }
    }

    char pattern[] = "/tmp/vorlix-demo-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("vorlix-demo: mkdtemp");
        return 1;
    }
    const std::string folder = pattern;
    std::unique_ptr<vx::server::PlatformServer> local;
    if (apiHost.empty()) {
        local = std::make_unique<vx::server::PlatformServer>();
        if (!local->start()) {
            std::fprintf(stderr, "vorlix-demo: cannot start the platform server on 127.0.0.1\n");
            return 1;
        }
        apiHost = local->host();
    }
    demo::startClock(local.get());
    std::string bundle = prepareBundle(folder, apiHost);
    if (bundle.empty()) {
        std::fprintf(stderr, "vorlix-demo: cannot prepare the app bundle in %s\n", folder.c_str());
        return 1;
    }
    ns::Bundle::setMainBundlePath(bundle);
    ns::setSandboxRoot(folder + "/home"); // a fresh player on every run

    std::printf("vorlix-demo: platform API %s%s (%s)\n", apiHost.c_str(), vx::server::PlatformServer::BasePath,
                local ? "in-process stand-in" : "given server");
    std::error_code made;
    std::filesystem::create_directories(screens, made);
    demo::Context context{local.get(), apiHost, std::filesystem::absolute(screens).string()};
    // The system's own log lines (the server's SMS line, reply dumps) go beside the screenshots.
    if (demo::logToFile(context.screens + "/vorlix-demo.log"))
        std::printf("vorlix-demo: log lines in %s/vorlix-demo.log\n", context.screens.c_str());
    demo::gameWindow(); // the game's own window is there from launch
    // A step a player could not take ends its tour, failed with the reason; the next tour goes on.
    auto tour = [](const char* name, const std::function<void()>& play) {
        try {
            play();
        } catch (const ui::driver::Failure& failure) {
            step(name, false, std::string("stopped: ") + failure.what());
        }
    };
    tour("API tour", [&] { play(local.get(), apiHost, context.screens); });
    tour("login tour", [&] { demo::playLoginTour(context); });
    tour("payment tour", [&] { demo::playPayTour(context); });
    tour("user-centre tour", [&] { demo::playUserCentreTour(context); });
    std::printf("vorlix-demo: %s\n", demo::failures() ? "some steps failed" : "all steps passed");

    if (local) local->stop();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return demo::failures() ? 1 : 0;
}
