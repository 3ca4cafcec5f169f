#pragma once
// A gift pack row (nib "VXGiftCell", 120 pt): its name and, unclaimed, the excerpt, the expiry
// date and "领取"; claimed, the gift code, its note and "复制".

#include "os/uikit/Button.h"
#include "os/uikit/Label.h"
#include "os/uikit/TableViewCell.h"

#include <functional>

class VXGiftCell : public ui::TableViewCell {
public:
    ui::LabelRef nameL, showL, timeL;
    ui::ButtonRef btn;

    const ns::Value& dic() const { return dic_; }
    void setDic(const ns::Value& dic);
    // Set by the list: loads the current kind again.
    std::function<void()> doRefrsh;

    // Copies the code of a claimed pack, claims an unclaimed one.
    void doBtnClick();
    void layoutSubviews() override;

    static void registerInterfaceFile();

private:
    ns::Value dic_;
};
