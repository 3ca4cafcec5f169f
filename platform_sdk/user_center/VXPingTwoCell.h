#pragma once
// A reply row of the thread page: avatar, name, VIP and paid badges, text and time; no like and no
// title badge. Nib "VXPingTwoCell"; sizes itself to the text.

#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/LayoutConstraint.h"
#include "os/uikit/TableViewCell.h"
#include "os/uikit/ViewController.h"
#include "platform_sdk/user_center/VXPingModel.h"

class VXPingTwoCell;
using VXPingTwoCellRef = ns::Ref<VXPingTwoCell>;

class VXPingTwoCell : public ui::TableViewCell {
public:
    static void registerInterfaceFile();

    ns::Weak<ui::ImageView> iconView;
    ns::Weak<ui::Label> nameL, timeL, showL;
    ns::Weak<ui::ImageView> vipPic, payPic;
    ns::Weak<ui::LayoutConstraint> payPicLeft;

    const VXPingModelRef& model() const { return model_; }
    void setModel(const VXPingModelRef& model);
    ns::Weak<ui::ViewController> myVC;

    void awakeFromNib() override;
    void layoutSubviews() override;
    cg::Size sizeThatFits(cg::Size size) const override;
    void goToWebVc();

private:
    VXPingModelRef model_;
};
