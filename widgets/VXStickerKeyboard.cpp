#include "widgets/VXStickerKeyboard.h"

#include "os/uikit/Screen.h"
#include "widgets/UIColor+XTExtention.h"

VXStickerKeyboardRef VXStickerKeyboard::keyboard() {
    double width = ui::Screen::mainScreen().bounds().size.width;
    return ui::View::create<VXStickerKeyboard>(cg::RectMake(0, 0, width, Height));
}

void VXStickerKeyboard::initWithFrame(cg::Rect frame) {
    ui::View::initWithFrame(frame);
    setBackgroundColor(ui::Color::colorWithWhite(0.96, 1));
    pager_ = ui::View::create<ui::ScrollView>();
    pager_->setPagingEnabled(true);
    pager_->setShowsHorizontalScrollIndicator(false);
    addSubview(pager_);

    VXStickerKeyboardRef self = ref<VXStickerKeyboard>();
    ns::Weak<VXStickerKeyboard> weak = self;
    const auto& all = VXSticker::all();
    for (size_t first = 0; first < all.size(); first += VXStickerPageView::StickersPerPage) {
        size_t last = std::min(all.size(), first + VXStickerPageView::StickersPerPage);
        auto page = ui::View::create<VXStickerPageView>();
        page->setStickers(std::vector<VXSticker>(all.begin() + static_cast<long>(first), all.begin() + static_cast<long>(last)));
        page->onSelect = [weak](const VXSticker& sticker) {
            auto keyboard = weak.lock();
            if (!keyboard) return;
            if (auto d = keyboard->delegate_.lock()) d->stickerKeyboardDidSelectSticker(keyboard, sticker);
        };
        page->onDelete = [weak] {
            auto keyboard = weak.lock();
            if (!keyboard) return;
            if (auto d = keyboard->delegate_.lock()) d->stickerKeyboardDidClickDelete(keyboard);
        };
        pager_->addSubview(page);
        pages_.push_back(page);
    }

    sendButton_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
    sendButton_->setTitle("发送", ui::ControlStateNormal);
    sendButton_->setTitleColor(ui::Color::whiteColor(), ui::ControlStateNormal);
    sendButton_->titleLabel()->setFont(ui::Font::systemFontOfSize(15));
    sendButton_->setBackgroundColor(XTExtention::colorWithHexString("#6137E7"));
    sendButton_->addAction([weak](ui::Control&) {
        auto keyboard = weak.lock();
        if (!keyboard) return;
        if (auto d = keyboard->delegate_.lock()) d->stickerKeyboardDidClickSend(keyboard);
    }, ui::ControlEventTouchUpInside);
    addSubview(sendButton_);
}

void VXStickerKeyboard::layoutSubviews() {
    cg::Rect b = bounds();
    double pagerHeight = b.size.height - SendBarHeight;
    pager_->setFrame(cg::RectMake(0, 0, b.size.width, pagerHeight));
    for (size_t i = 0; i < pages_.size(); ++i)
        pages_[i]->setFrame(cg::RectMake(static_cast<double>(i) * b.size.width, 8, b.size.width, pagerHeight - 16));
    pager_->setContentSize({static_cast<double>(pages_.size()) * b.size.width, pagerHeight});
    sendButton_->setFrame(cg::RectMake(b.size.width - 70, pagerHeight, 70, SendBarHeight));
}
