#pragma once
// A strategy article row (nib "VXStrategyCell", 243 pt): a card with the picture, the title and
// the publication date.

#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/TableViewCell.h"

class VXStrategyCell : public ui::TableViewCell {
public:
    ui::ViewRef bgView;
    ui::LabelRef nameL;
    ui::LabelRef timeL;
    ui::ImageViewRef picView;

    const ns::Value& dic() const { return dic_; }
    virtual void setDic(const ns::Value& dic);
    void layoutSubviews() override;

    static void registerInterfaceFile();
    // The picture spans the card's top: its top corners follow the card's (radius 10), which does
    // not clip since it casts a shadow. The mask is made again only when the picture's size changes.
    static void roundPictureTop(const ui::ImageViewRef& picture);

protected:
    ns::Value dic_;
};
