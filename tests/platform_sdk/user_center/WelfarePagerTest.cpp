// The welfare tab: the pager's switch and lazily shown pages, its place on both kinds of phone,
// and the welfare page's folding VIP table and text. Captures the tab's screens.

#include "os/uikit/TabBarController.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXActivityCell.h"
#include "platform_sdk/user_center/VXActivityVC.h"
#include "platform_sdk/user_center/VXRefreshViewController.h"
#include "platform_sdk/user_center/VXGiftCell.h"
#include "platform_sdk/user_center/VXGiftVC.h"
#include "platform_sdk/user_center/VXServerVC.h"
#include "platform_sdk/user_center/VXSuWelfareVC.h"
#include "platform_sdk/user_center/VXWelfareVC.h"
#include "platform_sdk/user_center/VXWelfareVipCell.h"
#include "server/WelfareArea.h"
#include "tests/platform_sdk/user_center/UserCentreFixture.h"
#include "widgets/UIColor+XTExtention.h"

#include <algorithm>
#include <cmath>

namespace {

namespace driver = ui::driver;
using vx::test::UserCentreTest;

ns::Value fuliReply(int levels, const std::string& text) {
    ns::Array vip;
    for (int i = 1; i <= levels; ++i) vip.push_back(ns::Dictionary{{"item1", "VIP" + std::to_string(i)}, {"item2", "100元"}});
    return ns::Dictionary{{"a", 1}, {"b", ""}, {"c", ns::Dictionary{{"fanli", "返利"}, {"vipList", vip}, {"box_content", text}}}};
}

class WelfarePagerTest : public UserCentreTest {
protected:
    // Shows the tab and waits for the welfare page's reply (its rows, unless told what else to wait for).
    ns::Ref<VXSuWelfareVC> open(std::function<bool()> replied = {}) {
        pager = ui::ViewController::create<VXSuWelfareVC>();
        present(pager);
        page = std::dynamic_pointer_cast<VXWelfareVC>(pager->childViewControllers().at(0));
        EXPECT_TRUE(runMainUntil(replied ? replied : [&] { return !page->dataSource().empty(); }));
        settle();
        drainMain();
        return pager;
    }
    // Scrolls the welfare page so that the view is on screen, as a player would.
    void reveal(const ui::ViewRef& view) {
        auto scroll = driver::find<ui::ScrollView>(page->view());
        cg::Point at = view->convertPointToView({0, 0}, scroll.get());
        double y = std::clamp(at.y - 40, 0.0, std::max(0.0, scroll->maximumContentOffset().y));
        scroll->setContentOffset({0, y}, false);
        drainMain();
    }
    std::vector<std::string> paths() {
        std::vector<std::string> out;
        for (const auto& r : server.requests()) out.push_back(r.path);
        return out;
    }
    ui::ButtonRef switchButton(long tag) {
        return std::dynamic_pointer_cast<ui::Button>(pager->topView()->viewWithTag(tag));
    }
    double tableHeight() { return page->tableViewH.lock()->constant(); }
    ns::Ref<VXSuWelfareVC> pager;
    ns::Ref<VXWelfareVC> page;
};

TEST_F(WelfarePagerTest, PagesLoadWhenFirstShown) {
    open();
    EXPECT_EQ(paths(), std::vector<std::string>{"Sdkdetail/fuli"});
    auto fuli = server.requests("Sdkdetail/fuli").at(0).params;
    EXPECT_EQ(fuli["username"].description(), "player01");
    EXPECT_EQ(fuli["gid"].description(), "1001");
    EXPECT_EQ(pager->nowBtn(), switchButton(10));

    driver::tap(switchButton(12));
    EXPECT_TRUE(switchButton(12)->isSelected());
    EXPECT_FALSE(switchButton(10)->isSelected());
    settle();
    EXPECT_FALSE(pager->childViewControllers()[2]->isViewLoaded()); // not before the scroll has ended
    advance(0.3);
    ASSERT_TRUE(awaitRequests("Sdkdetail/card"));
    auto width = pager->scrollView()->bounds().size.width;
    EXPECT_EQ(pager->childViewControllers()[2]->view()->frame().origin.x, 2 * width);
    EXPECT_FALSE(pager->childViewControllers()[1]->isViewLoaded());

    driver::tap(switchButton(12)); // the selected one: nothing
    advance(0.3);
    EXPECT_EQ(pager->scrollView()->contentOffset().x, 2 * width);

    // A swipe to the last page selects "开服" without another scroll, and loads the server list.
    driver::swipeToPage(pager->scrollView(), 3);
    EXPECT_EQ(pager->nowBtn(), switchButton(13));
    EXPECT_EQ(pager->scrollView()->contentOffset().x, 3 * width);
    ASSERT_TRUE(awaitRequests("Server/lists2"));
    EXPECT_FALSE(pager->childViewControllers()[1]->isViewLoaded());
}

TEST_F(WelfarePagerTest, SwitchAndPagesSitByThePhone) {
    struct Case {
        ui::DeviceProfile profile;
        double switchY, bottom;
    } cases[] = {{ui::DeviceProfile::notchPortrait(), 109, 83},
                 {ui::DeviceProfile::plainPhone(), 85, 49},
                 {ui::DeviceProfile::notchPortrait().withSystemVersion("10.3"), 85, 49}};
    for (const auto& c : cases) {
        useProfile(c.profile);
        auto welfare = ui::ViewController::create<VXSuWelfareVC>();
        present(welfare);
        cg::Rect screen = ui::Screen::mainScreen().bounds();
        EXPECT_EQ(welfare->topView()->frame().origin.y, c.switchY) << c.profile.systemVersion;
        EXPECT_EQ(welfare->topView()->frame().size.width, screen.size.width - 64);
        EXPECT_EQ(welfare->topView()->center().x, screen.size.width / 2);
        cg::Rect pages = welfare->scrollView()->frame();
        EXPECT_EQ(pages.origin.y, c.switchY + 36 + 21);
        EXPECT_EQ(screen.size.height - pages.origin.y - pages.size.height, c.bottom) << c.profile.systemVersion;
        EXPECT_EQ(welfare->scrollView()->contentSize().width, 4 * screen.size.width);
        navigation->dismissViewControllerAnimated(false);
        advance(0.3);
        settle();
    }
}

TEST_F(WelfarePagerTest, BackClosesTheUserCentre) {
    CXRHelperBtn::hide();
    open();
    driver::tap(pager->backBtn());
    advance(0.3);
    EXPECT_FALSE(game->presentedViewController());
    EXPECT_FALSE(CXRHelperBtn::shared()->isHidden());

    // Hidden by the shared state, the button stays away.
    CXRHelperBtn::hide();
    ShareVale::sharedInstance()->setIsHideSuspend(true);
    open();
    driver::tap(pager->backBtn());
    advance(0.3);
    EXPECT_FALSE(game->presentedViewController());
    EXPECT_TRUE(CXRHelperBtn::shared()->isHidden());
    ShareVale::sharedInstance()->setIsHideSuspend(false);
}

TEST_F(WelfarePagerTest, AnUnsizedPagerShowsNothing) {
    open();
    auto unsized = ui::View::create<ui::ScrollView>();
    unsized->setContentOffset({500, 0}, false);
    pager->didEndScrollingAnimation(unsized);
    pager->didEndDecelerating(unsized);
    EXPECT_TRUE(unsized->subviews().empty());
    EXPECT_EQ(pager->nowBtn(), switchButton(10));
}

TEST_F(WelfarePagerTest, VipTableFoldsFromFourRows) {
    struct Case {
        int levels;
        double height;
        bool foldable;
    } cases[] = {{2, 132, false}, {3, 176, true}, {6, 308, true}};
    for (const auto& c : cases) {
        server.scriptNext("Sdkdetail/fuli", reply(fuliReply(c.levels, "一行")));
        open();
        ASSERT_EQ(page->dataSource().size(), size_t(c.levels + 1));
        EXPECT_EQ(tableHeight(), c.height);
        auto fold = page->vipBtn.lock();
        EXPECT_EQ(fold->isHidden(), !c.foldable);
        if (!c.foldable) {
            EXPECT_EQ(page->tableViewBottom.lock()->constant(), 0);
        } else {
            EXPECT_TRUE(fold->isSelected());
            reveal(fold);
            driver::tap(fold);
            EXPECT_EQ(tableHeight(), 176);
            driver::tap(fold);
            EXPECT_EQ(tableHeight(), c.height);
        }
        navigation->dismissViewControllerAnimated(false);
        advance(0.3);
    }
    auto first = driver::cell<VXWelfareVipCell>(page->tableView.lock(), {0, 0});
    auto heading = std::dynamic_pointer_cast<ui::Label>(first->contentView()->viewWithTag(10));
    EXPECT_EQ(heading->text(), "等级");
    EXPECT_EQ(heading->textColor()->cgColor(), XTExtention::colorWithHexString("#4816CA")->cgColor());
}

TEST_F(WelfarePagerTest, WelfareTextFoldsFromFourLines) {
    server.scriptNext("Sdkdetail/fuli", reply(fuliReply(1, "\n  第一行\n第二行\n第三行 \n")));
    open();
    auto text = page->fuliL.lock();
    EXPECT_EQ(text->text(), "第一行\n第二行\n第三行");
    EXPECT_EQ(text->rows(), 3);
    EXPECT_EQ(page->fuliH.lock()->constant(), text->maxHeight());
    EXPECT_TRUE(page->fuliBtn.lock()->isHidden());
    EXPECT_EQ(page->fuliBottom.lock()->constant(), 16);
    navigation->dismissViewControllerAnimated(false);
    advance(0.3);

    server.scriptNext("Sdkdetail/fuli", reply(fuliReply(1, "第一行\n第二行\n第三行\n第四行")));
    open();
    text = page->fuliL.lock();
    double threeLines = std::ceil(3 * text->font()->lineHeight());
    EXPECT_EQ(page->fuliH.lock()->constant(), threeLines);
    auto fold = page->fuliBtn.lock();
    EXPECT_FALSE(fold->isHidden());
    EXPECT_FALSE(fold->isSelected());
    reveal(fold);
    driver::tap(fold);
    EXPECT_EQ(page->fuliH.lock()->constant(), text->maxHeight());
    driver::tap(fold);
    EXPECT_EQ(page->fuliH.lock()->constant(), threeLines);
}

TEST_F(WelfarePagerTest, WrongTypesRefusalsAndFailures) {
    server.scriptNext("Sdkdetail/fuli", jsonText(R"({"a":"1","c":{"fanli":5,"vipList":{"x":1},"box_content":["x"]}})"));
    open();
    EXPECT_EQ(page->dataSource().size(), 1u);
    EXPECT_EQ(page->fanliL.lock()->text(), "5");
    for (auto [answer, toast] : {std::pair{reply(ns::Dictionary{{"a", 0}, {"b", "活动未开启"}}), "活动未开启"},
                                 std::pair{dropped(), "服务器错误"}}) {
        navigation->dismissViewControllerAnimated(false);
        advance(0.3);
        server.scriptNext("Sdkdetail/fuli", answer);
        const char* shown = toast; // a lambda cannot capture a structured binding on clang 14
        open([&] { return driver::findLabel(page->view(), shown) != nullptr; });
        EXPECT_TRUE(page->dataSource().empty()) << toast;
    }
}

TEST_F(WelfarePagerTest, RebateButtonOpensCustomerService) {
    pager = ui::ViewController::create<VXSuWelfareVC>();
    auto tabs = ui::ViewController::create<ui::TabBarController>();
    std::vector<ui::ViewControllerRef> pages{ui::NavigationController::createWithRoot<VXNavigationController>(pager)};
    for (int i = 0; i < 4; ++i) pages.push_back(ui::ViewController::create());
    tabs->setViewControllers(pages);
    game->presentViewController(tabs, false);
    advance(0.3);
    page = std::dynamic_pointer_cast<VXWelfareVC>(pager->childViewControllers().at(0));
    ASSERT_TRUE(runMainUntil([&] { return !page->dataSource().empty(); }));
    drainMain();
    driver::tap(page->fanliBtn.lock());
    EXPECT_EQ(tabs->selectedIndex(), 4u);
}

TEST_F(WelfarePagerTest, TheTabsScreens) {
    open();
    ASSERT_FALSE(page->dataSource().empty());
    EXPECT_EQ(tableHeight(), 44 * 7);
    expectMatchesGolden("uc-welfare-unfolded");
    reveal(page->vipBtn.lock());
    driver::tap(page->vipBtn.lock());
    reveal(page->fuliBtn.lock());
    expectMatchesGolden("uc-welfare-folded");
    driver::tap(page->fuliBtn.lock());
    drainMain();
    expectMatchesGolden("uc-welfare-text-unfolded");
}

TEST_F(WelfarePagerTest, TheTabOnAPhoneWithAHomeIndicator) {
    useProfile(ui::DeviceProfile::notchPortrait());
    open();
    expectMatchesGolden("uc-welfare-unfolded-notch");
}

TEST_F(WelfarePagerTest, TheActivitiesEmptyState) {
    server.withState([](vx::server::PlatformServer::State& s) { vx::server::welfareArea(s).gamesWithoutActivities.insert("1001"); });
    open();
    auto activities = std::dynamic_pointer_cast<VXActivityVC>(pager->childViewControllers()[1]);
    driver::tap(switchButton(11));
    advance(0.3);
    ASSERT_TRUE(runMainUntil([&] { return activities->tempView()->superview() != nullptr; }));
    drainMain();
    expectMatchesGolden("uc-welfare-activities-empty");
}

TEST_F(WelfarePagerTest, TheOtherPagesScreens) {
    open();
    auto activities = std::dynamic_pointer_cast<VXRefreshViewController>(pager->childViewControllers()[1]);
    driver::tap(switchButton(11));
    advance(0.3);
    ASSERT_TRUE(runMainUntil([&] { return activities->dataSource().size() == 10; }));
    drainMain();
    auto first = driver::cell<VXActivityCell>(activities->tableView(), {0, 0});
    auto second = driver::cell<VXActivityCell>(activities->tableView(), {0, 1});
    ASSERT_TRUE(runMainUntil([&] { return first->picView->image() && second->picView->image(); }));
    drainMain();
    expectMatchesGolden("uc-welfare-activities");

    // An article opens in the web page, pushed over the tab.
    driver::selectRow(activities->tableView(), {0, 0});
    advance(0.35);
    auto article = std::dynamic_pointer_cast<VXSuWebVC>(navigation->topViewController());
    ASSERT_TRUE(article);
    if (auto web = article->webView.lock()) driver::finishLoad(web);
    drainMain();
    expectMatchesGolden("uc-welfare-article");
    driver::tap(article->backBtn());
    advance(0.35);

    auto gifts = std::dynamic_pointer_cast<VXGiftVC>(pager->childViewControllers()[2]);
    driver::tap(switchButton(12));
    advance(0.3);
    ASSERT_TRUE(runMainUntil([&] { return gifts->dataSource().size() == 3; }));
    drainMain();
    driver::tap(driver::cell<VXGiftCell>(gifts->tableView.lock(), {0, 0})->btn);
    ASSERT_TRUE(runMainUntil([&] { return gifts->dataSource()[0]["status"].boolValue(); }));
    drainMain();
    advance(2.5); // the claim's toast has faded
    expectMatchesGolden("uc-welfare-gifts-claimed");

    auto servers = std::dynamic_pointer_cast<VXServerVC>(pager->childViewControllers()[3]);
    driver::swipeToPage(pager->scrollView(), 3);
    ASSERT_TRUE(runMainUntil([&] { return servers->dataSource().size() == 10; }));
    drainMain();
    expectMatchesGolden("uc-welfare-servers");
    auto table = servers->tableView.lock();
    while (servers->dataSource().size() < 25) {
        size_t before = servers->dataSource().size();
        driver::scrollToEnd(table);
        ASSERT_TRUE(runMainUntil([&] { return servers->dataSource().size() > before; }));
        drainMain();
        table->setContentOffset({0, table->contentOffset().y - 50}, false);
    }
    driver::scrollToEnd(table);
    drainMain();
    expectMatchesGolden("uc-welfare-servers-end");
}

} // namespace
