#pragma once
// A row of the message centre (nib "VXUserMsgCell", 82 pt): icon, title, time, summary and the
// unread dot.

#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/TableViewCell.h"
#include "platform_sdk/user_center/VXUserMsgModel.h"

class VXUserMsgCell : public ui::TableViewCell {
public:
    static void registerInterfaceFile();

    ns::Weak<ui::ImageView> iconView;
    ns::Weak<ui::Label> nameL, timeL, showL;
    ns::Weak<ui::View> pointView;

    const VXUserMsgModelRef& model() const { return model_; }
    void setModel(const VXUserMsgModelRef& model);

private:
    VXUserMsgModelRef model_;
};
