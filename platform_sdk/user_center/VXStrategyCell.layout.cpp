// Nib "VXStrategyCell": a white card 15 pt from the sides, the picture across its top, then the
// title and the date.
#include "os/uikit/Color.h"
#include "platform_sdk/user_center/VXStrategyCell.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"

namespace {

class StrategyCard : public ui::View {
public:
    ui::ImageViewRef pic;
    ui::LabelRef name, time;
    void layoutSubviews() override {
        double w = bounds().size.width;
        pic->setFrame({{0, 0}, {w, 160}});
        VXStrategyCell::roundPictureTop(pic);
        name->setFrame({{12, 170}, {w - 24, 22}});
        time->setFrame({{12, 198}, {w - 24, 18}});
    }
};

} // namespace

void VXStrategyCell::registerInterfaceFile() {
    VXUserCentreInterfaces::addNib("VXStrategyCell", [](const ns::Ref<ns::Object>&) -> ui::NibObjects {
        auto cell = ui::View::create<VXStrategyCell>(cg::Rect{{0, 0}, {375, 243}});
        cell->setReuseIdentifier("VXStrategyCell");
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
        cell->setBackgroundColor(ui::Color::clearColor());
        auto card = ui::View::create<StrategyCard>(cg::Rect{{15, 8}, {345, 227}});
        card->setBackgroundColor(ui::Color::whiteColor());
        card->layer()->setCornerRadius(8);
        auto pic = ui::View::create<ui::ImageView>();
        pic->setContentMode(ui::ContentMode::ScaleAspectFill);
        pic->setClipsToBounds(true);
        pic->setBackgroundColor(ui::Color::colorWithWhite(0.94, 1));
        auto name = ui::View::create<ui::Label>();
        name->setFont(ui::Font::systemFontOfSize(16, ui::FontWeight::Medium));
        name->setTextColor(ui::Color::colorWithWhite(0.2, 1));
        auto time = ui::View::create<ui::Label>();
        time->setFont(ui::Font::systemFontOfSize(13));
        time->setTextColor(ui::Color::colorWithWhite(0.6, 1));
        card->pic = pic, card->name = name, card->time = time;
        card->addSubview(pic), card->addSubview(name), card->addSubview(time);
        cell->contentView()->addSubview(card);
        cell->bgView = card, cell->picView = pic, cell->nameL = name, cell->timeL = time;
        return {cell};
    });
}
