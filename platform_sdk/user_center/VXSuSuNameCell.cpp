#include "platform_sdk/user_center/VXSuSuNameCell.h"

#include "os/foundation/Format.h"
#include "os/foundation/Value.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

void VXSuSuNameCell::awakeFromNib() {
    ui::TableViewCell::awakeFromNib();
    if (auto bg = bgView.lock()) {
        bg->layer()->setBorderWidth(1);
        bg->layer()->setBorderColor(XTExtention::colorWithHexString("#6137E7")->cgColor());
    }
    if (auto b = btn.lock()) {
        auto arrow = VXColor::sdkImageNamed("vx_login_subArrow.png");
        if (arrow)
            b->setImage(ui::Image::imageWithCGImage(arrow->CGImage(), arrow->scale(), ui::ImageOrientation::Right),
                        ui::ControlStateSelected);
    }
}

void VXSuSuNameCell::setModel(const VXSuSubNameModelRef& model) {
    model_ = model;
    if (!model) return;
    if (auto l = nameL.lock()) l->setText(model->nickname);
    if (auto l = lastL.lock()) l->setHidden(!ns::Value(model->lasttime).boolValue());
    if (auto l = roleL.lock()) l->setText(ns::format("角色名：%@", model->rolename));
    if (auto l = levelL.lock()) l->setText(ns::format("等级：%@", model->rolelevel));
    if (auto l = serverL.lock()) l->setText(ns::format("区服：%@", model->zonename));
    setBtnIsShow(model->isShow);
}

void VXSuSuNameCell::doBtnClick(const ui::ButtonRef& sender) {
    bool show = !sender->isSelected();
    sender->setSelected(show);
    setBtnIsShow(show);
    if (model_) model_->isShow = show;
    if (doRefreshBlock) doRefreshBlock(indexPath);
}

void VXSuSuNameCell::setBtnIsShow(bool show) {
    if (auto b = btn.lock()) b->setSelected(show);
    if (auto c = btnBottom.lock()) c->setConstant(show ? 40 : 10);
    if (auto t = titlesView.lock()) t->setHidden(!show);
}

void VXSuSuNameCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    // The card follows the row's height; the button keeps its distance from the card's bottom.
    cg::Rect content = contentView()->bounds();
    auto bg = bgView.lock();
    if (!bg) return;
    bg->setFrame({{15, 6}, {content.size.width - 30, content.size.height - 12}});
    if (auto b = btn.lock(); b && btnBottom.lock()) {
        cg::Rect f = b->frame();
        f.origin.x = bg->bounds().size.width - f.size.width - 10;
        f.origin.y = bg->bounds().size.height - btnBottom.lock()->constant() - f.size.height;
        b->setFrame(f);
    }
    if (auto t = titlesView.lock()) {
        cg::Rect f = t->frame();
        f.size.width = bg->bounds().size.width - 30;
        t->setFrame(f);
    }
}
