#pragma once
// A server-opening row (nib "VXServerCell", 44 pt): a tinted dot, the server's name, its opening
// day and hour, and whether it is open.

#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/TableViewCell.h"

class VXServerCell : public ui::TableViewCell {
public:
    ui::LabelRef statusL, timeL, serverL;
    ui::ImageViewRef pointIcon;

    const ns::Value& dic() const { return dic_; }
    void setDic(const ns::Value& dic);
    void awakeFromNib() override;
    void layoutSubviews() override;

    static void registerInterfaceFile();

private:
    ns::Value dic_;
};
