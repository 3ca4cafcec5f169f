#include "platform_sdk/user_center/VXSuStrategyVC.h"

#include "os/uikit/NavigationController.h"
#include "platform_sdk/user_center/VXPingVC.h"
#include "platform_sdk/user_center/VXStrategyVC.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"
#include "widgets/UIView+Extension.h"

#include <algorithm>
#include <cmath>

void VXSuStrategyVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    _initUI();
}

void VXSuStrategyVC::_initUI() {
    navigationItem()->setTitle("攻略");
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::withCustomView(backBtn()));
    view()->setBackgroundColor(XTExtention::colorWithHexString("#F9F9F9"));
    view()->addSubview(topView());
    addVcs();
    // Last: making the pages shows page 0, which needs the children.
    view()->addSubview(scrollView());
}

void VXSuStrategyVC::addVcs() {
    addChildViewController(ui::ViewController::create<VXStrategyVC>());
    addChildViewController(ui::ViewController::create<VXPingVC>());
}

const ui::ButtonRef& VXSuStrategyVC::backBtn() {
    if (!backBtn_) {
        backBtn_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
        backBtn_->setFrame({{0, 0}, {25, 25}});
        backBtn_->setImage(VXColor::sdkImageNamed("VX_nav_back.png"), ui::ControlStateNormal);
        backBtn_->addTarget(ref<VXSuStrategyVC>(), &VXSuStrategyVC::goBack, ui::ControlEventTouchUpInside);
    }
    return backBtn_;
}

void VXSuStrategyVC::goBack() { VXUserCentre::close(navigationController()); }

const ui::ViewRef& VXSuStrategyVC::topView() {
    if (!topView_) {
        topView_ = ui::View::create(cg::Rect{{0, VXUserCentre::isNotch() ? 109.0 : 85.0}, {240, 36}});
        Extension::setCenterX(topView_, view()->bounds().size.width / 2);
        topView_->setBackgroundColor(ui::Color::whiteColor());
        topView_->layer()->setBorderWidth(1);
        topView_->layer()->setBorderColor(XTExtention::colorWithHexString("6137E7")->cgColor());
        topView_->layer()->setCornerRadius(18);
        topView_->setClipsToBounds(true);
        double bw = topView_->bounds().size.width / 2;
        const char* titles[] = {"攻略", "评论"};
        for (int i = 0; i < 2; ++i) {
            auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
            button->setTag(10 + i);
            button->setFrame({{i * bw, 0}, {bw, 36}});
            button->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
            button->setTitleColor(XTExtention::colorWithHexString("#333333"), ui::ControlStateNormal);
            button->setTitleColor(ui::Color::whiteColor(), ui::ControlStateSelected);
            button->setTitle(std::string(titles[i]), ui::ControlStateNormal);
            button->setBackgroundImage(VXColor::imageWithColor(ui::Color::whiteColor()), ui::ControlStateNormal);
            button->setBackgroundImage(VXColor::imageWithColor(XTExtention::colorWithHexString("6137E7")),
                                       ui::ControlStateSelected);
            button->addTarget(ref<VXSuStrategyVC>(), &VXSuStrategyVC::doBtnClick, ui::ControlEventTouchUpInside);
            topView_->addSubview(button);
            if (i == 0) {
                button->setSelected(true);
                nowBtn_ = button;
            }
        }
    }
    return topView_;
}

const ui::ScrollViewRef& VXSuStrategyVC::scrollView() {
    if (!scrollView_) {
        cg::Rect bounds = view()->bounds();
        double top = Extension::bottom(topView()) + 21;
        double allowance = VXUserCentre::isNotch() ? 83 : 49;
        scrollView_ = ui::View::create<ui::ScrollView>(
            cg::Rect{{0, top}, {bounds.size.width, bounds.size.height - top - allowance}});
        scrollView_->setContentSize({bounds.size.width * 2, 0});
        scrollView_->setShowsHorizontalScrollIndicator(false);
        scrollView_->setBackgroundColor(ui::Color::clearColor());
        scrollView_->setPagingEnabled(true);
        scrollView_->setBounces(false);
        scrollView_->setDelegate(ns::Weak<ui::ScrollViewDelegate>(ref<VXSuStrategyVC>()));
        didEndScrollingAnimation(scrollView_);
    }
    return scrollView_;
}

void VXSuStrategyVC::doBtnClick(const ui::ButtonRef& button) {
    auto current = nowBtn_.lock();
    if (!button || button == current) return;
    button->setSelected(true);
    if (current) current->setSelected(false);
    nowBtn_ = button;
    const auto& scroll = scrollView();
    scroll->setContentOffset({(button->tag() - 10) * scroll->bounds().size.width, scroll->contentOffset().y}, true);
}

void VXSuStrategyVC::didEndScrollingAnimation(const ui::ScrollViewRef& scroll) {
    if (!scroll) return;
    cg::Size size = scroll->bounds().size;
    // An unsized pager has no page to show.
    if (!(size.width > 0) || childViewControllers().empty()) return;
    double x = scroll->contentOffset().x;
    long index = std::clamp(static_cast<long>(std::trunc(x / size.width)), 0L,
                            static_cast<long>(childViewControllers().size()) - 1);
    auto child = childViewControllers()[index];
    if (child->isViewLoaded()) return;
    auto page = child->view();
    page->setFrame({{x, 0}, size});
    scroll->addSubview(page);
}

void VXSuStrategyVC::didEndDecelerating(const ui::ScrollViewRef& scroll) {
    didEndScrollingAnimation(scroll);
    if (!scroll || !(scroll->bounds().size.width > 0)) return;
    long index = static_cast<long>(std::trunc(scroll->contentOffset().x / scroll->bounds().size.width));
    doBtnClick(std::dynamic_pointer_cast<ui::Button>(topView()->viewWithTag(index + 10)));
}
