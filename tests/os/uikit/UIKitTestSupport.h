#pragma once
// Shared pieces of the UI layer's tests: a logging controller, a fixture, window and pixel helpers.

#include "os/uikit/Application.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Image.h"
#include "os/uikit/Screen.h"
#include "os/uikit/ViewController.h"
#include "os/uikit/Window.h"
#include "tests/support/Environment.h"

#include <memory>
#include <string>
#include <vector>

namespace uitest {

using ui::driver::tap;

using Log = std::shared_ptr<std::vector<std::string>>;
inline Log makeLog() { return std::make_shared<std::vector<std::string>>(); }

// The log joined with spaces, then emptied.
inline std::string take(const Log& log) {
    std::string out;
    for (const auto& line : *log) out += (out.empty() ? "" : " ") + line;
    log->clear();
    return out;
}

using Px = std::vector<int>;
// {R, G, B, A} of pixel (x, y) of a display-format bitmap, rows from the top.
inline Px pixel(const cg::ImageRef& img, size_t x, size_t y) {
    const uint8_t* p = img->bytes() + y * img->bytesPerRow() + x * 4;
    return {p[2], p[1], p[0], p[3]};
}
inline Px pixel(const ui::ImageRef& image, size_t x, size_t y) { return pixel(image->CGImage(), x, y); }

// Writes "name.callback" for the appearance callbacks (and the layout ones when asked).
class LoggingController : public ui::ViewController {
public:
    std::string name;
    Log log;
    bool logLayout = false;

    void note(const std::string& what) {
        if (log) log->push_back(name + "." + what);
    }
    void viewDidLoad() override { note("didLoad"); }
    void viewWillAppear(bool) override { note("willAppear"); }
    void viewDidAppear(bool) override { note("didAppear"); }
    void viewWillDisappear(bool) override { note("willDisappear"); }
    void viewDidDisappear(bool) override { note("didDisappear"); }
    void viewWillLayoutSubviews() override {
        if (logLayout) note("willLayout");
    }
    void viewDidLayoutSubviews() override {
        if (logLayout) note("didLayout");
    }
};

template <class T = LoggingController> ns::Ref<T> controller(const std::string& name, const Log& log) {
    auto c = ui::ViewController::create<T>();
    c->name = name;
    c->log = log;
    return c;
}

// A full-screen window with the root, made key and visible.
inline ui::WindowRef showWindow(const ui::ViewControllerRef& root) {
    auto window = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
    if (root) window->setRootViewController(root);
    window->makeKeyAndVisible();
    return window;
}

// The environment resets the application (a registered singleton) before and after each test.
class UIKitTest : public vx::test::Environment {
protected:
    Log log = makeLog();
};

} // namespace uitest
