#include "platform_sdk/user_center/VXSuWelfareVC.h"

#include "os/uikit/NavigationController.h"
#include "platform_sdk/user_center/VXActivityVC.h"
#include "platform_sdk/user_center/VXGiftVC.h"
#include "platform_sdk/user_center/VXServerVC.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "platform_sdk/user_center/VXWelfareVC.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"
#include "widgets/UIView+Extension.h"

#include <algorithm>
#include <cmath>

void VXSuWelfareVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    _initUI();
}

void VXSuWelfareVC::_initUI() {
    navigationItem()->setTitle("福利");
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::withCustomView(backBtn()));
    view()->setBackgroundColor(XTExtention::colorWithHexString("#F9F9F9"));
    view()->addSubview(topView());
    addVcs();
    // Last: making the pages shows page 0, which needs the children.
    view()->addSubview(scrollView());
}

void VXSuWelfareVC::addVcs() {
    addChildViewController(VXUserCentre::instantiate<ui::ViewController>("VXWelfareVC"));
    addChildViewController(ui::ViewController::create<VXActivityVC>());
    addChildViewController(VXUserCentre::instantiate<ui::ViewController>("VXGiftVC"));
    addChildViewController(VXUserCentre::instantiate<ui::ViewController>("VXServerVC"));
}

const ui::ButtonRef& VXSuWelfareVC::backBtn() {
    if (!backBtn_) {
        backBtn_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
        backBtn_->setFrame({{0, 0}, {25, 25}});
        backBtn_->setImage(VXColor::sdkImageNamed("VX_nav_back.png"), ui::ControlStateNormal);
        backBtn_->addTarget(ref<VXSuWelfareVC>(), &VXSuWelfareVC::goBack, ui::ControlEventTouchUpInside);
    }
    return backBtn_;
}

void VXSuWelfareVC::goBack() { VXUserCentre::close(navigationController()); }

const ui::ViewRef& VXSuWelfareVC::topView() {
    if (!topView_) {
        double w = view()->bounds().size.width;
        topView_ = ui::View::create(cg::Rect{{32, VXUserCentre::isNotch() ? 109.0 : 85.0}, {w - 64, 36}});
        Extension::setCenterX(topView_, w / 2);
        topView_->setBackgroundColor(ui::Color::whiteColor());
        topView_->layer()->setBorderWidth(1);
        topView_->layer()->setBorderColor(XTExtention::colorWithHexString("6137E7")->cgColor());
        topView_->layer()->setCornerRadius(18);
        topView_->setClipsToBounds(true);
        double bw = topView_->bounds().size.width / 4;
        const char* titles[] = {"福利", "活动", "礼包", "开服"};
        for (int i = 0; i < 4; ++i) {
            auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
            button->setTag(10 + i);
            button->setFrame({{i * bw, 0}, {bw, 36}});
            button->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
            button->setTitle(std::string(titles[i]), ui::ControlStateNormal);
            button->setTitleColor(XTExtention::colorWithHexString("#333333"), ui::ControlStateNormal);
            button->setTitleColor(ui::Color::whiteColor(), ui::ControlStateSelected);
            button->setBackgroundImage(VXColor::imageWithColor(ui::Color::whiteColor()), ui::ControlStateNormal);
            button->setBackgroundImage(VXColor::imageWithColor(XTExtention::colorWithHexString("6137E7")),
                                       ui::ControlStateSelected);
            button->addTarget(ref<VXSuWelfareVC>(), &VXSuWelfareVC::doBtnClick, ui::ControlEventTouchUpInside);
            topView_->addSubview(button);
            if (i == 0) {
                button->setSelected(true);
                nowBtn_ = button;
            }
        }
    }
    return topView_;
}

const ui::ScrollViewRef& VXSuWelfareVC::scrollView() {
    if (!scrollView_) {
        cg::Rect bounds = view()->bounds();
        double top = Extension::bottom(topView()) + 21;
        double allowance = VXUserCentre::isNotch() ? 83 : 49;
        scrollView_ = ui::View::create<ui::ScrollView>(
            cg::Rect{{0, top}, {bounds.size.width, bounds.size.height - top - allowance}});
        scrollView_->setContentSize({bounds.size.width * 4, 0});
        scrollView_->setShowsHorizontalScrollIndicator(false);
        scrollView_->setBackgroundColor(ui::Color::clearColor());
        scrollView_->setPagingEnabled(true);
        scrollView_->setBounces(false);
        scrollView_->setDelegate(ns::Weak<ui::ScrollViewDelegate>(ref<VXSuWelfareVC>()));
        didEndScrollingAnimation(scrollView_);
    }
    return scrollView_;
}

void VXSuWelfareVC::doBtnClick(const ui::ButtonRef& button) {
    auto current = nowBtn_.lock();
    if (!button || button == current) return;
    button->setSelected(true);
    if (current) current->setSelected(false);
    nowBtn_ = button;
    const auto& scroll = scrollView();
    scroll->setContentOffset({(button->tag() - 10) * scroll->bounds().size.width, scroll->contentOffset().y}, true);
}

void VXSuWelfareVC::didEndScrollingAnimation(const ui::ScrollViewRef& scroll) {
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

void VXSuWelfareVC::didEndDecelerating(const ui::ScrollViewRef& scroll) {
    didEndScrollingAnimation(scroll);
    if (!scroll || !(scroll->bounds().size.width > 0)) return;
    long index = static_cast<long>(std::trunc(scroll->contentOffset().x / scroll->bounds().size.width));
    doBtnClick(std::dynamic_pointer_cast<ui::Button>(topView()->viewWithTag(index + 10)));
}
