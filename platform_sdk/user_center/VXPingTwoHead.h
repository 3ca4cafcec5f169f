#pragma once
// The thread page's head: the comment itself, shown and liked as a comment row is, without the card.
// Loaded from the nib "VXPingTwoHead"; its height is the comment's headH (text height + 147.5).

#include "os/uikit/Button.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/LayoutConstraint.h"
#include "os/uikit/ViewController.h"
#include "platform_sdk/user_center/VXPingModel.h"

class VXPingTwoHead;
using VXPingTwoHeadRef = ns::Ref<VXPingTwoHead>;

class VXPingTwoHead : public ui::View {
public:
    static void registerInterfaceFile();
    // A new head from its nib (the caller sets its frame).
    static VXPingTwoHeadRef viewFromXib();

    ns::Weak<ui::ImageView> iconView;
    ns::Weak<ui::Label> nameL, timeL;
    ns::Weak<ui::ImageView> vipPic, payPic;
    ns::Weak<ui::Label> showL, goodL;
    ns::Weak<ui::ImageView> goodPic;
    ns::Weak<ui::View> goldView;
    ns::Weak<ui::Label> goldL;
    ns::Weak<ui::ImageView> goldPic;
    ns::Weak<ui::LayoutConstraint> payPicLeft;
    ns::Weak<ui::Button> goodBtn;

    const VXPingModelRef& model() const { return model_; }
    void setModel(const VXPingModelRef& model);
    ns::Weak<ui::ViewController> myVC;

    void awakeFromNib() override;
    void layoutSubviews() override;
    void doGoodBtnClick();
    void goToWebVc();

private:
    VXPingModelRef model_;
};
