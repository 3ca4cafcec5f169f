#pragma once
// A coupon on offer in the coupon centre: amount, minimum payment, game and validity on a ticket.
// Nib "VXSuCouponCell", 110 pt.

#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/TableViewCell.h"
#include "platform_sdk/user_center/VXSuCouponModel.h"

class VXSuCouponCell : public ui::TableViewCell {
public:
    static void registerInterfaceFile();

    ns::Weak<ui::Label> moneyL, manL, showL, timeL;
    ns::Weak<ui::ImageView> bgPic;

    const VXSuCouponModelRef& model() const { return model_; }
    void setModel(const VXSuCouponModelRef& model);

    void awakeFromNib() override;
    void layoutSubviews() override;

private:
    VXSuCouponModelRef model_;
};
