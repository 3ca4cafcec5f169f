#pragma once
// A row of both booking lists (nib "VXSuOrderCell", 90 pt): icon, name, a detail line, up to three
// welfare tags (view tags 10-12) and a discount tag with two rounded corners.

#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/TableViewCell.h"
#include "platform_sdk/user_center/VXSuOrderModel.h"

class VXSuOrderCell : public ui::TableViewCell {
public:
    static void registerInterfaceFile();

    ns::Weak<ui::ImageView> iconView;
    ns::Weak<ui::Label> nameL, showL, tagL;

    const VXSuOrderModelRef& model() const { return model_; }
    void setModel(const VXSuOrderModelRef& model);

private:
    VXSuOrderModelRef model_;
};
