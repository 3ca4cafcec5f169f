#include "platform_sdk/user_center/VXSuPager.h"

#include "platform_sdk/user_center/VXUserCentre.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"
#include "widgets/UIView+Extension.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace VXSuPager {

std::vector<ui::ButtonRef> fillSwitch(const ui::ViewRef& bar, std::initializer_list<const char*> titles) {
    bar->setBackgroundColor(ui::Color::whiteColor());
    bar->layer()->setBorderWidth(1);
    bar->layer()->setBorderColor(XTExtention::colorWithHexString("6137E7")->cgColor());
    bar->layer()->setCornerRadius(18);
    bar->setClipsToBounds(true);
    double bw = bar->bounds().size.width / static_cast<double>(titles.size());
    std::vector<ui::ButtonRef> buttons;
    int i = 0;
    for (const char* title : titles) {
        auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
        button->setTag(10 + i);
        button->setFrame({{i * bw, 0}, {bw, 36}});
        button->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
        button->setTitleColor(XTExtention::colorWithHexString("#333333"), ui::ControlStateNormal);
        button->setTitleColor(ui::Color::whiteColor(), ui::ControlStateSelected);
        button->setTitle(std::string(title), ui::ControlStateNormal);
        button->setBackgroundImage(VXColor::imageWithColor(ui::Color::whiteColor()), ui::ControlStateNormal);
        button->setBackgroundImage(VXColor::imageWithColor(XTExtention::colorWithHexString("6137E7")),
                                   ui::ControlStateSelected);
        bar->addSubview(button);
        if (i == 0) button->setSelected(true);
        buttons.push_back(button);
        ++i;
    }
    return buttons;
}

ui::ScrollViewRef makePages(const ui::ViewRef& view, const ui::ViewRef& bar, int pages) {
    cg::Rect bounds = view->bounds();
    double top = Extension::bottom(bar) + 21;
    double allowance = VXUserCentre::isNotch() ? 83 : 49;
    auto scroll = ui::View::create<ui::ScrollView>(
        cg::Rect{{0, top}, {bounds.size.width, bounds.size.height - top - allowance}});
    scroll->setContentSize({bounds.size.width * pages, 0});
    scroll->setShowsHorizontalScrollIndicator(false);
    scroll->setBackgroundColor(ui::Color::clearColor());
    scroll->setPagingEnabled(true);
    scroll->setBounces(false);
    return scroll;
}

bool select(ns::Weak<ui::Button>& now, const ui::ButtonRef& button) {
    auto current = now.lock();
    if (!button || button == current) return false;
    button->setSelected(true);
    if (current) current->setSelected(false);
    now = button;
    return true;
}

void turnTo(const ui::ScrollViewRef& scroll, const ui::ButtonRef& button) {
    scroll->setContentOffset({(button->tag() - 10) * scroll->bounds().size.width, scroll->contentOffset().y}, true);
}

void showPage(ui::ViewController& owner, const ui::ScrollViewRef& scroll) {
    if (!scroll) return;
    cg::Size size = scroll->bounds().size;
    const auto& children = owner.childViewControllers();
    // An unsized pager has no page to show.
    if (!(size.width > 0) || children.empty()) return;
    double x = scroll->contentOffset().x;
    long index = std::clamp(static_cast<long>(std::trunc(x / size.width)), 0L, static_cast<long>(children.size()) - 1);
    auto child = children[index];
    if (child->isViewLoaded()) return;
    auto page = child->view();
    page->setFrame({{x, 0}, size});
    scroll->addSubview(page);
}

ui::ButtonRef restingButton(const ui::ViewRef& bar, const ui::ScrollViewRef& scroll) {
    if (!scroll || !(scroll->bounds().size.width > 0)) return nullptr;
    long index = static_cast<long>(std::trunc(scroll->contentOffset().x / scroll->bounds().size.width));
    return std::dynamic_pointer_cast<ui::Button>(bar->viewWithTag(index + 10));
}

}  // namespace VXSuPager
