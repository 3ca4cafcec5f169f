#include "UIKitTestSupport.h"

#include "os/uikit/NavigationController.h"
#include "os/uikit/TabBarController.h"

using namespace uitest;

namespace {

// Logs every dismiss that reaches it, then behaves as the base class.
class DismissLoggingController : public LoggingController {
public:
    void dismissViewControllerAnimated(bool animated, Completion completion) override {
        note("dismiss");
        LoggingController::dismissViewControllerAnimated(animated, std::move(completion));
    }
};

// Like the user centre's tab bar: ignores a dismiss unless it presents something or may close.
class GuardedController : public LoggingController {
public:
    bool mayClose = false;
    void dismissViewControllerAnimated(bool animated, Completion completion) override {
        note("dismiss");
        if (presentedViewController() || mayClose) LoggingController::dismissViewControllerAnimated(animated, std::move(completion));
    }
};

class ViewControllerTest : public UIKitTest {};

TEST_F(ViewControllerTest, PresentAndDismissSendCallbacksInOrderAndCompleteOnTheClock) {
    auto a = controller("A", log);
    auto window = showWindow(a);
    EXPECT_EQ(take(log), "A.didLoad A.willAppear A.didAppear");
    auto overlay = ui::View::create(cg::RectMake(0, 0, 40, 40)); // as the floating button
    window->addSubview(overlay);

    auto b = controller("B", log);
    a->presentViewController(b, true, [this] { log->push_back("presented"); });
    EXPECT_EQ(take(log), "B.didLoad A.willDisappear B.willAppear");
    EXPECT_EQ(a->presentedViewController(), b);
    EXPECT_EQ(b->presentingViewController(), a);
    advance(0.29);
    EXPECT_EQ(take(log), "");
    advance(0.01);
    EXPECT_EQ(take(log), "A.didDisappear B.didAppear presented");
    EXPECT_EQ(a->view()->superview(), nullptr) << "full screen takes the presenter's view out";
    EXPECT_EQ(b->view()->window(), window);

    // B presents nothing: the dismiss goes to A.
    b->dismissViewControllerAnimated(true, [this] { log->push_back("dismissed"); });
    EXPECT_EQ(take(log), "B.willDisappear A.willAppear");
    EXPECT_EQ(a->presentedViewController(), b) << "the links stay until the dismissal ends";
    ns::Weak<LoggingController> weakB = b;
    auto bView = b->view();
    b.reset();
    EXPECT_FALSE(weakB.expired()) << "kept until the dismissal ends";
    advance(0.3);
    EXPECT_EQ(take(log), "B.didDisappear A.didAppear dismissed");
    EXPECT_EQ(a->presentedViewController(), nullptr);
    EXPECT_TRUE(weakB.expired()) << "then released";
    EXPECT_EQ(bView->superview(), nullptr);
    EXPECT_EQ(window->subviews(), (std::vector<ui::ViewRef>{a->view(), overlay})) << "the root comes back below";
}

TEST_F(ViewControllerTest, DismissFromAPageInsideAPresentedContainerGoesToThePresenter) {
    auto root = controller<DismissLoggingController>("root", log);
    auto window = showWindow(root);
    auto tabs = controller<GuardedController>("tabs", log);
    auto page = controller("page", log);
    auto nav = ui::NavigationController::createWithRoot(page);
    tabs->addChildViewController(nav);
    tabs->view()->addSubview(nav->view());
    nav->didMoveToParentViewController(tabs);
    root->presentViewController(tabs, true);
    advance(0.3);
    take(log);

    // Sent to the container directly while it presents nothing and may not close: ignored.
    tabs->dismissViewControllerAnimated(true, {});
    EXPECT_EQ(take(log), "tabs.dismiss");
    advance(1);
    EXPECT_EQ(root->presentedViewController(), tabs);

    // Sent to the navigation controller inside: the container's override never sees it.
    nav->dismissViewControllerAnimated(true);
    EXPECT_EQ(take(log), "root.dismiss tabs.willDisappear page.willDisappear root.willAppear");
    advance(0.3);
    EXPECT_EQ(take(log), "tabs.didDisappear page.didDisappear root.didAppear");
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(ViewControllerTest, WithoutAnimationTransitionsEndOnTheNextMainTurnAndDoublePresentsAreRefused) {
    auto a = controller("A", log);
    auto window = showWindow(a);
    auto b = controller("B", log);
    auto c = controller("C", log);
    take(log);
    a->presentViewController(b, false);
    EXPECT_EQ(take(log), "B.didLoad A.willDisappear B.willAppear");
    drainMain();
    EXPECT_EQ(take(log), "A.didDisappear B.didAppear");

    bool ran = false;
    a->presentViewController(c, false, [&] { ran = true; });
    drainMain();
    EXPECT_FALSE(ran);
    EXPECT_EQ(c->presentingViewController(), nullptr);
    EXPECT_TRUE(logContains("which is already presenting"));

    auto loose = controller("loose", log);
    loose->presentViewController(c, false);
    EXPECT_TRUE(logContains("whose view is not in the window hierarchy"));
    EXPECT_EQ(loose->presentedViewController(), nullptr);

    // The presented one may present; dismissing from the bottom takes the whole chain down.
    b->presentViewController(c, false);
    drainMain();
    EXPECT_EQ(b->presentedViewController(), c);
    take(log);
    a->dismissViewControllerAnimated(false);
    EXPECT_EQ(take(log), "C.willDisappear A.willAppear");
    drainMain();
    EXPECT_EQ(take(log), "C.didDisappear A.didAppear");
    EXPECT_EQ(a->presentedViewController(), nullptr);
    EXPECT_EQ(b->presentedViewController(), nullptr);
    EXPECT_EQ(c->view()->superview(), nullptr);
}

TEST_F(ViewControllerTest, OverFullScreenAndCustomStylesKeepThePresenterWithoutCallbacks) {
    for (auto style : {ui::ModalPresentationStyle::Custom, ui::ModalPresentationStyle::OverFullScreen}) {
            auto a = controller("A", log);
        auto window = showWindow(a);
        take(log);
        auto b = controller("B", log);
        b->setModalPresentationStyle(style);
        a->presentViewController(b, true);
        advance(0.3);
        EXPECT_EQ(take(log), "B.didLoad B.willAppear B.didAppear");
        EXPECT_EQ(a->view()->window(), window);
        b->dismissViewControllerAnimated(true);
        advance(0.3);
        EXPECT_EQ(take(log), "B.willDisappear B.didDisappear");
        window->setHidden(true);
    }
}

TEST_F(ViewControllerTest, ChildPagesGetAppearanceCallbacksWhenTheirViewJoinsOrLeavesTheWindow) {
    auto parent = controller("parent", log);
    auto window = showWindow(parent);
    take(log);
    auto child = controller("child", log);
    child->logLayout = true;
    parent->addChildViewController(child);
    EXPECT_FALSE(child->isViewLoaded()) << "adding the child loads nothing";
    parent->view()->addSubview(child->view());
    child->didMoveToParentViewController(parent);
    EXPECT_EQ(take(log), "child.didLoad child.willAppear child.willLayout child.didLayout child.didAppear");

    // Hidden with its window: the parent first, then the child.
    window->setHidden(true);
    EXPECT_EQ(take(log), "parent.willDisappear child.willDisappear parent.didDisappear child.didDisappear");
    window->setHidden(false);
    take(log);

    child->willMoveToParentViewController(nullptr);
    child->view()->removeFromSuperview();
    child->removeFromParentViewController();
    EXPECT_EQ(take(log), "child.willDisappear child.didDisappear");
    EXPECT_EQ(child->parentViewController(), nullptr);
    EXPECT_TRUE(parent->childViewControllers().empty());
}

} // namespace
