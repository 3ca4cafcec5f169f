#include "UIKitTestSupport.h"

#include "os/uikit/Label.h"

using namespace uitest;

namespace {

// Records its hooks and touches.
class HookView : public ui::View {
public:
    Log log;
    std::string name;
    void note(const std::string& what) {
        if (log) log->push_back(name + "." + what);
    }
    void willMoveToSuperview(const ui::ViewRef& s) override { note(s ? "willMoveToSuperview" : "willLeaveSuperview"); }
    void didMoveToSuperview() override { note("didMoveToSuperview"); }
    void willMoveToWindow(const ui::WindowRef& w) override { note(w ? "willMoveToWindow" : "willLeaveWindow"); }
    void didMoveToWindow() override { note("didMoveToWindow"); }
    void layoutSubviews() override { note("layoutSubviews"); }
};

class TouchController : public LoggingController {
public:
    void touchesBegan(const ui::TouchSet& touches, const ui::EventRef&) override {
        cg::Point p = touches.front()->locationInView(view());
        note("touchesBegan " + ns::numtext::shortest(p.x) + "," + ns::numtext::shortest(p.y));
    }
};

class ViewTest : public UIKitTest {};

TEST_F(ViewTest, HitTestingSkipsHiddenDisabledAndTransparentViewsAndCoversBlock) {
    auto root = ui::ViewController::create();
    auto window = showWindow(root);
    auto base = ui::View::create(cg::RectMake(0, 0, 200, 200));
    root->view()->addSubview(base);
    auto target = ui::View::create(cg::RectMake(50, 50, 100, 100));
    base->addSubview(target);
    cg::Point p{100, 100};
    EXPECT_EQ(window->hitTest(p, nullptr), target);

    auto label = ui::View::create<ui::Label>(cg::RectMake(0, 0, 200, 200));
    base->addSubview(label);
    EXPECT_EQ(window->hitTest(p, nullptr), target) << "labels take no touches by default";

    auto cover = ui::View::create(cg::RectMake(0, 0, 200, 200));
    base->addSubview(cover);
    EXPECT_EQ(window->hitTest(p, nullptr), cover) << "a cover blocks the views below it";
    cover->setAlpha(0.009);
    EXPECT_EQ(window->hitTest(p, nullptr), target);
    cover->setAlpha(1);
    cover->setHidden(true); // a cover without touches: DriverTest
    EXPECT_EQ(window->hitTest(p, nullptr), target);

    // A subview outside its superview's bounds is not hit, clipping or not.
    auto outside = ui::View::create(cg::RectMake(180, 180, 50, 50));
    target->addSubview(outside);
    EXPECT_EQ(window->hitTest({240, 240}, nullptr), root->view());
}

TEST_F(ViewTest, UnhandledTouchesClimbTheResponderChainToTheController) {
    auto page = controller<TouchController>("page", log);
    auto window = showWindow(page);
    take(log);
    auto panel = ui::View::create(cg::RectMake(20, 40, 100, 100));
    auto inner = ui::View::create(cg::RectMake(10, 10, 20, 20));
    panel->addSubview(inner);
    page->view()->addSubview(panel);
    EXPECT_EQ(inner->nextResponder(), panel);
    EXPECT_EQ(page->view()->nextResponder(), page);
    EXPECT_EQ(page->nextResponder(), window);

    auto touch = window->beginTouch({35, 55});
    ASSERT_TRUE(touch);
    EXPECT_EQ(touch->view(), inner);
    EXPECT_EQ(touch->locationInView(inner).x, 5);
    EXPECT_EQ(take(log), "page.touchesBegan 35,55");
}

TEST_F(ViewTest, ConversionFollowsFramesBoundsOriginsAndTransforms) {
    auto root = ui::ViewController::create();
    auto window = showWindow(root);
    auto outer = ui::View::create(cg::RectMake(10, 20, 100, 100));
    outer->setBounds(cg::RectMake(0, 30, 100, 100)); // scrolled down 30
    auto inner = ui::View::create(cg::RectMake(5, 40, 10, 10));
    outer->addSubview(inner);
    root->view()->addSubview(outer);
    cg::Point p = inner->convertPointToView({0, 0}, nullptr);
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.y, 30);
    cg::Point back = inner->convertPointFromView(p, window.get());
    EXPECT_EQ(back.x, 0);
    EXPECT_EQ(back.y, 0);

    outer->setTransform(cg::AffineTransformMakeTranslation(0, -600));
    EXPECT_EQ(outer->frame().origin.y, -580);
    EXPECT_EQ(inner->convertPointToView({0, 0}, nullptr).y, -570);
}

TEST_F(ViewTest, HierarchyHooksTagsOrderAndLayout) {
    auto page = controller("page", log);
    auto window = showWindow(page);
    auto root = page->view();
    auto view = ns::make<HookView>();
    view->initWithFrame(cg::RectMake(0, 0, 10, 10));
    view->name = "v";
    view->log = log;
    view->setTag(12);
    take(log);
    root->addSubview(view);
    EXPECT_EQ(take(log), "v.willMoveToSuperview v.willMoveToWindow v.didMoveToWindow v.didMoveToSuperview");
    EXPECT_EQ(window->viewWithTag(12), view);
    EXPECT_EQ(view->viewWithTag(12), view) << "the view itself counts";

    auto other = ui::View::create();
    root->addSubview(other);
    root->addSubview(view); // again: to the front, no hooks
    EXPECT_EQ(root->subviews().back(), view);
    EXPECT_EQ(root->layer()->sublayers().back(), view->layer());
    EXPECT_EQ(take(log), "");

    // Layout runs on the next main turn, or at once when asked.
    drainMain();
    take(log);
    page->logLayout = true;
    view->setNeedsLayout();
    EXPECT_EQ(take(log), "");
    drainMain();
    EXPECT_EQ(take(log), "v.layoutSubviews");
    root->setNeedsLayout();
    root->layoutIfNeeded();
    EXPECT_EQ(take(log), "page.willLayout page.didLayout");
    view->setFrame(cg::RectMake(0, 0, 20, 10));
    view->layoutIfNeeded();
    EXPECT_EQ(take(log), "v.layoutSubviews") << "a size change marks the view";
    view->layoutIfNeeded();
    EXPECT_EQ(take(log), "");

    view->removeFromSuperview();
    EXPECT_EQ(take(log), "v.willLeaveSuperview v.willLeaveWindow v.didMoveToWindow v.didMoveToSuperview");
    EXPECT_EQ(view->window(), nullptr);
}

TEST_F(ViewTest, SizeToFitUsesTheTextSize) {
    auto label = ui::View::create<ui::Label>(cg::RectMake(5, 6, 0, 0));
    label->setFont(ui::Font::systemFontOfSize(16));
    label->setText("防沉迷提示");
    label->sizeToFit();
    EXPECT_EQ(label->frame().origin.x, 5);
    EXPECT_GT(label->frame().size.width, 60);
    EXPECT_EQ(label->frame().size.height, label->font()->lineHeight());

    label->setNumberOfLines(0);
    cg::Size two = label->sizeThatFits({label->frame().size.width * 0.7, 0});
    EXPECT_EQ(two.height, 2 * label->font()->lineHeight());
}

} // namespace
