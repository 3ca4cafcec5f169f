#pragma once
// A VIP level row (nib "VXWelfareVipCell", 44 pt): the level and the top-up in labels tagged 10
// and 11; the heading row has its own look.

#include "os/uikit/TableViewCell.h"

class VXWelfareVipCell : public ui::TableViewCell {
public:
    bool isFirst() const { return isFirst_; }
    void setIsFirst(bool first);
    const ns::Value& dic() const { return dic_; }
    void setDic(const ns::Value& dic);
    void layoutSubviews() override;

    static void registerInterfaceFile();

private:
    bool isFirst_ = false;
    ns::Value dic_;
};
