// Lists at their edges: when the load-more footer starts, and the dropdown's separators.
#include "WidgetTestSupport.h"

#include "os/uikit/Button.h"
#include "os/uikit/Driver.h"
#include "widgets/UIScrollView+VXRefresh.h"
#include "widgets/VXDropdownMenu.h"
#include "widgets/VXRefreshAutoNormalFooter.h"

using namespace widgettest;
namespace driver = ui::driver;

namespace {

class ListEdgesTest : public WidgetTest {
protected:
    ui::ScrollViewRef list(double contentHeight) {
        auto l = ui::View::create<ui::ScrollView>(cg::RectMake(0, 64, 375, 600));
        l->setContentSize({375, contentHeight});
        rootView()->addSubview(l);
        VXRefresh::setVX_footer(l, VXRefreshAutoNormalFooter::footerWithRefreshingBlock([this] { ++loads; }));
        return l;
    }
    int loads = 0;
};

TEST_F(ListEdgesTest, AShortListLoadsMoreOnlyWhenPushedUp) {
    // Distance of the drag (negative pushes the content up), then whether it loads on release.
    const std::pair<double, bool> drags[] = {{30, false}, {0, false}, {-0.5, true}, {-2, true}, {-30, true}};
    for (const auto& [distance, loadsMore] : drags) {
        loads = 0;
        auto l = list(200);
        driver::pullDown(l, distance);
        EXPECT_EQ(loads, 0) << distance << ": not while the finger is down";
        driver::release(l);
        EXPECT_EQ(loads, loadsMore ? 1 : 0) << distance;
        l->removeFromSuperview();
    }
}

TEST_F(ListEdgesTest, ALongListLoadsMoreAsTheFingerReachesTheEnd) {
    auto l = list(1000);
    double toEnd = l->maximumContentOffset().y - l->contentOffset().y;
    driver::pullDown(l, -(toEnd - 20));
    drainMain();
    EXPECT_EQ(loads, 0);
    driver::pullDown(l, -20);
    drainMain();
    EXPECT_EQ(loads, 1) << "before the finger lifts";
    driver::release(l);
    EXPECT_EQ(loads, 1);
}

TEST_F(ListEdgesTest, DropdownSeparatesItsOptionsButNotBelowTheLast) {
    class Options : public VXDropdownMenuDataSource, public VXDropdownMenuDelegate {
    public:
        long count = 0;
        long numberOfOptionsInDropdownMenu(const VXDropdownMenuRef&) override { return count; }
        double heightForOptionAtIndex(const VXDropdownMenuRef&, long) override { return 30; }
        std::string titleForOptionAtIndex(const VXDropdownMenuRef&, long i) override { return std::to_string(i); }
    };
    auto options = std::make_shared<Options>();
    auto menu = ui::View::create<VXDropdownMenu>(cg::RectMake(0, 200, 100, 30));
    menu->setDataSource(options);
    menu->setDelegate(options);
    rootView()->addSubview(menu);
    drainMain();
    for (long count : {1L, 2L, 4L}) {
        options->count = count;
        driver::tap(menu->titleButton());
        ASSERT_TRUE(menu->isShowingOptions()) << count;
        std::vector<double> lines; // the bottoms of the separators
        for (const auto& v : menu->optionsView()->subviews())
            if (!std::dynamic_pointer_cast<ui::Button>(v)) lines.push_back(cg::RectGetMaxY(v->frame()));
        std::vector<double> expected;
        for (long i = 1; i < count; ++i) expected.push_back(30.0 * static_cast<double>(i));
        EXPECT_EQ(lines, expected) << count;
        EXPECT_EQ(menu->optionsView()->frame().size.height, 30.0 * static_cast<double>(count));
        driver::tap(menu->titleButton());
        EXPECT_FALSE(menu->isShowingOptions());
    }
}

} // namespace
