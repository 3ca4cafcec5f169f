#include "UIKitTestSupport.h"

#include "os/uikit/NavigationController.h"
#include "os/uikit/TabBarController.h"

using namespace uitest;

namespace {

class TabBarControllerTest : public UIKitTest {};

TEST_F(TabBarControllerTest, OnlyTheSelectedTabLoadsAndSwitchingSendsCallbacksAtOnce) {
    auto tabs = ui::ViewController::create<ui::TabBarController>();
    std::vector<ns::Ref<LoggingController>> pages;
    for (const char* name : {"mine", "welfare", "tasks"}) {
        auto page = controller(name, log);
        page->tabBarItem()->setTitle(std::string(name));
        tabs->addChildViewController(page);
        pages.push_back(page);
    }
    auto window = showWindow(tabs);
    EXPECT_EQ(take(log), "mine.didLoad mine.willAppear mine.didAppear");
    EXPECT_FALSE(pages[1]->isViewLoaded());
    EXPECT_FALSE(pages[2]->isViewLoaded());
    EXPECT_EQ(pages[2]->tabBarController(), tabs);

    tabs->setSelectedIndex(2);
    EXPECT_EQ(take(log), "tasks.didLoad mine.willDisappear tasks.willAppear mine.didDisappear tasks.didAppear");
    EXPECT_FALSE(pages[1]->isViewLoaded()) << "the tab in between stays unloaded";
    EXPECT_EQ(tabs->selectedViewController(), pages[2]);
    EXPECT_EQ(tabs->tabBar()->selectedItem(), pages[2]->tabBarItem());

    tabs->setSelectedIndex(7);
    EXPECT_EQ(tabs->selectedIndex(), 2u) << "out of range is ignored";

    // A person taps the first item button.
    ASSERT_EQ(tabs->tabBar()->itemButtons().size(), 3u);
    tabs->view()->layoutIfNeeded();
    tap(tabs->tabBar()->itemButtons()[0]);
    EXPECT_EQ(tabs->selectedIndex(), 0u);
    EXPECT_EQ(take(log), "tasks.willDisappear mine.willAppear tasks.didDisappear mine.didAppear");
}

TEST_F(TabBarControllerTest, SwitchingReachesThePagesInsideEachTabsNavigation) {
    auto tabs = ui::ViewController::create<ui::TabBarController>();
    auto first = controller("first", log);
    auto second = controller("second", log);
    auto firstNav = ui::NavigationController::createWithRoot(first);
    tabs->addChildViewController(firstNav);
    tabs->addChildViewController(ui::NavigationController::createWithRoot(second));
    EXPECT_EQ(firstNav->tabBarItem(), first->tabBarItem()) << "a navigation shows its first screen's tab item";
    auto own = ui::TabBarItem::withTitle(std::string("own"), nullptr, nullptr);
    firstNav->setTabBarItem(own);
    EXPECT_EQ(firstNav->tabBarItem(), own);
    auto window = showWindow(tabs);
    take(log);
    tabs->setSelectedIndex(1);
    EXPECT_EQ(take(log), "second.didLoad first.willDisappear second.willAppear first.didDisappear second.didAppear");
    EXPECT_EQ(second->navigationController()->tabBarController(), tabs);
}

} // namespace
