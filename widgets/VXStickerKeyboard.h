#pragma once
// The sticker keyboard of the comment bar, shown in place of the system keyboard: pages of
// stickers side by side in a horizontal pager, and a send key.

#include "os/uikit/Button.h"
#include "os/uikit/ScrollView.h"
#include "widgets/VXStickerPageView.h"

#include <vector>

class VXStickerKeyboard;
using VXStickerKeyboardRef = ns::Ref<VXStickerKeyboard>;

// Optional hooks.
class VXStickerKeyboardDelegate {
public:
    virtual ~VXStickerKeyboardDelegate() = default;
    virtual void stickerKeyboardDidSelectSticker(const VXStickerKeyboardRef& /*keyboard*/, const VXSticker& /*sticker*/) {}
    virtual void stickerKeyboardDidClickDelete(const VXStickerKeyboardRef& /*keyboard*/) {}
    virtual void stickerKeyboardDidClickSend(const VXStickerKeyboardRef& /*keyboard*/) {}
};

class VXStickerKeyboard : public ui::View {
public:
    static constexpr double Height = 216;
    static constexpr double SendBarHeight = 40;

    // The screen's width, Height tall, with every sticker of the set.
    static VXStickerKeyboardRef keyboard();
    void initWithFrame(cg::Rect frame) override;

    ns::Weak<VXStickerKeyboardDelegate> delegate() const { return delegate_; }
    void setDelegate(ns::Weak<VXStickerKeyboardDelegate> delegate) { delegate_ = std::move(delegate); }

    const std::vector<VXStickerPageViewRef>& pages() const { return pages_; }
    const ui::ScrollViewRef& pager() const { return pager_; }
    const ui::ButtonRef& sendButton() const { return sendButton_; }

    void layoutSubviews() override;

private:
    ns::Weak<VXStickerKeyboardDelegate> delegate_;
    ui::ScrollViewRef pager_;
    std::vector<VXStickerPageViewRef> pages_;
    ui::ButtonRef sendButton_;
};
