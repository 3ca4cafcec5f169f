#include "platform_sdk/user_center/VXSuOrderCell.h"

#include "image/UIImageView+VXExtension.h"
#include "os/foundation/Format.h"
#include "widgets/UIView+Extension.h"

void VXSuOrderCell::setModel(const VXSuOrderModelRef& model) {
    model_ = model;
    if (!model) return;
    VXExtension::setGameIconWithUrlStr(iconView.lock(), model->pic1, "vx_tab_gamePlace.png");
    if (auto l = nameL.lock()) l->setText(model->gamename);
    if (auto l = showL.lock())
        l->setText(ns::format("%@ %@ %@人在玩", model->welfare, model->gamesize, model->downloadnum));
    for (long i = 0; i < 3; ++i) {
        auto label = std::dynamic_pointer_cast<ui::Label>(viewWithTag(10 + i));
        if (!label) continue;
        bool shown = static_cast<size_t>(i) < model->fuli.size();
        label->setHidden(!shown);
        label->setText(shown ? ns::format(" %@ ", model->fuli[i]) : std::string());
    }
    auto tag = tagL.lock();
    if (!tag) return;
    std::string discount = model->box_discount.value_or("");
    if (discount.empty()) {
        tag->setHidden(true);
        tag->setText(std::string());
        return;
    }
    tag->setHidden(false);
    tag->setText(ns::format("  %@  ", discount));
    // The mask takes the bounds of this moment: size the label first.
    tag->sizeToFit();
    Extension::setCornerRadius(tag, 7, 6);
}
