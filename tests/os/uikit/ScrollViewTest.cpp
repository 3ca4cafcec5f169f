#include "UIKitTestSupport.h"

#include "os/uikit/ScrollView.h"

using namespace uitest;

namespace {

// Writes one word per delegate call, with the offset where it matters.
class ScrollRecorder : public ui::ScrollViewDelegate {
public:
    Log log = makeLog();
    void didScroll(const ui::ScrollViewRef& s) override {
        log->push_back("scroll:" + ns::numtext::shortest(s->contentOffset().x) + "," +
                       ns::numtext::shortest(s->contentOffset().y));
    }
    void willBeginDragging(const ui::ScrollViewRef&) override { log->push_back("beginDrag"); }
    void didEndDragging(const ui::ScrollViewRef&, bool decelerate) override {
        log->push_back(decelerate ? "endDrag:decelerate" : "endDrag");
    }
    void didEndDecelerating(const ui::ScrollViewRef&) override { log->push_back("endDecelerating"); }
    void didEndScrollingAnimation(const ui::ScrollViewRef&) override { log->push_back("endAnimation"); }
};

class ScrollViewTest : public UIKitTest {
protected:
    // A 300 × 200 pager of four pages in a shown window.
    ui::ScrollViewRef makePager() {
        auto root = ui::ViewController::create();
        window = showWindow(root);
        auto pager = ui::View::create<ui::ScrollView>(cg::RectMake(0, 0, 300, 200));
        pager->setContentSize({1200, 200});
        pager->setPagingEnabled(true);
        pager->setDelegate(recorder);
        root->view()->addSubview(pager);
        return pager;
    }

    ui::WindowRef window;
    std::shared_ptr<ScrollRecorder> recorder = std::make_shared<ScrollRecorder>();
};

TEST_F(ScrollViewTest, AnimatedScrollEndsOnTheClockOnlyWhenTheOffsetChanges) {
    auto pager = makePager();

    pager->setContentOffset({0, 0}, true);
    advance(1);
    EXPECT_EQ(take(recorder->log), "") << "scrolling to where it is animates nothing";

    pager->setContentOffset({300, 0}, true);
    EXPECT_EQ(pager->contentOffset().x, 300) << "the model value changes at once";
    EXPECT_EQ(take(recorder->log), "scroll:300,0");
    advance(ui::ScrollView::ScrollAnimationDuration - 0.01);
    EXPECT_EQ(take(recorder->log), "");
    advance(0.01);
    EXPECT_EQ(take(recorder->log), "endAnimation");

    // A second animated scroll takes over the first: one end, for the last one.
    pager->setContentOffset({600, 0}, true);
    advance(0.1);
    pager->setContentOffset({900, 0}, true);
    advance(1);
    EXPECT_EQ(take(recorder->log), "scroll:600,0 scroll:900,0 endAnimation");

    // A plain offset change in between cancels the pending end.
    pager->setContentOffset({0, 0}, true);
    pager->setContentOffset({300, 0});
    advance(1);
    EXPECT_EQ(take(recorder->log), "scroll:0,0 scroll:300,0");
}

TEST_F(ScrollViewTest, SwipeToPageDragsThenDeceleratesOntoThePage) {
    auto pager = makePager();
    ui::driver::swipeToPage(pager, 2);
    EXPECT_EQ(pager->contentOffset().x, 600);
    EXPECT_FALSE(pager->isDragging());
    EXPECT_FALSE(pager->isDecelerating());
    std::string log = take(recorder->log);
    EXPECT_EQ(log.rfind("beginDrag scroll:10,0 ", 0), 0u) << log;
    EXPECT_NE(log.find("endDrag:decelerate scroll:600,0 endDecelerating"), std::string::npos) << log;

    // Swiping to the page already shown springs back and still ends decelerating.
    ui::driver::swipeToPage(pager, 2);
    EXPECT_EQ(pager->contentOffset().x, 600);
    EXPECT_NE(take(recorder->log).find("endDrag:decelerate scroll:600,0 endDecelerating"), std::string::npos);

    pager->setScrollEnabled(false);
    EXPECT_THROW(ui::driver::swipeToPage(pager, 0), ui::driver::Failure);
}

TEST_F(ScrollViewTest, ObserversSeeThePullAndTheReleaseOfAList) {
    auto root = ui::ViewController::create();
    window = showWindow(root);
    auto list = ui::View::create<ui::ScrollView>(cg::RectMake(0, 0, 300, 400));
    list->setContentSize({300, 1000});
    root->view()->addSubview(list);

    // What a pull-to-refresh header watches: the offset while dragging, and the release.
    double deepest = 0;
    std::vector<std::string> seen;
    auto watcher = std::make_shared<ns::Object>();
    list->addObserver(watcher, "contentOffset", [&](const std::string&) {
        if (list->isDragging()) deepest = std::min(deepest, list->contentOffset().y);
        else seen.push_back("rest:" + ns::numtext::shortest(list->contentOffset().y));
    });
    list->addObserver(watcher, "dragging", [&](const std::string&) {
        seen.push_back(list->isDragging() ? "dragging" : "released");
    });

    ui::driver::pullDown(list, 80);
    EXPECT_EQ(deepest, -80);
    EXPECT_TRUE(list->isTracking());
    ui::driver::release(list);
    EXPECT_EQ(list->contentOffset().y, 0) << "the content springs back to the top";
    EXPECT_EQ(seen, (std::vector<std::string>{"dragging", "released", "rest:0"}));

    // With a bottom inset (a footer) the end of the list includes it.
    list->setContentInset({0, 0, 50, 0});
    ui::driver::scrollToEnd(list);
    EXPECT_EQ(list->contentOffset().y, 1000 + 50 - 400);
    EXPECT_EQ(list->maximumContentOffset().y, 650);

    list->scrollRectToVisible(cg::RectMake(0, 100, 10, 10), false);
    EXPECT_EQ(list->contentOffset().y, 100) << "the least scroll that shows the rectangle";
}

} // namespace
