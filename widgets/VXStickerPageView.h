#pragma once
// One page of the sticker keyboard: a grid of sticker buttons (3 rows of 7, the last cell being
// the delete key).

#include "os/uikit/Button.h"
#include "widgets/VXSticker.h"

#include <functional>
#include <vector>

class VXStickerPageView;
using VXStickerPageViewRef = ns::Ref<VXStickerPageView>;

class VXStickerPageView : public ui::View {
public:
    static constexpr int Rows = 3;
    static constexpr int Columns = 7;
    static constexpr int StickersPerPage = Rows * Columns - 1;

    void initWithFrame(cg::Rect frame) override;

    // At most StickersPerPage are shown.
    void setStickers(std::vector<VXSticker> stickers);
    const std::vector<VXSticker>& stickers() const { return stickers_; }

    // Told of taps (the keyboard sets them).
    std::function<void(const VXSticker& sticker)> onSelect;
    std::function<void()> onDelete;

    const std::vector<ui::ButtonRef>& stickerButtons() const { return buttons_; }
    const ui::ButtonRef& deleteButton() const { return deleteButton_; }

    void layoutSubviews() override;

private:
    std::vector<VXSticker> stickers_;
    std::vector<ui::ButtonRef> buttons_;
    ui::ButtonRef deleteButton_;
};
