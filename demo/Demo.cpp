#include "demo/Demo.h"

#include "os/foundation/Log.h"
#include "os/foundation/RunLoop.h"
#include "os/uikit/Application.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/Label.h"
#include "os/uikit/ViewController.h"
#include "os/uikit/Window.h"
#include "os/uikit/Screen.h"
#include "os/uikit/ViewRendering.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>

namespace demo {

namespace {
int failureCount = 0;
int stepNumber = 0;
} // namespace

void step(const std::string& name, bool ok, const std::string& result) {
    std::printf("[%2d] %-22s %s  %s\n", ++stepNumber, name.c_str(), ok ? "ok  " : "FAIL", result.c_str());
    std::fflush(stdout);
    if (!ok) ++failureCount;
}

int failures() { return failureCount; }

bool wait(const std::shared_ptr<bool>& done) {
    return ns::RunLoop::main().runUntil([&] { return *done; }, StepTimeout);
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

} // namespace demo
