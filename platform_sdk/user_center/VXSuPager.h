#pragma once
// The pieces the user centre's tabbed pagers ("福利", "攻略") share: a rounded switch of buttons
// (tagged 10, 11, …) over a paging scroll view whose pages are child view controllers, each
// page's view made the first time it is shown.

#include "os/uikit/Button.h"
#include "os/uikit/ScrollView.h"
#include "os/uikit/ViewController.h"

#include <initializer_list>
#include <vector>

namespace VXSuPager {

// Styles `bar` as the switch and fills it with one button per title, the first selected.
std::vector<ui::ButtonRef> fillSwitch(const ui::ViewRef& bar, std::initializer_list<const char*> titles);

// The paging scroll view under `bar`, `pages` screens wide, above the tab bar.
ui::ScrollViewRef makePages(const ui::ViewRef& view, const ui::ViewRef& bar, int pages);

// Selects `button` in place of `now`; false when there is nothing to change.
bool select(ns::Weak<ui::Button>& now, const ui::ButtonRef& button);

// Scrolls (animated) to the page of switch button `button`.
void turnTo(const ui::ScrollViewRef& scroll, const ui::ButtonRef& button);

// Adds the page under the scroll view's offset, once.
void showPage(ui::ViewController& owner, const ui::ScrollViewRef& scroll);

// The switch button of the page the scroll view rests on; null when the pager is unsized.
ui::ButtonRef restingButton(const ui::ViewRef& bar, const ui::ScrollViewRef& scroll);

}  // namespace VXSuPager
