#include "WidgetTestSupport.h"

#include "os/uikit/Driver.h"
#include "widgets/UIScrollView+VXRefresh.h"
#include "widgets/VXRefreshAutoNormalFooter.h"
#include "widgets/VXRefreshNormalHeader.h"

using namespace widgettest;
namespace driver = ui::driver;

namespace {

class RefreshTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        list = ui::View::create<ui::ScrollView>(cg::RectMake(0, 64, 375, 600));
        list->setContentSize({375, 1000});
        rootView()->addSubview(list);
    }

    // A header whose block counts its calls.
    VXRefreshNormalHeaderRef installHeader() {
        auto header = VXRefreshNormalHeader::headerWithRefreshingBlock([this] { ++headerCalls; });
        VXRefresh::setVX_header(list, header);
        return header;
    }
    VXRefreshAutoNormalFooterRef installFooter() {
        auto footer = VXRefreshAutoNormalFooter::footerWithRefreshingBlock([this] { ++footerCalls; });
        VXRefresh::setVX_footer(list, footer);
        return footer;
    }

    ui::ScrollViewRef list;
    int headerCalls = 0;
    int footerCalls = 0;
};

TEST_F(RefreshTest, HeaderRefreshesOnlyWhenReleasedPastItsHeight) {
    auto header = installHeader();
    EXPECT_EQ(header->frame(), cg::RectMake(0, -VXRefreshHeader::Height, 375, VXRefreshHeader::Height));

    driver::pullDown(list, 40); // not far enough
    EXPECT_EQ(header->state(), VXRefreshStateIdle);
    driver::release(list);
    EXPECT_EQ(header->state(), VXRefreshStateIdle);
    EXPECT_EQ(headerCalls, 0);

    driver::pullDown(list, 80);
    EXPECT_EQ(header->state(), VXRefreshStatePulling);
    EXPECT_EQ(header->stateLabel()->text(), "释放即可刷新");
    EXPECT_EQ(headerCalls, 0); // still holding
    driver::pullDown(list, -40); // back above the line before letting go
    EXPECT_EQ(header->state(), VXRefreshStateIdle);
    driver::pullDown(list, 40);
    EXPECT_EQ(header->state(), VXRefreshStatePulling);
    driver::release(list);
    EXPECT_EQ(header->state(), VXRefreshStateRefreshing);
    EXPECT_TRUE(header->isRefreshing());
    EXPECT_EQ(headerCalls, 1);
    // The header stays in view while the load runs.
    EXPECT_EQ(list->contentInset().top, VXRefreshHeader::Height);
    EXPECT_EQ(list->contentOffset().y, -VXRefreshHeader::Height);
    EXPECT_TRUE(header->loadingView()->isAnimating());
    EXPECT_TRUE(header->arrowView()->isHidden());

    // A pull while refreshing starts nothing more.
    driver::pullDown(list, 100);
    driver::release(list);
    EXPECT_EQ(headerCalls, 1);
}

// Asked to refresh before it is on screen, a header already counts as refreshing; it refreshes
// once it reaches a window.
TEST_F(RefreshTest, HeaderOutsideAWindowIsRefreshingWhileItWaitsForOne) {
    auto offscreen = ui::View::create<ui::ScrollView>(cg::RectMake(0, 64, 375, 600));
    offscreen->setContentSize({375, 1000});
    auto header = VXRefreshNormalHeader::headerWithRefreshingBlock([this] { ++headerCalls; });
    VXRefresh::setVX_header(offscreen, header);
    header->beginRefreshing();
    EXPECT_EQ(header->state(), VXRefreshStateWillRefresh);
    EXPECT_TRUE(header->isRefreshing());
    EXPECT_EQ(headerCalls, 0);

    rootView()->addSubview(offscreen);
    EXPECT_EQ(header->state(), VXRefreshStateRefreshing);
    EXPECT_TRUE(header->isRefreshing());
    advance(1); // the block runs once the inset has moved
    EXPECT_EQ(headerCalls, 1);
}

TEST_F(RefreshTest, HeaderEndsRefreshingOnTheNextMainQueueTurn) {
    auto header = installHeader();
    driver::pullDown(list, 90);
    driver::release(list);
    ASSERT_EQ(header->state(), VXRefreshStateRefreshing);
    EXPECT_EQ(header->lastUpdatedTimeLabel()->text(), "上次刷新：从未刷新");

    header->endRefreshing();
    EXPECT_EQ(header->state(), VXRefreshStateRefreshing);
    drainMain();
    EXPECT_EQ(header->state(), VXRefreshStateIdle);
    EXPECT_FALSE(header->isRefreshing());
    EXPECT_EQ(list->contentInset().top, 0);
    EXPECT_EQ(list->contentOffset().y, 0);
    ASSERT_TRUE(header->lastUpdatedTime());
    EXPECT_EQ(*header->lastUpdatedTime(), vx::test::ManualWallStart + 0.5);
    EXPECT_EQ(header->lastUpdatedTimeLabel()->text()->rfind("上次刷新：今天 ", 0), 0u);
}

TEST_F(RefreshTest, HiddenStateLabelLeavesTheLastUpdatedLabelTheWholeStrip) {
    auto header = installHeader();
    header->stateLabel()->setHidden(true);
    header->layoutIfNeeded();
    EXPECT_EQ(header->lastUpdatedTimeLabel()->frame(), header->bounds());
    EXPECT_LT(header->arrowView()->center().x, 375 / 2.0);
}

TEST_F(RefreshTest, FooterLoadsAtTheEndUntilThereIsNoMoreData) {
    auto footer = installFooter();
    footer->setTitle("已全部加载完毕", VXRefreshStateNoMoreData);
    EXPECT_EQ(list->contentInset().bottom, VXRefreshFooter::Height);
    EXPECT_EQ(footer->frame().origin.y, 1000);

    driver::pullDown(list, -200); // part of the way
    driver::release(list);
    EXPECT_EQ(footer->state(), VXRefreshStateIdle);
    driver::scrollToEnd(list);
    EXPECT_EQ(footer->state(), VXRefreshStateRefreshing);
    EXPECT_EQ(footer->stateLabel()->text(), "加载中…");
    EXPECT_EQ(footerCalls, 1);
    driver::scrollToEnd(list);
    EXPECT_EQ(footerCalls, 1);

    // More rows arrived: the footer moves down and is idle at once.
    list->setContentSize({375, 1600});
    footer->endRefreshing();
    EXPECT_EQ(footer->state(), VXRefreshStateIdle);
    EXPECT_EQ(footer->frame().origin.y, 1600);
    driver::scrollToEnd(list);
    EXPECT_EQ(footerCalls, 2);

    footer->endRefreshingWithNoMoreData();
    EXPECT_EQ(footer->state(), VXRefreshStateNoMoreData);
    EXPECT_FALSE(footer->isRefreshing());
    EXPECT_EQ(footer->stateLabel()->text(), "已全部加载完毕");
    driver::pullDown(list, 300);
    driver::release(list);
    driver::scrollToEnd(list);
    EXPECT_EQ(footerCalls, 2);

    footer->resetNoMoreData();
    EXPECT_EQ(footer->state(), VXRefreshStateIdle);
    driver::pullDown(list, 300);
    driver::release(list);
    driver::scrollToEnd(list);
    EXPECT_EQ(footerCalls, 3);
}

TEST_F(RefreshTest, ShortListLoadsMoreWhenPushedUpAndReleased) {
    list->setContentSize({375, 200});
    auto footer = installFooter();
    driver::pullDown(list, -30);
    EXPECT_EQ(footer->state(), VXRefreshStateIdle); // not while the finger is down
    driver::release(list);
    EXPECT_EQ(footer->state(), VXRefreshStateRefreshing);
    EXPECT_EQ(footerCalls, 1);
}

TEST_F(RefreshTest, TitlesPerStateAndNilTitles) {
    auto footer = installFooter();
    footer->setTitle(std::nullopt, VXRefreshStateIdle);
    EXPECT_EQ(footer->stateLabel()->text(), "上拉加载更多");
    footer->setTitle("点我", VXRefreshStateIdle); // the current state: shown at once
    EXPECT_EQ(footer->stateLabel()->text(), "点我");
    footer->setTitle("完", VXRefreshStateNoMoreData);
    EXPECT_EQ(footer->stateLabel()->text(), "点我");
    footer->endRefreshingWithNoMoreData();
    EXPECT_EQ(footer->stateLabel()->text(), "完");
}

TEST_F(RefreshTest, AttachingReplacesRemovesAndGivesTheInsetBack) {
    auto first = installFooter();
    auto second = installFooter();
    EXPECT_EQ(VXRefresh::VX_footer(list), second);
    EXPECT_FALSE(first->superview());
    EXPECT_EQ(list->contentInset().bottom, VXRefreshFooter::Height); // counted once
    VXRefresh::setVX_footer(list, nullptr);
    EXPECT_FALSE(VXRefresh::VX_footer(list));
    EXPECT_EQ(list->contentInset().bottom, 0);

    auto header = installHeader();
    EXPECT_EQ(list->subviews().front(), header);
    driver::pullDown(list, 90);
    driver::release(list);
    ASSERT_TRUE(header->isRefreshing());
    VXRefresh::setVX_header(list, nullptr);
    EXPECT_EQ(list->contentInset().top, 0);
    EXPECT_FALSE(header->scrollView());
    // A detached control hears the list no more.
    driver::pullDown(list, 90);
    driver::release(list);
    EXPECT_EQ(headerCalls, 1);

    VXRefresh::setVX_header(nullptr, header); // nothing to attach to
    EXPECT_FALSE(VXRefresh::VX_header(nullptr));
}

TEST_F(RefreshTest, AnOlderRefreshShowsItsDateInsteadOfToday) {
    auto header = installHeader();
    driver::pullDown(list, 90);
    driver::release(list);
    header->endRefreshing();
    drainMain();
    ASSERT_EQ(header->lastUpdatedTimeLabel()->text()->rfind("上次刷新：今天 ", 0), 0u);

    // Thirty days later it is the same day of the month, but not today.
    ns::Clock::setManual(true, vx::test::ManualWallStart + 30 * 86400.0);
    driver::pullDown(list, 90);
    ASSERT_EQ(header->state(), VXRefreshStatePulling);
    std::string shown = header->lastUpdatedTimeLabel()->text().value_or("");
    EXPECT_EQ(shown.rfind("上次刷新：11-", 0), 0u) << shown;
}

} // namespace
