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

protected:
    ns::Value dic_;
};
