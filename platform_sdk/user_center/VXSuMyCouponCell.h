#pragma once
// One of the player's own coupons: amount and minimum on the stub, game, rule and expiry on the body;
// coloured while usable, grey otherwise. Nib "VXSuMyCouponCell", 100 pt.

#include "os/uikit/Image.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/TableViewCell.h"
#include "platform_sdk/user_center/VXSuCouponModel.h"

class VXSuMyCouponCell : public ui::TableViewCell {
public:
    static void registerInterfaceFile();

    ns::Weak<ui::ImageView> bgPic;
    ns::Weak<ui::Label> moneyL, manL, showL, nameL, timeL;

    const VXSuCouponModelRef& model() const { return model_; }
    void setModel(const VXSuCouponModelRef& model);
    // "1": usable (the coloured ticket); anything else the grey one.
    const std::optional<std::string>& status() const { return status_; }
    void setStatus(const std::optional<std::string>& status);

    void awakeFromNib() override;
    void layoutSubviews() override;

private:
    VXSuCouponModelRef model_;
    std::optional<std::string> status_;
    ui::ImageRef image0_, image1_;
};
