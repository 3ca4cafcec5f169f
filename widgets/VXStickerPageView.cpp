#include "widgets/VXStickerPageView.h"

namespace {

constexpr double StickerSize = 32;

} // namespace

void VXStickerPageView::initWithFrame(cg::Rect frame) {
    ui::View::initWithFrame(frame);
    deleteButton_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
    deleteButton_->setTitle("删除", ui::ControlStateNormal);
    deleteButton_->setTitleColor(ui::Color::darkGrayColor(), ui::ControlStateNormal);
    deleteButton_->titleLabel()->setFont(ui::Font::systemFontOfSize(13));
    ns::Weak<VXStickerPageView> weak = ref<VXStickerPageView>();
    deleteButton_->addAction([weak](ui::Control&) {
        if (auto self = weak.lock(); self && self->onDelete) self->onDelete();
    }, ui::ControlEventTouchUpInside);
    addSubview(deleteButton_);
}

void VXStickerPageView::setStickers(std::vector<VXSticker> stickers) {
    if (stickers.size() > static_cast<size_t>(StickersPerPage)) stickers.resize(StickersPerPage);
    for (const auto& button : buttons_) button->removeFromSuperview();
    buttons_.clear();
    stickers_ = std::move(stickers);
    ns::Weak<VXStickerPageView> weak = ref<VXStickerPageView>();
    for (size_t i = 0; i < stickers_.size(); ++i) {
        auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
        if (auto image = stickers_[i].image()) {
            button->setImage(image, ui::ControlStateNormal);
        } else {
            // Without its picture a sticker still works, shown by its text form.
            button->setTitle(stickers_[i].text, ui::ControlStateNormal);
            button->setTitleColor(ui::Color::darkGrayColor(), ui::ControlStateNormal);
            button->titleLabel()->setFont(ui::Font::systemFontOfSize(10));
        }
        button->setTag(static_cast<long>(i));
        button->addAction([weak, i](ui::Control&) {
            auto self = weak.lock();
            if (self && self->onSelect && i < self->stickers_.size()) self->onSelect(self->stickers_[i]);
        }, ui::ControlEventTouchUpInside);
        addSubview(button);
        buttons_.push_back(button);
    }
    setNeedsLayout();
}

void VXStickerPageView::layoutSubviews() {
    cg::Rect b = bounds();
    double cellWidth = b.size.width / Columns, cellHeight = b.size.height / Rows;
    auto cell = [&](int index) {
        int row = index / Columns, column = index % Columns;
        double size = std::min({StickerSize, cellWidth, cellHeight});
        return cg::RectMake(column * cellWidth + (cellWidth - size) / 2, row * cellHeight + (cellHeight - size) / 2, size,
                            size);
    };
    for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setFrame(cell(static_cast<int>(i)));
    deleteButton_->setFrame(cell(Rows * Columns - 1));
}
