// Nib "VXActivityCell": a white card with the picture across its top, then the tag and the date on
// one line and the title below, wrapping; the card's height follows the title.
#include "os/uikit/Color.h"
#include "platform_sdk/user_center/VXActivityCell.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"

#include <cmath>

namespace {
constexpr double PictureHeight = 150;
}

double VXActivityCell::place(double width) const {
    double cardWidth = std::max(0.0, width - 30);
    double inner = std::max(0.0, cardWidth - 24);
    double y = PictureHeight + 12;
    if (picView) picView->setFrame({{0, 0}, {cardWidth, PictureHeight}});
    double tagWidth = 0;
    if (tagL) {
        tagWidth = tagL->text() && !tagL->text()->empty() ? std::ceil(tagL->sizeThatFits({inner, 20}).width) + 12 : 0;
        tagL->setFrame({{12, y}, {tagWidth, 20}});
    }
    if (timeL) timeL->setFrame({{12 + tagWidth + (tagWidth > 0 ? 8 : 0), y}, {inner - tagWidth - 8, 20}});
    y += 28;
    double nameHeight = nameL ? std::ceil(nameL->sizeThatFits({inner, 1e6}).height) : 0;
    if (nameL) nameL->setFrame({{12, y}, {inner, nameHeight}});
    y += nameHeight + 12;
    if (bgView) bgView->setFrame({{15, 8}, {cardWidth, y}});
    return y;
}

void VXActivityCell::registerInterfaceFile() {
    VXUserCentreInterfaces::addNib("VXActivityCell", [](const ns::Ref<ns::Object>&) -> ui::NibObjects {
        auto cell = ui::View::create<VXActivityCell>(cg::Rect{{0, 0}, {375, 240}});
        cell->setReuseIdentifier("VXActivityCell");
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
        cell->setBackgroundColor(ui::Color::clearColor());
        auto card = ui::View::create<ui::View>();
        card->setBackgroundColor(ui::Color::whiteColor());
        card->layer()->setCornerRadius(8);
        card->setClipsToBounds(true);
        auto pic = ui::View::create<ui::ImageView>();
        pic->setContentMode(ui::ContentMode::ScaleAspectFill);
        pic->setClipsToBounds(true);
        pic->setBackgroundColor(ui::Color::colorWithWhite(0.94, 1));
        auto tag = ui::View::create<ui::Label>();
        tag->setFont(ui::Font::systemFontOfSize(12));
        tag->setTextColor(ui::Color::whiteColor());
        tag->setTextAlignment(ui::TextAlignment::Center);
        tag->layer()->setCornerRadius(4);
        tag->setClipsToBounds(true);
        auto time = ui::View::create<ui::Label>();
        time->setFont(ui::Font::systemFontOfSize(13));
        time->setTextColor(ui::Color::colorWithWhite(0.6, 1));
        auto name = ui::View::create<ui::Label>();
        name->setFont(ui::Font::systemFontOfSize(16, ui::FontWeight::Medium));
        name->setTextColor(ui::Color::colorWithWhite(0.2, 1));
        name->setNumberOfLines(0);
        card->addSubview(pic), card->addSubview(tag), card->addSubview(time), card->addSubview(name);
        cell->contentView()->addSubview(card);
        cell->bgView = card, cell->picView = pic, cell->tagL = tag, cell->timeL = time, cell->nameL = name;
        return {cell};
    });
}
