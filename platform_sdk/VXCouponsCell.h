#pragma once
// One voucher row of the picker (nib "VXCouponsCell"); its button hands the voucher on.

#include "os/uikit/Button.h"
#include "os/uikit/Label.h"
#include "os/uikit/TableViewCell.h"
#include "platform_sdk/VXCouponsModel.h"

#include <functional>

class VXCouponsCell : public ui::TableViewCell {
public:
    using CouponsBlock = std::function<void(const ns::Ref<VXCouponsModel>& model)>;

    ns::Weak<ui::Label> nameL, couponsL, moneyL, timeL, showL;
    ns::Weak<ui::Button> btn;
    ns::Weak<ui::View> bgView;
    CouponsBlock couponsBlock;

    const ns::Ref<VXCouponsModel>& model() const { return model_; }
    // Fills the texts; the button is enabled only for a usable voucher.
    void setModel(ns::Ref<VXCouponsModel> model);
    void awakeFromNib() override;
    // The card follows the width the table gives the row; the button stays at its right end.
    void layoutSubviews() override;
    void btnClick();

private:
    ns::Ref<VXCouponsModel> model_;
};

void registerVXCouponsCellNib();
