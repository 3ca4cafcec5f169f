// A minimal game on the Vorlix SDK: it starts the stand-in platform server on loopback, launches the
// SDK, logs a player in through the login window (driven headlessly, as a player would tap and type),
// reports a role, pays with platform coins and logs out, printing each result. Exit status 0 when
// every step worked, 1 otherwise.
//
// It runs on the manual clock: the login window's delays and animations take no real time, and every
// wait for the network is bounded in real seconds and fails with the step's name.
#include "os/foundation/Bundle.h"
#include "os/foundation/Clock.h"
#include "os/foundation/PropertyList.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/Sandbox.h"
#include "os/uikit/Application.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXLoginRzView.h"
#include "platform_sdk/VXLoginVC.h"
#include "platform_sdk/VXNewPayVC.h"
#include "platform_sdk/VXNoticeVC.h"
#include "platform_sdk/VXPwdLoginView.h"
#include "platform_sdk/VXSubView.h"
#include "platform_sdk/VorlixSDK.h"
#include "server/PlatformServer.h"
#include "widgets/VXProgressHUD.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

namespace driver = ui::driver;
namespace fs = std::filesystem;

constexpr double NetworkWait = 20; // real seconds one answer from the server may take

int failures = 0;

void report(const char* step, bool ok, const std::string& result) {
    std::printf("%-7s %-12s %s\n", ok ? "ok" : "FAILED", step, result.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
}

// Pumps the main run loop until the condition holds; false after NetworkWait real seconds.
bool until(const std::function<bool()>& done) { return ns::RunLoop::main().runUntil(done, NetworkWait); }

std::string text(const ns::Value& value) { return value.description(); }

// The app bundle beside the program, copied with its API host pointed at the server.
bool useBundle(const fs::path& folder, const std::string& apiHost) {
    fs::path bundle = folder / "Game.app";
    std::error_code failed;
    fs::copy(ns::Bundle::main()->bundlePath(), bundle, fs::copy_options::recursive, failed);
    if (failed) return false;
    ns::Dictionary info = ns::Bundle::main()->infoDictionary();
    info.set("CFBundleIdentifier", "com.vorlix.minimal-game"); // names the preferences file
    info.set("VXPlatformAPIHost", apiHost);
    auto data = ns::PropertyList::write(info, ns::PropertyList::Format::XML);
    if (!data || !data->writeToFile((bundle / "Info.plist").string(), true)) return false;
    ns::Bundle::setMainBundlePath(bundle.string());
    return true;
}

VXLoginVCRef loginWindow(const ui::WindowRef& game) { return ui::driver::shownRootController<VXLoginVC>(game); }

// The steps the window walks after the password is accepted: real name, notice, sub-account.
bool finishLogin(const VXLoginVCRef& login) {
    for (int round = 0; round < 10; ++round) {
        driver::advance(1); // the window's own one-second pauses
        switch (login->step()) {
        case VXLoginVC::Step::RealName: {
            auto panel = login->rzView();
            driver::typeText(panel->nameF.lock(), "张三");
            driver::typeText(panel->codeF.lock(), "110101199001011234");
            driver::tap(driver::findButton(panel, "提交认证"));
            if (!until([&] { return login->step() != VXLoginVC::Step::RealName; })) return false;
            break;
        }
        case VXLoginVC::Step::Notice: {
            ns::Ref<VXNoticeVC> notice;
            auto shown = [&] {
                for (const auto& child : login->childViewControllers())
                    if ((notice = std::dynamic_pointer_cast<VXNoticeVC>(child))) return true;
                return login->step() != VXLoginVC::Step::Notice;
            };
            if (!until(shown)) return false;
            if (notice) driver::tap(driver::findButton(notice->view(), "我知道了"));
            break;
        }
        case VXLoginVC::Step::Picker: {
            auto picker = login->subNameView();
            if (!until([&] { return !VXProgressHUD::HUDForView(picker); })) return false;
            if (picker->dataSource.empty()) {
                driver::tap(driver::findButton(picker, "+ 添加小号"));
                driver::advance(0.3);
                auto alert = driver::presentedAlert(login->keyWindow);
                if (!alert) return false;
                driver::typeIntoAlertField(alert, 0, "勇者");
                driver::tapAlertAction(alert, "确认");
                driver::advance(0.3);
                if (!until([&] { return !picker->dataSource.empty(); })) return false;
                driver::drainMain(); // the list shows its new row
            }
            driver::selectRow(picker->tableView.lock(), ui::IndexPath::forRow(0, 0));
            // The server checks the sub-account before the card slides away.
            if (!until([&] { return login->step() != VXLoginVC::Step::Picker; })) return false;
            break;
        }
        case VXLoginVC::Step::Slide:
        case VXLoginVC::Step::Done:
            driver::advance(0.6); // the card slides away and the window fades
            return true;
        default:
            until([&] { return login->step() != VXLoginVC::Step::Waiting; });
        }
    }
    return false;
}

int play() {
    // The stand-in platform on loopback, with one player who has platform coins (500 by default).
    server::PlatformServer platform;
    if (!platform.start()) {
        report("server", false, "cannot listen on 127.0.0.1");
        return 1;
    }
    platform.addAccount("player01", "secret1");
    report("server", true, platform.host());

    fs::path folder = fs::temp_directory_path() / ("minimal-game-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    struct RemoveAtEnd {
        fs::path path;
        ~RemoveAtEnd() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } removeAtEnd{folder};
    if (!useBundle(folder, platform.host())) {
        report("bundle", false, "cannot copy " + ns::Bundle::main()->bundlePath() + " to " + folder.string());
        return 1;
    }
    ns::setSandboxRoot((folder / "home").string()); // a fresh player on every run

    ns::Clock::setManual(true, ns::Clock::wallNow());
    auto game = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
    game->setRootViewController(ui::ViewController::create());
    game->makeKeyAndVisible();

    VorlixSDK::didFinishLaunching();
    auto share = ShareVale::sharedInstance();
    report("launch", true, "app " + share->appID().value_or("") + ", game " + share->gameID().value_or(""));

    // Login: the window opens; the player types the account and password.
    std::string player;
    long loginCode = 0;
    VorlixSDK::loadLoginViewResultSuccess(
        [&](const ns::Value&, const ns::Value& userName, const ns::Value& sign, const ns::Value& rzStatus) {
            player = text(userName);
            report("login", true, "user " + player + ", sign " + text(sign) + ", real name " + text(rzStatus));
        },
        [&](long code, const ns::Value& message) {
            loginCode = code;
            report("login", false, std::to_string(code) + " " + text(message));
        });
    driver::advance(0.5);
    auto login = loginWindow(game);
    if (!login) {
        report("login", false, "no login window");
        return 1;
    }
    driver::tap(login->btnsView.lock()->viewWithTag(11)); // the account-and-password panel
    auto panel = login->pwdView();
    driver::typeText(panel->nameF.lock(), "player01");
    driver::typeText(panel->pwdF.lock(), "secret1");
    driver::tap(driver::findButton(panel, "登录"));
    if (!until([&] { return login->step() != VXLoginVC::Step::None || loginCode != 0; }) || loginCode != 0 ||
        !finishLogin(login) || player.empty()) {
        report("login", false, "the login window did not finish (step " +
                                   std::to_string(static_cast<int>(login->step())) + ")");
        return 1;
    }
    login.reset();

    // Role report.
    long role = -1;
    VorlixSDK::SetUserInfoDataWithRoleId("10001", "剑客", "35", "s1", "风云一区", "", [&](long result) { role = result; });
    bool reported = until([&] { return role != -1; });
    report("role", reported && role == 1, reported ? "result " + std::to_string(role) : "no answer");

    // Payment with platform coins: the centre opens, the player picks coins and pays.
    std::string paid;
    VorlixSDK::loadToPayVCWithroleid(
        "10001", "6.00", "s1", "钻石×60", "60颗钻石", "order-1",
        [&](const ns::Value& result, const ns::Value& money) { paid = "success " + text(result) + ", " + text(money); },
        [&](const ns::Value& message, long code, const ns::Value& money) {
            paid = "failure " + text(message) + ", " + std::to_string(code) + ", " + text(money);
        });
    driver::advance(0.5);
    auto nav = std::dynamic_pointer_cast<ui::NavigationController>(game->rootViewController()->presentedViewController());
    auto centre = nav && !nav->viewControllers().empty() ? std::dynamic_pointer_cast<VXNewPayVC>(nav->viewControllers()[0])
                                                          : nullptr;
    if (!centre || !until([&] { return !VXProgressHUD::HUDForView(centre->view()); })) {
        report("pay", false, "the payment centre did not open");
        return 1;
    }
    driver::advance(0.5);
    driver::tap(centre->ptbIconBtn.lock());
    driver::tap(centre->payBtn.lock());
    bool answered = until([&] { return !paid.empty(); });
    report("pay", answered && paid.starts_with("success"), answered ? paid : "no answer");
    centre.reset();
    driver::advance(0.5);

    // Logout: fire and forget; the stored name is cleared once the server answers.
    VorlixSDK::LoginOut();
    bool out = until([&] { return share->userName().value_or("").empty(); });
    report("logout", out, out ? "login style " + std::to_string(share->loginStyle()) : "no answer");

    ns::Clock::setManual(false);
    platform.stop();
    return failures ? 1 : 0;
}

} // namespace

int main() {
    ns::RunLoop::main(); // this thread is the main thread
    try {
        int status = play();
        std::printf("minimal-game: %s\n", status == 0 ? "all steps passed" : "failed");
        return status;
    } catch (const driver::Failure& failure) {
        std::printf("FAILED  %s\n", failure.what());
        return 1;
    }
}
