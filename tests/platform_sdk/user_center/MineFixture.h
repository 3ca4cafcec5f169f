#pragma once
// The mine page and its account screens against the stand-in: a logged-in "player01", the SDK
// bundle's pictures, a key window, and the page loaded at the root of a navigation controller.

#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXNavigationController.h"
#include "platform_sdk/user_center/VXSuUserVC.h"
#include "server/MineArea.h"
#include "server/ServerState.h"
#include "tests/platform_sdk/PlatformFixture.h"

#include <filesystem>

namespace vx::test {

namespace driver = ui::driver;

class MineTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        std::filesystem::copy(std::filesystem::path(VX_RESOURCES_DIR) / "VOZUV.bundle",
                              std::filesystem::path(bundlePath()) / "VOZUV.bundle",
                              std::filesystem::copy_options::recursive);
        ui::DeviceProfile::use(ui::DeviceProfile::plainPhone());
        window = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
        ASSERT_NO_FATAL_FAILURE(signIn("player01", "123456"));
        auto share = ShareVale::sharedInstance();
        share->setIosWapBoxUrl(ns::Value(server.host() + "/cdcloud/welcome/box"));
    }
    void TearDown() override {
        server.releaseHeld();
        CXRHelperBtn::userCentreOpener() = nullptr;
        page = nullptr;
        nav = nullptr;
        window = nullptr;
        settle();
        ui::Application::shared().reset();
        PlatformTest::TearDown();
    }

    // The page in a navigation controller in the key window, its first reply shown.
    void openMine() {
        page = VXSuUserVC::instantiate();
        ASSERT_TRUE(page);
        nav = ui::NavigationController::createWithRoot<VXNavigationController>(page);
        window->setRootViewController(nav);
        window->makeKeyAndVisible();
        ASSERT_TRUE(runMainUntil([&] { return page->dic().isDictionary(); }));
        settle();
    }
    // Two sub-accounts, the second used last, the first with a role.
    void seedSubAccounts() {
        server.withState([](vx::server::PlatformServer::State& s) {
            s.loginArea.subs["player01"] = {{"战士一号", "player01_xh1", ""}, {"法师二号", "player01_xh2", ""}};
            s.loginArea.lastSub["player01"] = "player01_xh2";
            vx::server::mineArea(s).roles["player01_xh1"] = {"剑圣", "华东一区", "58"};
        });
    }
    static std::string text(const ns::Weak<ui::Label>& label) {
        auto l = label.lock();
        return l ? l->text().value_or("") : "(no label)";
    }
    // Taps one of the page's tap areas by its identifier ("mobile", "coupon", "subname", ...).
    void tapArea(const std::string& identifier) {
        auto view = driver::findByAccessibilityId(page->view(), identifier);
        ASSERT_TRUE(view) << identifier;
        driver::tap(view);
    }
    bool toast(const std::string& message, const ui::ViewRef& on = nullptr) {
        return driver::findLabel(on ? on : ui::ViewRef(window), message) != nullptr;
    }

    ui::WindowRef window;
    VXSuUserVCRef page;
    ns::Ref<ui::NavigationController> nav;
};

} // namespace vx::test
