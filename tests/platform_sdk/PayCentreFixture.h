#pragma once
// The payment centre opened the way the game opens it: a logged-in player (through the login API
// against the stand-in), a key window with the game's root screen, the SDK bundle's pictures, and
// the game's two callbacks recorded as text. Screens can be compared with golden PNGs.

#include "os/imageio/ImageSource.h"
#include "os/uikit/Application.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXLoginAPI.h"
#include "platform_sdk/VXNewPayVC.h"
#include "platform_sdk/VorlixSDK.h"
#include "widgets/VXProgressHUD.h"
#include "server/PayArea.h"
#include "tests/platform_sdk/PlatformFixture.h"
#include "tests/support/GoldenCompare.h"

#include <cstdlib>
#include <filesystem>

namespace vx::test {

// The game's application delegate hands returned URLs to the SDK, as a game does.
class ForwardingAppDelegate : public ui::ApplicationDelegate {
public:
    std::optional<bool> openURL(const ns::Ref<ns::URL>& url, const ns::Dictionary& options) override {
        VorlixSDK::application(ui::Application::shared(), url, options);
        return true;
    }
};

// Installs that delegate and the schemes the pay roads open (web pages and the wallet app).
inline void forwardReturnedURLs() {
    ui::Application::shared().setDelegate(std::make_shared<ForwardingAppDelegate>());
    ui::Application::shared().setInstalledSchemes({"http", "https", "vxwallet"});
}

class PayCentreTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        ui::Application::shared().reset();
        VXNewPayVC::resetOrder();
        VorlixSDK::screens().loadToPayVC = &VXNewPayVC::loadToPayVCWithroleid; // another test may have replaced it
        ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Manual);
        copySdkPictures(bundlePath());
        server.addAccount("player01", "secret1");
        auto done = std::make_shared<Outcome>();
        VXLoginAPI::LonginWithUsername(
            "player01", "secret1",
            [done](const ns::Ref<LoginResult>& r) {
                ShareVale::sharedInstance()->setUserName(r->userName.stringValue());
                ShareVale::sharedInstance()->setIsLoggedIn(true); // the entry pays only after a login
                ++done->calls;
            },
            [done](const ns::Value&, const ns::Value&) { ++done->calls; });
        await(done);
        game = ui::ViewController::create();
        window = showKeyWindow(game);
    }
    void TearDown() override {
        VXNewPayVC::resetOrder();
        game = nullptr, window = nullptr;
        ui::Application::shared().reset();
        PlatformTest::TearDown();
    }

    // The game's purchase; waits for the pay-way reply when the centre opens.
    void open(const std::string& amount = "6.66", bool awaitWays = true) {
        size_t before = server.requests("pay/getPayWayios").size();
        VorlixSDK::loadToPayVCWithroleid(
            "r1", amount, "s1", "钻石×60", "60颗钻石", "cp-1",
            [this](const ns::Value& result, const ns::Value& money) {
                answers.push_back("ok(" + result.description() + ", " + money.description() + ")");
            },
            [this](const ns::Value& message, long code, const ns::Value& money) {
                answers.push_back("fail(" + message.description() + ", " + std::to_string(code) + ", " +
                                  money.description() + ")");
            });
        advance(0.5); // the presentation
        if (awaitWays) {
            ASSERT_TRUE(awaitRequests("pay/getPayWayios", before + 1));
            // The reply has been handled once the HUD starts to go.
            ASSERT_TRUE(runMainUntil([&] {
                auto c = centre();
                auto hud = c ? VXProgressHUD::HUDForView(c->view()) : nullptr;
                return !hud || hud->hasFinished();
            }));
            advance(0.5); // the HUD fades
        }
    }
    ns::Ref<VXNewPayVC> centre() {
        auto presented = game->presentedViewController();
        auto nav = std::dynamic_pointer_cast<ui::NavigationController>(presented);
        return nav && !nav->viewControllers().empty() ? std::dynamic_pointer_cast<VXNewPayVC>(nav->viewControllers()[0])
                                                      : nullptr;
    }
    std::string text(const ns::Weak<ui::Label>& label) {
        auto l = label.lock();
        return l ? l->text().value_or("") : "(no label)";
    }
    // Taps, and waits until the reply to the request it sends to `path` has shown its effect.
    void tapAndSettle(const ns::Weak<ui::Button>& button, const std::string& path, const std::function<bool()>& done) {
        size_t before = server.requests(path).size();
        ui::driver::tap(button.lock());
        ASSERT_TRUE(awaitRequests(path, before + 1)) << path;
        ASSERT_TRUE(runMainUntil(done)) << path;
        settle();
    }
    vx::server::PayArea::Wallet& wallet() {
        vx::server::PayArea::Wallet* w = nullptr;
        server.withState([&](vx::server::PlatformServer::State& s) { w = &vx::server::payArea(s).wallet("player01"); });
        return *w;
    }
    template <class F> void pay(F f) {
        server.withState([&](vx::server::PlatformServer::State& s) { f(vx::server::payArea(s)); });
    }

    // Captures the window and compares it with tests/platform_sdk/golden/<name>.png (VX_UPDATE_GOLDEN=1
    // rewrites it).
    void expectGolden(const std::string& name) {
        std::string shot = sandboxPath() + "/" + name + ".png";
        ui::driver::capture(window, shot);
        EXPECT_TRUE(vx::test::matchesGoldenFile(shot, VX_GOLDEN_DIR "/" + name + ".png"));
    }
    static cg::ImageRef decode(const std::string& path) {
        auto data = ns::Data::fromFile(path);
        auto source = data ? imageio::ImageSource::CreateWithData(data) : nullptr;
        return source ? source->CreateImageAtIndex(0) : nullptr;
    }

    ui::WindowRef window;
    ui::ViewControllerRef game;
    std::vector<std::string> answers;
};

} // namespace vx::test
