#pragma once
// What the comment cell and the thread page's head share: filling the views from a comment, the
// like request, and the page explaining user titles. The reply cell uses the badge steps only.

#include "os/uikit/Button.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/LayoutConstraint.h"
#include "os/uikit/ViewController.h"
#include "platform_sdk/user_center/VXPingModel.h"

#include <functional>

namespace VXPingShow {

// The outlets of a comment view (any may be missing).
struct Views {
    ui::ImageViewRef iconView;
    ui::LabelRef nameL, timeL, showL, numberL;
    ui::ImageViewRef goodIcon;
    ui::ButtonRef goodBtn;
    ui::ViewRef goldView;
    ui::LabelRef goldL;
    ui::ImageViewRef goldPicView, vipPic, payPic;
    ui::LayoutConstraintRef payPicLeft;
};

// Avatar, name, time, text, like count and icon, title badge with reward, VIP and paid badges.
void showModel(const Views& views, const VXPingModelRef& model);
// The VIP badge, then the paid badge placed after it.
void showBadges(const Views& views, const VXPingModelRef& model);
// The like state only: count, icon and the button (enabled until liked).
void showLike(const Views& views, const VXPingModelRef& model);

// Likes the comment. On success the model itself is updated (isgood 1, good + 1) and `liked` runs
// with it, so the caller can refresh whatever still shows that very model. Other replies and
// failures change nothing and show nothing.
void like(const VXPingModelRef& model, std::function<void(const VXPingModelRef& model)> liked);

// Pushes the page explaining user titles on the controller's navigation controller.
void goToTitlePage(const ns::Ref<ui::ViewController>& controller);

} // namespace VXPingShow
