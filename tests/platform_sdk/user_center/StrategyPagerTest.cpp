// The strategy tab: the 240 pt switch over lazily shown pages (guides, comments), its place on both
// kinds of phone, and its back button closing the user centre.
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/user_center/VXPingVC.h"
#include "platform_sdk/user_center/VXStrategyVC.h"
#include "platform_sdk/user_center/VXSuStrategyVC.h"
#include "tests/platform_sdk/user_center/ListScreenFixture.h"

namespace {

namespace driver = ui::driver;

class StrategyPagerTest : public vx::test::ListScreenTest {
protected:
    VXSuStrategyVCRef open() {
        pager = ui::ViewController::create<VXSuStrategyVC>();
        present(pager);
        answered("Sdkdetail/gonglue");
        return pager;
    }
    ui::ButtonRef switchButton(long tag) { return std::dynamic_pointer_cast<ui::Button>(pager->topView()->viewWithTag(tag)); }
    std::vector<std::string> paths() {
        std::vector<std::string> out;
        for (const auto& r : server.requests()) out.push_back(r.path);
        return out;
    }
    VXSuStrategyVCRef pager;
};

TEST_F(StrategyPagerTest, CommentsLoadWhenFirstShown) {
    ASSERT_NO_FATAL_FAILURE(open());
    EXPECT_EQ(paths(), std::vector<std::string>{"Sdkdetail/gonglue"});
    ASSERT_EQ(pager->childViewControllers().size(), 2u);
    EXPECT_TRUE(std::dynamic_pointer_cast<VXStrategyVC>(pager->childViewControllers()[0]));
    auto comments = std::dynamic_pointer_cast<VXPingVC>(pager->childViewControllers()[1]);
    ASSERT_TRUE(comments);
    EXPECT_FALSE(comments->isViewLoaded());
    EXPECT_EQ(switchButton(10)->titleForState(ui::ControlStateNormal), "攻略");
    EXPECT_EQ(switchButton(11)->titleForState(ui::ControlStateNormal), "评论");
    shoot("uc-strategy-list");

    driver::tap(switchButton(11));
    EXPECT_TRUE(switchButton(11)->isSelected());
    EXPECT_FALSE(switchButton(10)->isSelected());
    EXPECT_FALSE(comments->isViewLoaded()) << "not before the scroll has ended";
    advance(0.3);
    ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/get"));
    double width = pager->scrollView()->bounds().size.width;
    EXPECT_EQ(comments->view()->frame(), cg::RectMake(width, 0, width, pager->scrollView()->bounds().size.height));
    // The page laid itself out when it appeared.
    EXPECT_EQ(comments->tableView()->frame().origin.y, 84);
    EXPECT_EQ(cg::RectGetMaxY(comments->commentInputView()->frame()), comments->view()->bounds().size.height);
    shoot("uc-strategy-comments-tab");

    // Swiping back and forth (the pager pieces the welfare tab's test walks) loads nothing again.
    driver::swipeToPage(pager->scrollView(), 0);
    EXPECT_EQ(pager->nowBtn(), switchButton(10));
    driver::swipeToPage(pager->scrollView(), 1);
    settle();
    EXPECT_EQ(server.requests("Sdkcomments/get").size(), 1u) << "each page loads once";
}

TEST_F(StrategyPagerTest, ASwipeAloneLoadsTheComments) {
    ASSERT_NO_FATAL_FAILURE(open());
    driver::swipeToPage(pager->scrollView(), 1);
    ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/get"));
    EXPECT_EQ(pager->nowBtn(), switchButton(11));
    EXPECT_EQ(server.requests("Sdkcomments/get").size(), 1u);
}

TEST_F(StrategyPagerTest, SwitchAndPagesSitByThePhone) {
    struct Case {
        ui::DeviceProfile profile;
        double switchY;
    } cases[] = {{notch(), 109}, {plain(), 85}, {notch().withSystemVersion("10.3"), 85}};
    for (const auto& c : cases) {
        useProfile(c.profile);
        auto strategy = ui::ViewController::create<VXSuStrategyVC>();
        present(strategy);
        cg::Rect screen = ui::Screen::mainScreen().bounds();
        EXPECT_EQ(strategy->topView()->frame().origin.y, c.switchY) << c.profile.systemVersion;
        EXPECT_EQ(strategy->topView()->frame().size.width, 240);
        EXPECT_EQ(strategy->topView()->center().x, screen.size.width / 2);
        auto second = std::dynamic_pointer_cast<ui::Button>(strategy->topView()->viewWithTag(11));
        EXPECT_EQ(second->frame(), cg::RectMake(120, 0, 120, 36));
        // The pages under it come from the pager pieces the welfare tab's test measures.
        EXPECT_EQ(strategy->scrollView()->frame().origin.y, c.switchY + 36 + 21);
        navigation->dismissViewControllerAnimated(false);
        advance(0.3);
        settle();
    }
}

// The hidden-button case of the shared closing step is the welfare tab's test.
TEST_F(StrategyPagerTest, BackClosesTheUserCentreAndShowsTheButton) {
    ASSERT_NO_FATAL_FAILURE(open());
    CXRHelperBtn::hide();
    driver::tap(pager->backBtn());
    advance(0.3);
    settle();
    EXPECT_FALSE(game->presentedViewController());
    EXPECT_FALSE(CXRHelperBtn::shared()->isHidden());
}

} // namespace
