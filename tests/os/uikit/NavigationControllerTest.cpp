#include "UIKitTestSupport.h"

#include "os/uikit/NavigationController.h"
#include "os/uikit/TabBarController.h"

using namespace uitest;

namespace {

// Like the SDK's navigation controller: pushes after the first get a back item and hide the bottom bar.
class BackItemNavigation : public ui::NavigationController {
public:
    int pushes = 0;
    void pushViewController(const ui::ViewControllerRef& controller, bool) override {
        ++pushes;
        if (!viewControllers().empty()) {
            controller->navigationItem()->setLeftBarButtonItem(
                ui::BarButtonItem::withCustomView(ui::View::create(cg::RectMake(0, 0, 25, 25))));
            controller->setHidesBottomBarWhenPushed(true);
        }
        ui::NavigationController::pushViewController(controller, true);
    }
};

class NavigationControllerTest : public UIKitTest {};

TEST_F(NavigationControllerTest, PushAndPopSendCallbacksAndEndAfterTheTransition) {
    auto a = controller("A", log);
    auto nav = ui::NavigationController::createWithRoot(a);
    auto window = showWindow(nav);
    EXPECT_EQ(take(log), "A.didLoad A.willAppear A.didAppear");

    ns::Weak<LoggingController> weakB;
    {
        auto b = controller("B", log);
        weakB = b;
        nav->pushViewController(b, true);
    }
    EXPECT_EQ(take(log), "B.didLoad A.willDisappear B.willAppear");
    EXPECT_TRUE(nav->isTransitioning());
    EXPECT_EQ(nav->topViewController(), weakB.lock()) << "the stack changes at once";
    advance(0.34);
    EXPECT_EQ(take(log), "");
    advance(0.01);
    EXPECT_EQ(take(log), "A.didDisappear B.didAppear");
    EXPECT_EQ(a->view()->superview(), nullptr);
    EXPECT_EQ(nav->navigationBar()->backButton()->superview(), nav->navigationBar());

    bool ended = false;
    auto popped = nav->popViewControllerAnimated(true);
    nav->whenTransitionEnds([&] { ended = true; });
    EXPECT_EQ(popped, weakB.lock());
    popped.reset();
    EXPECT_EQ(take(log), "B.willDisappear A.willAppear");
    advance(0.35);
    EXPECT_TRUE(ended);
    EXPECT_EQ(take(log), "B.didDisappear A.didAppear");
    EXPECT_TRUE(weakB.expired()) << "a popped screen is released once the pop ends";
    EXPECT_EQ(nav->popViewControllerAnimated(true), nullptr) << "the root stays";
}

TEST_F(NavigationControllerTest, PopToRootGivesCallbacksOnlyToTheTopAndFinishesARunningPush) {
    auto a = controller("A", log);
    auto nav = ui::NavigationController::createWithRoot(a);
    auto window = showWindow(nav);
    auto b = controller("B", log);
    auto c = controller("C", log);
    nav->pushViewController(b, true);
    nav->pushViewController(c, true); // ends B's push at once
    advance(0.35);
    take(log);

    auto popped = nav->popToRootViewControllerAnimated(false);
    ASSERT_EQ(popped.size(), 2u);
    EXPECT_EQ(popped[0], b);
    EXPECT_EQ(popped[1], c);
    EXPECT_EQ(take(log), "C.willDisappear A.willAppear");
    drainMain();
    EXPECT_EQ(take(log), "C.didDisappear A.didAppear");
    EXPECT_EQ(b->parentViewController(), nullptr);
}

TEST_F(NavigationControllerTest, TheRootGoesThroughTheSubclassPushAndTheTabBarHidesForAScreenThatHidesIt) {
    auto tabs = ui::ViewController::create<ui::TabBarController>();
    auto root = controller("root", log);
    auto nav = ui::NavigationController::createWithRoot<BackItemNavigation>(root);
    EXPECT_EQ(nav->pushes, 1);
    EXPECT_EQ(root->navigationItem()->leftBarButtonItem(), nullptr) << "the root gets no back item";
    tabs->addChildViewController(nav);
    auto window = showWindow(tabs);
    EXPECT_FALSE(tabs->tabBar()->isHidden());
    auto detail = controller("detail", log);
    nav->pushViewController(detail, true);
    EXPECT_NE(detail->navigationItem()->leftBarButtonItem(), nullptr);
    EXPECT_TRUE(tabs->tabBar()->isHidden());
    advance(0.35);
    nav->popViewControllerAnimated(true);
    EXPECT_FALSE(tabs->tabBar()->isHidden());
}

TEST_F(NavigationControllerTest, TheBarHostsTheTopItemsViewsSoTagsFindThem) {
    auto root = controller("root", log);
    auto title = ui::View::create(cg::RectMake(0, 0, 120, 30));
    title->setTag(10001);
    root->navigationItem()->setTitleView(title);
    auto right = ui::View::create(cg::RectMake(0, 0, 25, 25));
    root->navigationItem()->setRightBarButtonItem(ui::BarButtonItem::withCustomView(right));
    auto nav = ui::NavigationController::createWithRoot(root);
    auto window = showWindow(nav);

    EXPECT_EQ(nav->navigationBar()->viewWithTag(10001), title);
    EXPECT_EQ(title->center().x, nav->navigationBar()->bounds().size.width / 2);
    EXPECT_EQ(right->superview(), nav->navigationBar());
    title->removeFromSuperview();
    EXPECT_EQ(nav->navigationBar()->viewWithTag(10001), nullptr);
}

} // namespace
