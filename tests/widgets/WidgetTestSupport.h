#pragma once
// The widget tests' fixture: a fresh application with one full-screen window, and the app bundle's
// SDK resources (the sticker pictures) copied into the test's main bundle.

#include "os/uikit/Application.h"
#include "os/uikit/Screen.h"
#include "os/uikit/ViewController.h"
#include "os/uikit/Window.h"
#include "tests/support/Environment.h"

#include <filesystem>

namespace widgettest {

class WidgetTest : public vx::test::SandboxTest {
protected:
    void SetUp() override {
        vx::test::SandboxTest::SetUp();
        ui::Application::shared().reset();
        ui::Screen::mainScreen().reset();
        root = ui::ViewController::create();
        window = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        drainMain();
    }
    void TearDown() override {
        ui::Application::shared().reset();
        vx::test::SandboxTest::TearDown();
    }

    void installSdkBundle() {
        namespace fs = std::filesystem;
        fs::copy(fs::path(VX_RESOURCES_DIR) / "VOZUV.bundle", fs::path(bundlePath()) / "VOZUV.bundle",
                 fs::copy_options::recursive);
    }

    ui::ViewRef rootView() const { return root->view(); }

    ui::ViewControllerRef root;
    ui::WindowRef window;
};

} // namespace widgettest
