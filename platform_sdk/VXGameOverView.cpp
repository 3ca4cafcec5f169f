#include "platform_sdk/VXGameOverView.h"

#include "os/uikit/Color.h"
#include "os/uikit/Label.h"
#include "os/text/Font.h"

void VXGameOverView::initWithFrame(cg::Rect frame) {
    ui::View::initWithFrame(frame);
    _initUI();
}

void VXGameOverView::_initUI() {
    setBackgroundColor(ui::Color::colorWithWhite(0, 0.2));
    auto card = ui::View::create(cg::RectMake(0, 0, 300, 300));
    card->setCenter({bounds().size.width / 2, bounds().size.height / 2});
    card->setBackgroundColor(ui::Color::whiteColor());
    card->layer()->setCornerRadius(8);
    card->setClipsToBounds(true);
    addSubview(card);

    auto title = ui::View::create<ui::Label>();
    title->setText("防沉迷提示");
    title->setFont(ui::Font::systemFontOfSize(18));
    title->setTextColor(ui::Color::blackColor());
    title->sizeToFit();
    cg::Rect t = title->frame();
    title->setFrame(cg::RectMake(150 - t.size.width / 2, 15, t.size.width, t.size.height));
    card->addSubview(title);

    auto message = ui::View::create<ui::Label>(cg::RectMake(25, 100, 250, 100));
    message->setNumberOfLines(0);
    message->setTextAlignment(ui::TextAlignment::Center);
    message->setFont(ui::Font::systemFontOfSize(16));
    message->setTextColor(ui::Color::redColor());
    message->setText("根据国家规定，未成年玩家每日在线时间受限。您今天的游戏时间已经到达上限。");
    card->addSubview(message);
}
