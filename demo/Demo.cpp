#include "demo/Demo.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Clock.h"
#include "os/foundation/Log.h"
#include "os/foundation/Random.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/OperationQueue.h"
#include "os/foundation/WorkerPool.h"
#include "os/net/URLSession.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Application.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/Label.h"
#include "os/uikit/ViewController.h"
#include "os/uikit/Window.h"
#include "os/uikit/Screen.h"
#include "os/uikit/ViewRendering.h"
#include "image/VXWebImageManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VorlixSDK.h"
#include "server/PlatformServer.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>

namespace demo {

namespace {
int failureCount = 0;
int stepNumber = 0;
std::string missed; // waits that ran out since the last step
vx::server::PlatformServer* server = nullptr;
// A main queue that keeps re-posting itself would never drain.
constexpr int DrainLimit = 100000;

double realNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void ranOut(const std::string& what) {
    std::printf("     waited in vain for %s (%.0f s)\n", what.c_str(), StepTimeout);
    missed += (missed.empty() ? "" : "; ") + what;
}
} // namespace

void step(const std::string& name, bool ok, const std::string& result) {
    // The stand-in's port changes from run to run; the steps read the same every time.
    std::string shown = result;
    if (server)
        for (size_t at; (at = shown.find(server->host())) != std::string::npos;) shown.replace(at, server->host().size(), "<server>");
    // So do a pay page's random key.
    for (size_t at = shown.find("key="); at != std::string::npos; at = shown.find("key=", at + 4)) {
        size_t end = shown.find_first_not_of("0123456789abcdef", at + 4);
        shown.replace(at + 4, (end == std::string::npos ? shown.size() : end) - at - 4, "<key>");
    }
    if (!missed.empty()) {
        ok = false;
        shown += " (waited in vain for " + missed + ")";
        missed.clear();
    }
    std::printf("[%2d] %-22s %s  %s\n", ++stepNumber, name.c_str(), ok ? "ok  " : "FAIL", shown.c_str());
    std::fflush(stdout);
    if (!ok) ++failureCount;
}

int failures() { return failureCount + (missed.empty() ? 0 : 1); }

void startClock(vx::server::PlatformServer* local) {
    server = local;
    ns::Clock::setManual(true, ns::Clock::ManualWallStart, ns::Clock::ManualOrigin);
    ns::Random::seed(20261207);
    ui::driver::setSettle(settle);
}

bool until(const std::string& what, const std::function<bool()>& done) {
    if (ns::RunLoop::main().runUntil(done, StepTimeout)) return true;
    ranOut(what);
    return false;
}

bool wait(const std::string& what, const std::shared_ptr<bool>& done) {
    return until(what, [&] { return *done; });
}

void settle() {
    auto& main = ns::RunLoop::main();
    const double end = realNow() + StepTimeout;
    // Two quiet rounds in a row: work finishing on one side may just have posted to the other.
    for (int quiet = 0; quiet < 2;) {
        bool ran = false;
        for (int i = 0; i < DrainLimit && main.runOnce(0); ++i) ran = true;
        size_t held = server ? server->heldCount() : 0;
        // A web image hops between its queue, the decoders and a thread of its own: its operation
        // stays on the manager's queue until the image has been handed to the main queue.
        size_t images = VXWebImageManager::sharedManager()->queue()->operationCount();
        if (!ran && images == 0 && ns::URLSession::loadsInProgress() <= held && dispatch::isIdle() &&
            ns::WorkerPool::isIdle() && ns::Clock::isIdle() && !main.hasPendingWork()) {
            ++quiet;
            continue;
        }
        quiet = 0;
        if (realNow() > end) return ranOut("the replies and background work in progress to land");
        if (!ran) {
            if (!ns::WorkerPool::isIdle()) ns::WorkerPool::waitUntilIdle(0.001);
            else main.runOnce(0.001);
        }
    }
}

std::string text(const ns::Value& v) { return v.description(); }

ns::Ref<ui::Window> gameWindow() {
    static ns::Ref<ui::Window> game = [] {
        auto window = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
        window->setBackgroundColor(ui::Color::colorWithRed(0.13, 0.35, 0.28, 1));
        window->setRootViewController(ui::ViewController::create());
        auto title = ui::View::create<ui::Label>(cg::RectMake(0, 80, 375, 40));
        title->setText(std::string("勇者之路"));
        title->setFont(ui::Font::boldSystemFontOfSize(30));
        title->setTextColor(ui::Color::whiteColor());
        title->setTextAlignment(ui::TextAlignment::Center);
        window->addSubview(title);
        auto hint = ui::View::create<ui::Label>(cg::RectMake(0, 560, 375, 30));
        hint->setText(std::string("游戏画面"));
        hint->setFont(ui::Font::systemFontOfSize(16));
        hint->setTextColor(ui::Color::colorWithWhite(1, 0.7));
        hint->setTextAlignment(ui::TextAlignment::Center);
        window->addSubview(hint);
        window->makeKeyAndVisible();
        return window;
    }();
    return game;
}

bool logToFile(const std::string& path) {
    auto file = std::make_shared<std::ofstream>(path, std::ios::app);
    if (!*file) return false;
    auto mutex = std::make_shared<std::mutex>();
    ns::Log::setSink([file, mutex](const std::string& line) {
        std::lock_guard lock(*mutex);
        *file << line << '\n';
        file->flush();
    });
    return true;
}

bool captureScreen(const std::string& path) {
    auto& screen = ui::Screen::mainScreen();
    cg::Rect bounds = screen.bounds();
    ui::GraphicsBeginImageContextWithOptions(bounds.size, true, screen.scale());
    for (const auto& window : ui::Application::shared().windows()) {
        if (!window || window->isHidden()) continue;
        if (auto picture = ui::renderView(window, screen.scale())) picture->drawInRect(window->frame());
    }
    auto image = ui::GraphicsGetImageFromCurrentImageContext();
    ui::GraphicsEndImageContext();
    auto png = ui::ImagePNGRepresentation(image);
    return png && png->writeToFile(path, true);
}

GameLogin::GameLogin(std::function<void(long code)> failed) {
    ShareVale::sharedInstance()->setLoginStyle(2);
    VorlixSDK::loadLoginViewResultSuccess(
        [done = done_](const ns::Value&, const ns::Value&, const ns::Value&, const ns::Value&) { *done = true; },
        [failed = std::move(failed)](long code, const ns::Value& message) {
            std::printf("     game: login failed %ld %s\n", code, message.description().c_str());
            if (failed) failed(code);
        });
}

bool GameLogin::logIn(const std::string& account, const std::string& password, const vx::TestPlayer::Identity& identity) {
    vx::TestPlayer player(identity);
    if (!player.logIn(account, password)) {
        failure_ = player.failure();
        return false;
    }
    if (!*done_) failure_ = "the game's success block did not run";
    return *done_;
}

} // namespace demo
