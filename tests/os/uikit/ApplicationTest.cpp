#include "UIKitTestSupport.h"

#include "os/foundation/NotificationCenter.h"
#include "os/uikit/DeviceProfile.h"

using namespace uitest;

namespace {

class RecordingDelegate : public ui::ApplicationDelegate {
public:
    std::vector<std::string> calls;
    bool modern = false;
    std::optional<bool> openURL(const ns::Ref<ns::URL>& url, const ns::Dictionary& options) override {
        if (!modern) return std::nullopt;
        calls.push_back("options " + options[ui::ApplicationOpenURLOptionsSourceApplicationKey].description());
        return true;
    }
    std::optional<bool> openURL(const ns::Ref<ns::URL>& url, const std::optional<std::string>& source,
                                const ns::Value&) override {
        calls.push_back("source " + source.value_or("-") + " " + url->absoluteString());
        return false;
    }
    void didBecomeActive() override { calls.push_back("didBecomeActive"); }
    void willResignActive() override { calls.push_back("willResignActive"); }
    void didEnterBackground() override { calls.push_back("didEnterBackground"); }
};

class ApplicationTest : public UIKitTest {};

TEST_F(ApplicationTest, KeyWindowChangesOnlyWhenAskedOrWhenTheKeyWindowHides) {
    auto& app = ui::Application::shared();
    auto game = showWindow(ui::ViewController::create());
    EXPECT_EQ(app.keyWindow(), game);

    ns::Weak<ui::Window> weakLogin;
    {
        auto login = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
        weakLogin = login;
        login->setHidden(false);
        EXPECT_EQ(app.keyWindow(), game) << "shown, not made key";
        EXPECT_EQ(app.windows().back(), login) << "the last shown is in front";
        login->makeKeyWindow();
        EXPECT_TRUE(login->isKeyWindow());
        EXPECT_FALSE(game->isKeyWindow());
    }
    ASSERT_FALSE(weakLogin.expired()) << "the application keeps shown windows";
    weakLogin.lock()->setHidden(true);
    EXPECT_EQ(app.keyWindow(), game) << "key status passes to the frontmost visible window";
    EXPECT_TRUE(weakLogin.expired()) << "a hidden window nobody holds is released";

    auto alert = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
    alert->setWindowLevel(ui::WindowLevelAlert);
    alert->setHidden(false);
    auto later = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
    later->setHidden(false);
    auto windows = app.windows();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[0], game);
    EXPECT_EQ(windows[1], later);
    EXPECT_EQ(windows[2], alert) << "ordered by level first";
}

TEST_F(ApplicationTest, StateChangesCallTheDelegateThenPostInOrder) {
    auto& app = ui::Application::shared();
    auto delegate = std::make_shared<RecordingDelegate>();
    app.setDelegate(delegate);
    std::vector<std::string> posted;
    auto& center = ns::NotificationCenter::defaultCenter();
    auto token = center.addObserver(std::nullopt, nullptr, [&](const ns::Notification& n) {
        if (n.name.rfind("UIApplication", 0) == 0) posted.push_back(n.name);
    });
    app.enterBackground();
    app.becomeActive();
    app.receiveMemoryWarning();
    center.removeObserver(token);
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"willResignActive", "didEnterBackground", "didBecomeActive"}));
    EXPECT_EQ(posted, (std::vector<std::string>{ui::ApplicationWillResignActiveNotification,
                                                ui::ApplicationDidEnterBackgroundNotification,
                                                ui::ApplicationWillEnterForegroundNotification,
                                                ui::ApplicationDidBecomeActiveNotification,
                                                ui::ApplicationDidReceiveMemoryWarningNotification}));
    EXPECT_EQ(app.applicationState(), ui::ApplicationState::Active);
}

TEST_F(ApplicationTest, OpeningURLsFollowsTheInstalledSchemesAndIncomingOnesReachTheDelegate) {
    auto& app = ui::Application::shared();
    auto box = ns::URL::fromString("vorlixbox://open?id=1");
    EXPECT_FALSE(app.canOpenURL(box));
    EXPECT_FALSE(app.openURL(box));
    app.setInstalledSchemes({"VorlixBox"});
    EXPECT_TRUE(app.openURL(box));
    EXPECT_FALSE(app.openURL(nullptr));
    ASSERT_EQ(app.openedURLs().size(), 1u);
    EXPECT_EQ(app.openedURLs()[0], box);

    bool answered = false;
    app.openURL(ns::URL::fromString("https://example.com"), {}, [&](bool ok) { answered = ok; });
    EXPECT_FALSE(answered) << "the completion comes on a later main-queue turn";
    drainMain();
    EXPECT_FALSE(answered) << "https was replaced by the installed set";

    // An incoming URL takes the newest entry point the delegate implements.
    auto delegate = std::make_shared<RecordingDelegate>();
    app.setDelegate(delegate);
    auto url = ns::URL::fromString("wallet123://pay?VOR_QUICK&name&pwd");
    EXPECT_FALSE(app.deliverOpenURL(url, std::string("com.wallet")));
    delegate->modern = true;
    EXPECT_TRUE(app.deliverOpenURL(url, std::string("com.wallet")));
    EXPECT_EQ(delegate->calls,
              (std::vector<std::string>{"source com.wallet wallet123://pay?VOR_QUICK&name&pwd", "options com.wallet"}));
}

TEST_F(ApplicationTest, TheNotchTestFollowsTheDeviceProfile) {
    auto notch = [] {
        auto key = ui::Application::shared().keyWindow();
        return ui::DeviceProfile::systemVersionAtLeast(11) && key && key->safeAreaInsets().bottom > 0;
    };
    auto window = showWindow(ui::ViewController::create());
    EXPECT_FALSE(notch()) << "the plain phone";
    ui::DeviceProfile::use(ui::DeviceProfile::notchPortrait());
    window->setFrame(ui::Screen::mainScreen().bounds());
    EXPECT_TRUE(notch());
    EXPECT_EQ(window->safeAreaInsets(), (ui::EdgeInsets{44, 0, 34, 0}));
    ui::DeviceProfile::use(ui::DeviceProfile::notchLandscape());
    window->setFrame(ui::Screen::mainScreen().bounds());
    EXPECT_EQ(window->safeAreaInsets(), (ui::EdgeInsets{0, 44, 21, 44}));
    EXPECT_EQ(window->bounds().size.width, 812);
    ui::DeviceProfile::use(ui::DeviceProfile::notchPortrait().withSystemVersion("10.3"));
    EXPECT_FALSE(notch()) << "before iOS 11 there are no insets";
    ui::DeviceProfile::use(ui::DeviceProfile::notchPortrait());
    window->setFrame(cg::RectMake(0, 100, 375, 300));
    EXPECT_EQ(window->safeAreaInsets(), (ui::EdgeInsets{})) << "a window away from the edges";
}

} // namespace
