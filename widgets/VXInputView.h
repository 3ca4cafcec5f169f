#pragma once
// The comment bar at the bottom of the comment screens: a growing text view, a key that swaps the
// system keyboard for the sticker keyboard, and a send key. While its text is being edited the
// bar sits on top of the keyboard, and goes back to where it was when the keyboard leaves.
//
// Stickers are attachment characters in the text; plainText() gives the comment with each one
// replaced by its text form. Sending (the send key, the return key, the sticker keyboard's send
// key) only tells the delegate; the bar checks nothing.

#include "os/foundation/NotificationCenter.h"
#include "os/uikit/Button.h"
#include "os/uikit/TextView.h"
#include "widgets/VXSticker.h"
#include "widgets/VXStickerKeyboard.h"

#include <string>
#include <vector>

class VXInputView;
using VXInputViewRef = ns::Ref<VXInputView>;

// Optional hooks.
class VXInputViewDelegate {
public:
    virtual ~VXInputViewDelegate() = default;
    virtual void inputViewDidClickSendButton(const VXInputViewRef& /*inputView*/) {}
};

class VXInputView : public ui::View, private ui::TextViewDelegate, private VXStickerKeyboardDelegate {
public:
    static constexpr double CollapsedHeight = 44;
    static constexpr double FontSize = 16;
    // The text grows the bar up to this many lines.
    static constexpr int MaximumLines = 4;

    void initWithFrame(cg::Rect frame) override;
    ~VXInputView() override;

    ns::Weak<VXInputViewDelegate> delegate() const { return delegate_; }
    void setDelegate(ns::Weak<VXInputViewDelegate> delegate) { delegate_ = std::move(delegate); }

    // The bar's height for its current text: 44 for empty text or one line, more for more lines
    // (at most MaximumLines). Measured at the bar's width, or the screen's before it has one.
    double heightThatFits() const;
    // The text with every sticker turned back into its text form.
    std::string plainText() const;
    // Empties the text (font back to the system font of size 16), resizes the bar and ends
    // editing when it was editing.
    void clearText();

    // --- Parts ---
    const ui::TextViewRef& textView() const { return textView_; }
    const ui::ButtonRef& sendButton() const { return sendButton_; }
    const ui::ButtonRef& stickerButton() const { return stickerButton_; }
    const VXStickerKeyboardRef& stickerKeyboard() const { return stickerKeyboard_; }
    // Whether the sticker keyboard stands in for the system keyboard.
    bool isShowingStickers() const { return textView_->inputView() == stickerKeyboard_; }

    void layoutSubviews() override;

private:
    struct PlacedSticker {
        VXSticker sticker;
        ui::TextAttachmentRef attachment;
    };

    // TextViewDelegate
    bool shouldChangeText(const ui::TextViewRef& view, ns::Range range, const std::string& replacement) override;
    void didChange(const ui::TextViewRef& view) override;
    void didEndEditing(const ui::TextViewRef& view) override;
    // VXStickerKeyboardDelegate
    void stickerKeyboardDidSelectSticker(const VXStickerKeyboardRef& keyboard, const VXSticker& sticker) override;
    void stickerKeyboardDidClickDelete(const VXStickerKeyboardRef& keyboard) override;
    void stickerKeyboardDidClickSend(const VXStickerKeyboardRef& keyboard) override;

    void toggleStickerKeyboard();
    void insertSticker(const VXSticker& sticker);
    void send();
    // Puts the stickers' pictures back on their characters (typing drops attributes).
    void restoreAttachments();
    // Height to heightThatFits, keeping the bottom edge where it is.
    void updateHeight();
    double textWidth() const;
    void keyboardWillChangeFrame(const ns::Notification& notification);

    ns::Weak<VXInputViewDelegate> delegate_;
    ui::TextViewRef textView_;
    ui::ButtonRef stickerButton_;
    ui::ButtonRef sendButton_;
    ui::ViewRef topLine_;
    VXStickerKeyboardRef stickerKeyboard_;
    // One entry per attachment character of the text, in order.
    std::vector<PlacedSticker> stickers_;
    const VXSticker* inserting_ = nullptr;
    // Where the bar's bottom edge was before the keyboard raised it.
    bool raised_ = false;
    double restingBottom_ = 0;
};
