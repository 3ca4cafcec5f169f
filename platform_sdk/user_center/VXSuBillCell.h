#pragma once
// One line of a statement: what it was, when, and the amount signed by the kind of list.
// Nib "VXSuBillCell", 45 pt.

#include "os/uikit/Label.h"
#include "os/uikit/TableViewCell.h"

class VXSuBillCell : public ui::TableViewCell {
public:
    static void registerInterfaceFile();

    ns::Weak<ui::Label> timeL, numL, extL;

    const ns::Value& dic() const { return dic_; }
    // The row: "time", "remark", "money".
    void setDic(const ns::Value& dic);
    bool isGet() const { return isGet_; }
    // Income ("+") or spending ("-") in front of the row's money.
    void setIsGet(bool isGet);

    void layoutSubviews() override;

private:
    ns::Value dic_;
    bool isGet_ = false;
};
