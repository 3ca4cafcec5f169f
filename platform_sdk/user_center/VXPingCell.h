#pragma once
// A comment row: a card with the author's avatar, name and badges, the text, the time, a like button
// with its count, and a reward ribbon for titled authors. Nib "VXPingCell"; sizes itself to the text.

#include "os/uikit/Button.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/LayoutConstraint.h"
#include "os/uikit/TableViewCell.h"
#include "os/uikit/ViewController.h"
#include "platform_sdk/user_center/VXPingModel.h"

class VXPingCell;
using VXPingCellRef = ns::Ref<VXPingCell>;

class VXPingCell : public ui::TableViewCell {
public:
    // Registers the nib "VXPingCell" of the SDK bundle; safe to call again.
    static void registerInterfaceFile();

    ns::Weak<ui::View> bgView;
    ns::Weak<ui::ImageView> iconView;
    ns::Weak<ui::Label> nameL, timeL, showL;
    ns::Weak<ui::Button> goodBtn;
    ns::Weak<ui::Label> numberL;
    ns::Weak<ui::ImageView> goodIcon;
    ns::Weak<ui::View> goldView;
    ns::Weak<ui::Label> goldL;
    ns::Weak<ui::ImageView> goldPicView, vipPic, payPic;
    ns::Weak<ui::LayoutConstraint> payPicLeft;

    const VXPingModelRef& model() const { return model_; }
    void setModel(const VXPingModelRef& model);
    ns::Weak<ui::ViewController> myVC;

    void awakeFromNib() override;
    void layoutSubviews() override;
    cg::Size sizeThatFits(cg::Size size) const override;
    void doGoodBtnClick();
    void goToWebVc();

private:
    VXPingModelRef model_;
};
