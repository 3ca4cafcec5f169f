// The toast: its box, placement, fade on the clock and removal, and the overlay window lookup.

#include "os/uikit/Application.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/CXRWindowManager.h"
#include "tests/platform_sdk/PlatformFixture.h"

namespace {

namespace driver = ui::driver;

class ToastTest : public vx::test::SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        ui::Application::shared().reset();
        ui::Screen::mainScreen().reset();
        window = vx::test::showKeyWindow();
        host = ui::View::create(cg::RectMake(0, 0, 300, 400));
        window->addSubview(host);
    }
    void TearDown() override {
        ui::Application::shared().reset();
        SandboxTest::TearDown();
    }
    ui::WindowRef window;
    ui::ViewRef host;
};

TEST_F(ToastTest, BoxSitsCentredTwoThirdsDownAndFadesAway) {
    CXRMessage::showMessage("请输入姓名", host);
    ASSERT_EQ(host->subviews().size(), 1u);
    auto box = host->subviews()[0];
    auto label = driver::find<ui::Label>(box);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "请输入姓名");
    EXPECT_TRUE(label->textColor()->isEqual(*ui::Color::whiteColor()));
    EXPECT_EQ(label->font()->pointSize(), 16);
    EXPECT_TRUE(box->backgroundColor()->isEqual(*ui::Color::colorWithRed(0, 0, 0, 1)));
    EXPECT_EQ(box->layer()->cornerRadius(), 5);
    EXPECT_TRUE(box->clipsToBounds());

    cg::Size l = label->frame().size;
    EXPECT_EQ(label->frame().origin, (cg::Point{10, 10}));
    EXPECT_EQ(box->frame(), cg::RectMake((300 - l.width - 20) * 0.5, 2 * (400 - l.height - 20) / 3, l.width + 20, l.height + 20));

    // 0.3 s delay, then 2.0 s of fading; removed when the fade ends.
    EXPECT_EQ(box->alpha(), 0); // the model value is the end value at once
    advance(2.29);
    EXPECT_EQ(box->superview(), host);
    advance(0.02);
    EXPECT_TRUE(host->subviews().empty());
}

TEST_F(ToastTest, LongTextWrapsInsideTheSuperview) {
    std::string text(60, 'W');
    ASSERT_GT(CXRMessage::getWidthWithText(text, 20, 16), 260);
    CXRMessage::showMessage(text, host);
    auto box = host->subviews().at(0);
    auto label = driver::find<ui::Label>(box);
    EXPECT_EQ(label->numberOfLines(), 0);
    EXPECT_LE(label->frame().size.width, 260);
    EXPECT_GT(label->frame().size.height, 2 * ui::Font::boldSystemFontOfSize(16)->lineHeight() - 1);
    EXPECT_EQ(box->frame().size.width, label->frame().size.width + 20);
    EXPECT_EQ(box->frame().size.height, label->frame().size.height + 20);
}

TEST_F(ToastTest, ToastsInQuickSuccessionStackAndFadeOnTheirOwn) {
    CXRMessage::showMessage("金额格式异常", host);
    advance(1);
    CXRMessage::showMessage("金额格式异常", host);
    ASSERT_EQ(host->subviews().size(), 2u);
    auto first = host->subviews()[0], second = host->subviews()[1];
    EXPECT_EQ(first->frame(), second->frame());
    advance(1.31);
    ASSERT_EQ(host->subviews().size(), 1u);
    EXPECT_EQ(host->subviews()[0], second);
    advance(1);
    EXPECT_TRUE(host->subviews().empty());
}

TEST_F(ToastTest, NilShowsNothingAndEmptyShowsAnEmptyBox) {
    CXRMessage::showMessage(std::nullopt, host);
    EXPECT_TRUE(host->subviews().empty());
    CXRMessage::showMessage("", host);
    ASSERT_EQ(host->subviews().size(), 1u);
    EXPECT_EQ(host->subviews()[0]->frame().size.width, 20);
    CXRMessage::showMessage("lost", nullptr); // no superview: nothing to show on
}

TEST_F(ToastTest, MeasuresTextOnOneLine) {
    double none = CXRMessage::getWidthWithText("无", 20, 13);
    EXPECT_GT(none, 0);
    EXPECT_EQ(CXRMessage::getWidthWithText(std::nullopt, 20, 13), none);
    EXPECT_EQ(CXRMessage::getWidthWithText("", 20, 0), none);
    EXPECT_EQ(CXRMessage::getWidthWithText("无", -5, -1), none);
    EXPECT_GT(CXRMessage::getWidthWithText("无无", 20, 13), none);
}

TEST_F(ToastTest, TopWindowIsTheFrontmostFullScreenOpaqueWindow) {
    EXPECT_EQ(CXRWindowManager::topWindow(), window);
    EXPECT_TRUE(logContains("keyWindow = "));
    CXRMessage::showMessage("已复制");
    EXPECT_EQ(window->subviews().back()->subviews().size(), 1u); // the box on the window

    // A key window that is not full screen gives way to the frontmost one that is.
    auto front = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
    front->setHidden(false);
    auto small = ui::View::create<ui::Window>(cg::RectMake(0, 0, 100, 100));
    small->makeKeyAndVisible();
    EXPECT_EQ(CXRWindowManager::topWindow(), front);
    front->setOpaque(false);
    EXPECT_EQ(CXRWindowManager::topWindow(), window);
    window->setHidden(true);
    EXPECT_EQ(CXRWindowManager::topWindow(), small); // none qualifies: the key window
}

} // namespace
