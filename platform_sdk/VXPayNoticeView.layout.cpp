// Nib "VXPayNoticeView": a white card with the status line and two buttons.
#include "os/uikit/Color.h"
#include "os/uikit/Nib.h"
#include "platform_sdk/VXPayNoticeView.h"

void registerVXPayNoticeViewNib() {
    ui::NibRegistry::add("VOZUV", "VXPayNoticeView", [](const ns::Ref<ns::Object>&) {
        auto card = ui::View::create<VXPayNoticeView>(cg::RectMake(0, 0, 280, 170));
        card->setBackgroundColor(ui::Color::whiteColor());

        auto title = ui::View::create<ui::Label>(cg::RectMake(0, 18, 280, 22));
        title->setText("支付结果");
        title->setFont(ui::Font::systemFontOfSize(14));
        title->setTextColor(ui::Color::colorWithRed(0.55, 0.55, 0.55, 1));
        title->setTextAlignment(ui::TextAlignment::Center);
        card->addSubview(title);

        auto status = ui::View::create<ui::Label>(cg::RectMake(10, 48, 260, 40));
        status->setFont(ui::Font::boldSystemFontOfSize(22));
        status->setTextColor(ui::Color::colorWithRed(0.2, 0.2, 0.2, 1));
        status->setTextAlignment(ui::TextAlignment::Center);
        card->addSubview(status);
        card->statusL = status;

        auto line = ui::View::create(cg::RectMake(0, 119, 280, 1));
        line->setBackgroundColor(ui::Color::colorWithRed(0.9, 0.9, 0.9, 1));
        card->addSubview(line);

        auto back = ui::Button::buttonWithType(ui::ButtonType::Custom);
        back->setFrame(cg::RectMake(0, 120, 140, 50));
        back->setTitle("返回游戏", ui::ControlStateNormal);
        back->setTitleColor(ui::Color::colorWithRed(0.4, 0.4, 0.4, 1), ui::ControlStateNormal);
        back->addTarget(card, &VXPayNoticeView::doCancel, ui::ControlEventTouchUpInside);
        card->addSubview(back);

        auto go = ui::Button::buttonWithType(ui::ButtonType::Custom);
        go->setFrame(cg::RectMake(140, 120, 140, 50));
        go->setTitle("打开游戏盒子", ui::ControlStateNormal);
        go->setTitleColor(ui::Color::whiteColor(), ui::ControlStateNormal);
        go->setBackgroundColor(ui::Color::colorWithRed(48 / 255.0, 146 / 255.0, 246 / 255.0, 1));
        go->addTarget(card, &VXPayNoticeView::doGo, ui::ControlEventTouchUpInside);
        card->addSubview(go);
        return ui::NibObjects{card};
    });
}
