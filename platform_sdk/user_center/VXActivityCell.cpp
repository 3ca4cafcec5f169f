#include "platform_sdk/user_center/VXActivityCell.h"

#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIView+Extension.h"

#include <cmath>

void VXActivityCell::setDic(const ns::Value& dic) {
    if (tagL) {
        tagL->setText(dic["flag"].stringValue());
        tagL->setBackgroundColor(XTExtention::colorWithHexString(dic["flag_color"].stringValue()));
    }
    VXStrategyCell::setDic(dic);
    setNeedsLayout();
}

void VXActivityCell::layoutSubviews() {
    VXStrategyCell::layoutSubviews();
    place(bounds().size.width);
    roundPictureTop(picView);
}

cg::Size VXActivityCell::sizeThatFits(cg::Size size) const { return {size.width, place(size.width) + 16}; }
