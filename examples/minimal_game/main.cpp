// A minimal game on the Vorlix SDK: it starts the stand-in platform server on loopback, launches the
// SDK, and plays a player's first session: a payment asked before any login (refused at once), a
// login through the login window (walked by touch with the SDK's test player), a payment asked from
// inside the login's success block and paid with platform coins, a role report, the user centre
// opened from the floating button, and a logout from it. It prints each result and exits with 0
// when every step worked, 1 otherwise.
//
// It runs on the manual clock: the login window's delays and animations take no real time, and every
// wait for the network is bounded in real seconds and fails with the step's name.
#include "os/foundation/Bundle.h"
#include "os/foundation/Clock.h"
#include "os/foundation/PropertyList.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/Sandbox.h"
#include "os/uikit/Screen.h"
#include "os/uikit/ViewController.h"
#include "os/uikit/Window.h"
#include "platform_sdk/VorlixSDK.h"
#include "platform_sdk/testing/TestPlayer.h"
#include "server/PlatformServer.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

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

// The game's purchase: what it hears back, as one line ("" until it hears).
struct Purchase {
    std::string answer;
    long code = 0;
    void start(const std::string& order) {
        VorlixSDK::loadToPayVCWithroleid(
            "10001", "6.00", "s1", "钻石×60", "60颗钻石", order,
            [this](const ns::Value& result, const ns::Value& money) { answer = "success " + text(result) + ", " + text(money); },
            [this](const ns::Value& message, long failure, const ns::Value& money) {
                code = failure;
                answer = "failure " + text(message) + ", " + std::to_string(failure) + ", " + text(money);
            });
    }
};

int play() {
    // The stand-in platform on loopback, with one player who has platform coins (500 by default).
    vx::server::PlatformServer platform;
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
    report("launch", true, "SDK ready");

    // Nobody has logged in yet: a purchase is refused at once, a role report by the server.
    Purchase early;
    early.start("order-0");
    report("early pay", early.code == 601, early.answer.empty() ? "no answer" : early.answer);
    long earlyRole = -1;
    VorlixSDK::SetUserInfoDataWithRoleId("10001", "剑客", "35", "s1", "风云一区", "", [&](long result) { earlyRole = result; });
    bool refused = until([&] { return earlyRole != -1; });
    report("early role", refused && earlyRole == 0, refused ? "result " + std::to_string(earlyRole) : "no answer");

    // Login: the window opens; the player types the account and password. The game asks for its
    // purchase as soon as it hears of the login.
    std::string player;
    long loginCode = 0;
    Purchase purchase;
    VorlixSDK::loadLoginViewResultSuccess(
        [&](const ns::Value&, const ns::Value& userName, const ns::Value& sign, const ns::Value& rzStatus) {
            player = text(userName);
            report("login", true, "user " + player + ", sign " + text(sign) + ", real name " + text(rzStatus));
            purchase.start("order-1");
        },
        [&](long code, const ns::Value& message) {
            loginCode = code;
            report(code == -9 ? "logout" : "login", code == -9, std::to_string(code) + " " + text(message));
        });
    vx::TestPlayer tester;
    if (!tester.logIn("player01", "secret1") || player.empty()) {
        report("login", false, tester.failure());
        return 1;
    }

    // The purchase asked from the success block: the centre opens over the game; pay with coins.
    bool paid = tester.payWithPlatformCoins();
    bool answered = until([&] { return !purchase.answer.empty(); });
    report("pay", paid && answered && purchase.answer.starts_with("success"),
           answered ? purchase.answer : "no answer: " + tester.failure());

    // Role report.
    long role = -1;
    VorlixSDK::SetUserInfoDataWithRoleId("10001", "剑客", "35", "s1", "风云一区", "", [&](long result) { role = result; });
    bool reported = until([&] { return role != -1; });
    report("role", reported && role == 1, reported ? "result " + std::to_string(role) : "no answer");

    // The user centre from the floating button, then its logout: the login failure block gets -9.
    bool opened = tester.openUserCentre();
    report("user centre", opened, opened ? "opened from the floating button" : tester.failure());
    if (opened && !tester.logOutFromUserCentre()) report("logout", false, tester.failure());
    if (loginCode != -9) report("logout", false, "the game did not hear of the logout");

    // Logged out: a purchase is refused again.
    Purchase late;
    late.start("order-2");
    report("late pay", late.code == 601, late.answer.empty() ? "no answer" : late.answer);

    ns::Clock::setManual(false);
    platform.stop();
    return failures ? 1 : 0;
}

} // namespace

int main() {
    ns::RunLoop::main(); // this thread is the main thread
    int status = play();
    std::printf("minimal-game: %s\n", status == 0 ? "all steps passed" : "failed");
    return status;
}
