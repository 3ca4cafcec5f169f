#include "WidgetTestSupport.h"

#include "os/foundation/Format.h"
#include "os/uikit/Driver.h"
#include "widgets/VXCountDownButton.h"
#include "widgets/VXDropdownMenu.h"
#include "widgets/VXProgressHUD.h"

using namespace widgettest;
namespace driver = ui::driver;

namespace {

class ControlsTest : public WidgetTest {
protected:
    VXCountDownButtonRef codeButton() {
        auto button = ui::View::create<VXCountDownButton>(cg::RectMake(200, 300, 100, 30));
        button->setTitle("获取验证码", ui::ControlStateNormal);
        rootView()->addSubview(button);
        return button;
    }
    static std::string title(const ui::ButtonRef& button) {
        return button->titleForState(ui::ControlStateNormal).value_or("(nil)");
    }
};

TEST_F(ControlsTest, CountdownTitlesEachSecondThenOffersToAskAgain) {
    auto button = codeButton();
    button->startWithSecond(3);
    EXPECT_TRUE(button->isCounting());
    EXPECT_EQ(title(button), "获取验证码"); // the caller titles the start
    advance(0.999);
    EXPECT_EQ(title(button), "获取验证码");
    advance(0.001);
    EXPECT_EQ(title(button), "2秒");
    EXPECT_EQ(button->second(), 2);
    advance(1);
    EXPECT_EQ(title(button), "1秒");
    advance(1);
    EXPECT_EQ(title(button), "重新获取");
    EXPECT_FALSE(button->isCounting());
    EXPECT_EQ(button->second(), 3);
    // The timer is gone: nothing changes the title any more.
    button->setTitle("获取验证码", ui::ControlStateNormal);
    advance(5);
    EXPECT_EQ(title(button), "获取验证码");
}

TEST_F(ControlsTest, CountdownUsesTheCallersBlocksAndKeepsCountingOffScreen) {
    auto button = codeButton();
    std::vector<std::string> seen;
    button->setEnabled(false);
    button->didChange([&](const VXCountDownButtonRef& b, int seconds) {
        seen.push_back(ns::format("%d", seconds));
        return ns::format("剩余%d秒", seconds);
    });
    button->didFinished([](const VXCountDownButtonRef& b, int total) {
        b->setEnabled(true);
        return std::string("重新获取");
    });
    button->startWithSecond(30);
    advance(1);
    EXPECT_EQ(title(button), "剩余29秒");
    button->removeFromSuperview(); // the panel went off screen
    advance(27);
    EXPECT_EQ(title(button), "剩余2秒");
    advance(2);
    EXPECT_EQ(title(button), "重新获取");
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(seen.size(), 29u);
    EXPECT_EQ(seen.back(), "1");
}

TEST_F(ControlsTest, CountdownRestartReplacesTheRunningTimer) {
    auto button = codeButton();
    button->startWithSecond(10);
    advance(3);
    button->startWithSecond(5);
    advance(1);
    EXPECT_EQ(title(button), "4秒"); // one tick a second, not two
    advance(4);
    EXPECT_EQ(title(button), "重新获取");
    EXPECT_EQ(button->totalSecond(), 5);
}

TEST_F(ControlsTest, CountdownOfZeroFinishesAtTheFirstTick) {
    auto button = codeButton();
    button->startWithSecond(0);
    advance(1);
    EXPECT_EQ(title(button), "重新获取");
    EXPECT_FALSE(button->isCounting());
}

TEST_F(ControlsTest, CountdownStopsWhenTheButtonGoesAway) {
    ns::Weak<VXCountDownButton> weak;
    {
        auto button = codeButton();
        button->startWithSecond(5);
        button->removeFromSuperview();
        weak = button;
    }
    EXPECT_TRUE(weak.expired());
    advance(6); // no tick reaches a dead button
}

TEST_F(ControlsTest, HideFindsTheTopmostUnfinishedHUD) {
    auto card = ui::View::create(cg::RectMake(37, 150, 300, 310));
    rootView()->addSubview(card);
    auto login = ui::Button::buttonWithType(ui::ButtonType::Custom);
    login->setFrame(cg::RectMake(20, 240, 260, 44));
    card->addSubview(login);

    EXPECT_FALSE(VXProgressHUD::hideHUDForView(card, true));
    auto first = VXProgressHUD::showHUDAddedTo(card, true);
    auto second = VXProgressHUD::showHUDAddedTo(card, true);
    EXPECT_EQ(first->frame(), card->bounds());
    EXPECT_TRUE(first->indicator()->isAnimating());
    EXPECT_FALSE(driver::canTap(login)); // the HUD covers the card

    EXPECT_TRUE(VXProgressHUD::hideHUDForView(card, true));
    EXPECT_TRUE(second->hasFinished());
    EXPECT_FALSE(first->hasFinished());
    EXPECT_EQ(second->superview(), card); // fading out
    EXPECT_EQ(VXProgressHUD::HUDForView(card), first);

    EXPECT_TRUE(VXProgressHUD::hideHUDForView(card, false));
    EXPECT_FALSE(first->superview()); // gone at once
    EXPECT_FALSE(VXProgressHUD::hideHUDForView(card, true));

    advance(VXProgressHUD::AnimationDuration);
    EXPECT_FALSE(second->superview());
    EXPECT_TRUE(driver::canTap(login));
    EXPECT_FALSE(VXProgressHUD::showHUDAddedTo(nullptr, true));
    EXPECT_FALSE(VXProgressHUD::hideHUDForView(nullptr, true));
}

class Sorting : public VXDropdownMenuDataSource, public VXDropdownMenuDelegate {
public:
    std::vector<std::string> options{"按时间", "按热度"};
    std::vector<std::string> chosen;
    long numberOfOptionsInDropdownMenu(const VXDropdownMenuRef&) override { return static_cast<long>(options.size()); }
    double heightForOptionAtIndex(const VXDropdownMenuRef&, long) override { return 30; }
    std::string titleForOptionAtIndex(const VXDropdownMenuRef&, long index) override {
        return options[static_cast<size_t>(index)];
    }
    void didSelectOptionAtIndex(const VXDropdownMenuRef& menu, long index, const std::string& title) override {
        chosen.push_back(std::to_string(index) + ":" + title + ":" + menu->title());
    }
};

TEST_F(ControlsTest, DropdownChoosingAnOptionRetitlesTellsAndCloses) {
    auto sorting = std::make_shared<Sorting>();
    auto bar = ui::View::create(cg::RectMake(0, 100, 375, 30));
    bar->setClipsToBounds(true);
    rootView()->addSubview(bar);
    auto menu = ui::View::create<VXDropdownMenu>(cg::RectMake(375 - 96, 0, 80, 30));
    menu->setDataSource(sorting);
    menu->setDelegate(sorting);
    menu->setTitle("按热度");
    menu->setTitleAlignment(ui::TextAlignment::Left);
    menu->setTitleEdgeInsets({0, 15, 0, 0});
    bar->addSubview(menu);
    drainMain();

    driver::tap(menu->titleButton());
    ASSERT_TRUE(menu->isShowingOptions());
    EXPECT_EQ(menu->optionsView()->superview(), window); // outside the bar, which clips
    EXPECT_EQ(menu->optionsView()->frame(), cg::RectMake(375 - 96, 130, 80, 60));
    ASSERT_EQ(menu->optionButtons().size(), 2u);
    driver::tap(menu->optionButtons()[0]);
    EXPECT_EQ(menu->title(), "按时间");
    EXPECT_EQ(sorting->chosen, std::vector<std::string>{"0:按时间:按时间"});
    EXPECT_FALSE(menu->isShowingOptions());

    driver::tap(menu->titleButton());
    driver::tap(menu->titleButton()); // a second tap closes it
    EXPECT_FALSE(menu->isShowingOptions());
    driver::tap(menu->titleButton());
    menu->setHidden(true); // the screen hides the menu
    EXPECT_FALSE(menu->isShowingOptions());
    EXPECT_EQ(sorting->chosen.size(), 1u);
}

TEST_F(ControlsTest, DropdownWithoutTheOptionalHookStillRetitles) {
    class Plain : public VXDropdownMenuDataSource, public VXDropdownMenuDelegate {
    public:
        long numberOfOptionsInDropdownMenu(const VXDropdownMenuRef&) override { return 3; }
        double heightForOptionAtIndex(const VXDropdownMenuRef&, long) override { return 30; }
        std::string titleForOptionAtIndex(const VXDropdownMenuRef&, long i) override {
            return std::vector<std::string>{"后台代充", "金币兑换", "渠道代充"}[static_cast<size_t>(i)];
        }
    };
    auto plain = std::make_shared<Plain>();
    auto menu = ui::View::create<VXDropdownMenu>(cg::RectMake(0, 200, 100, 30));
    menu->setDataSource(plain);
    menu->setDelegate(plain);
    rootView()->addSubview(menu);
    drainMain(); // the layout pass
    driver::tap(menu->titleButton());
    driver::tap(menu->optionButtons()[2]);
    EXPECT_EQ(menu->title(), "渠道代充");
}

} // namespace
