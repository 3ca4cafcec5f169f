#include "platform_sdk/user_center/VXWelfareVipCell.h"

#include "os/uikit/Label.h"
#include "widgets/UIColor+XTExtention.h"

namespace {
ui::LabelRef label(ui::TableViewCell& cell, long tag) {
    return std::dynamic_pointer_cast<ui::Label>(cell.contentView()->viewWithTag(tag));
}
} // namespace

void VXWelfareVipCell::setIsFirst(bool first) {
    isFirst_ = first;
    for (long tag : {10L, 11L}) {
        auto l = label(*this, tag);
        if (!l) continue;
        l->setBackgroundColor(XTExtention::colorWithHexString(first ? "#E2EAFD" : "#F2F3F1"));
        l->setTextColor(XTExtention::colorWithHexString(first ? "#4816CA" : "#666666"));
        l->setFont(ui::Font::systemFontOfSize(16, first ? ui::FontWeight::Semibold : ui::FontWeight::Regular));
    }
}

void VXWelfareVipCell::setDic(const ns::Value& dic) {
    dic_ = dic;
    if (auto l = label(*this, 10)) l->setText(dic["item1"].stringValue());
    if (auto l = label(*this, 11)) l->setText(dic["item2"].stringValue());
}
