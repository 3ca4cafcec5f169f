// The platform screens' base controller and the two navigation controllers, driven in a window.

#include "os/uikit/Application.h"
#include "platform_sdk/VXBaseNav.h"
#include "platform_sdk/VXBaseVC.h"
#include "platform_sdk/VXNavigationController.h"
#include "tests/platform_sdk/PlatformFixture.h"

namespace {

namespace driver = ui::driver;

// A screen that picks its own orientation.
class Landscape : public ui::ViewController {
public:
    bool shouldAutorotate() const override { return false; }
    unsigned supportedInterfaceOrientations() const override { return ui::InterfaceOrientationMaskLandscape; }
    ui::InterfaceOrientation preferredInterfaceOrientationForPresentation() const override {
        return ui::InterfaceOrientation::LandscapeRight;
    }
};

class BaseScreensTest : public vx::test::SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        ui::Application::shared().reset();
        ui::Screen::mainScreen().reset();
        vx::test::copySdkPictures(bundlePath());
    }
    void TearDown() override {
        ui::Application::shared().reset();
        SandboxTest::TearDown();
    }
    void show(const ui::ViewControllerRef& root) { window = vx::test::showKeyWindow(root); }
    // The button inside a screen's left bar item.
    static ui::ButtonRef leftButton(const ui::ViewControllerRef& screen) {
        auto item = screen->navigationItem()->leftBarButtonItem();
        return item ? driver::find<ui::Button>(item->customView()) : nullptr;
    }

    ui::WindowRef window;
};

TEST_F(BaseScreensTest, NavigationControllerGivesPushedScreensABackButton) {
    auto root = ui::ViewController::create();
    auto nav = ui::NavigationController::createWithRoot<VXNavigationController>(root);
    show(nav);
    EXPECT_FALSE(root->navigationItem()->leftBarButtonItem());

    auto second = ui::ViewController::create();
    nav->pushViewController(second, false);
    EXPECT_TRUE(nav->isTransitioning()); // animated whatever was asked
    EXPECT_TRUE(second->hidesBottomBarWhenPushed());
    auto back = leftButton(second);
    ASSERT_TRUE(back && back->currentImage());
    advance(0.35);
    driver::tap(back);
    advance(0.35);
    EXPECT_EQ(nav->viewControllers(), std::vector<ui::ViewControllerRef>{root});
}

TEST_F(BaseScreensTest, BaseScreenBackButtonPopsThenDismisses) {
    auto host = ui::ViewController::create();
    show(host);
    auto first = ui::ViewController::create<VXBaseVC>();
    auto nav = ui::NavigationController::createWithRoot<VXNavigationController>(first);
    host->presentViewController(nav, true);
    advance(0.3);
    ASSERT_EQ(host->presentedViewController(), nav);

    auto second = ui::ViewController::create<VXBaseVC>();
    nav->pushViewController(second, true);
    advance(0.35);
    auto back = leftButton(second);
    ASSERT_TRUE(back);
    // A pushed screen pops and loses its back button.
    driver::tap(back);
    EXPECT_FALSE(leftButton(second));
    advance(0.35);
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    ASSERT_EQ(host->presentedViewController(), nav);

    // The root of a presented navigation controller dismisses it.
    driver::tap(leftButton(first));
    advance(0.3);
    EXPECT_FALSE(host->presentedViewController());
}

TEST_F(BaseScreensTest, TitlesAndTitleViews) {
    auto screen = ui::ViewController::create<VXBaseVC>();
    auto nav = ui::NavigationController::createWithRoot<VXNavigationController>(screen);
    // Set before the first appearance: the next appearance makes a new label, the old one stays.
    screen->setTitle("登录");
    auto early = std::dynamic_pointer_cast<ui::Label>(screen->navigationItem()->titleView());
    ASSERT_TRUE(early);
    EXPECT_EQ(early->text(), "登录");
    show(nav);
    ASSERT_TRUE(screen->titlelable());
    EXPECT_NE(screen->titlelable(), early);
    EXPECT_EQ(screen->navigationItem()->titleView(), early);
    screen->setTitle("充值中心");
    EXPECT_EQ(screen->navigationItem()->titleView(), screen->titlelable());
    EXPECT_EQ(screen->titlelable()->text(), "充值中心");

    // The image-and-title view (drawn in the pay-centre goldens) is tagged; popAction on the root takes it off.
    screen->SetBarTitleViewWithTitle("充值中心", ui::Image::imageNamed("VOZUV.bundle/VX_nav_back"));
    drainMain();
    auto titleView = driver::findByTag(nav->navigationBar(), VXBaseVC::BarTitleViewTag);
    ASSERT_TRUE(titleView && driver::findLabel(titleView, "充值中心"));
    screen->popAction();
    EXPECT_FALSE(driver::findByTag(nav->navigationBar(), VXBaseVC::BarTitleViewTag));
}

TEST_F(BaseScreensTest, ReturnKeyClosesTheKeyboardAndTypesNothing) {
    auto screen = ui::ViewController::create<VXBaseVC>();
    show(screen);
    auto field = ui::View::create<ui::TextField>(cg::RectMake(20, 100, 200, 30));
    screen->view()->addSubview(field);
    field->setDelegate(std::shared_ptr<ui::TextFieldDelegate>(screen, screen.get()));
    EXPECT_EQ(driver::typeText(field, "ab"), 2u);
    EXPECT_TRUE(field->isFirstResponder());
    driver::pressReturn(field);
    EXPECT_EQ(field->text(), "ab");
    EXPECT_FALSE(field->isFirstResponder());
}

TEST_F(BaseScreensTest, BaseNavFollowsTheTopScreen) {
    auto root = ui::ViewController::create();
    auto nav = ui::NavigationController::createWithRoot<VXBaseNav>(root);
    show(nav);
    EXPECT_TRUE(nav->shouldAutorotate());
    EXPECT_EQ(nav->supportedInterfaceOrientations(), root->supportedInterfaceOrientations());
    EXPECT_FALSE(nav->shouldBegin(nav->interactivePopGestureRecognizer())); // only the root

    nav->pushViewController(ui::ViewController::create<Landscape>(), true);
    EXPECT_FALSE(nav->shouldAutorotate());
    EXPECT_EQ(nav->supportedInterfaceOrientations(), unsigned(ui::InterfaceOrientationMaskLandscape));
    EXPECT_EQ(nav->preferredInterfaceOrientationForPresentation(), ui::InterfaceOrientation::LandscapeRight);
    EXPECT_FALSE(nav->shouldBegin(nav->interactivePopGestureRecognizer())); // mid-transition
    advance(0.35);
    EXPECT_TRUE(nav->shouldBegin(nav->interactivePopGestureRecognizer()));
}

} // namespace
