#pragma once
// An activity row (nib "VXActivityCell"): a card with the picture, a coloured tag, the title
// (wrapping) and the date; its height follows the title.

#include "platform_sdk/user_center/VXStrategyCell.h"

class VXActivityCell : public VXStrategyCell {
public:
    ui::LabelRef tagL;

    void setDic(const ns::Value& dic) override;
    void layoutSubviews() override;
    cg::Size sizeThatFits(cg::Size size) const override;

    static void registerInterfaceFile();

private:
    // Places the card's views for the width; answers the card's height.
    double place(double width) const;
};
