#pragma once
// A multi-line, possibly editable text view. Typing goes through the delegate's shouldChangeText
// with UTF-16 ranges (the return key offers "\n" like any text, and inserts it when allowed);
// setting text in code asks no one. An editable view focuses on a tap and shows the keyboard or
// its input view. The content size is the text laid out at the width inside the insets.

#include "os/foundation/AttributedString.h"
#include "os/text/Font.h"
#include "os/uikit/Label.h"
#include "os/uikit/TextInput.h"
#include "os/uikit/View.h"

#include <optional>
#include <string>

namespace ui {

class TextView;
using TextViewRef = ns::Ref<TextView>;

class TextViewDelegate {
public:
    virtual ~TextViewDelegate() = default;
    virtual bool shouldBeginEditing(const TextViewRef& /*view*/) { return true; }
    virtual void didBeginEditing(const TextViewRef& /*view*/) {}
    virtual bool shouldEndEditing(const TextViewRef& /*view*/) { return true; }
    virtual void didEndEditing(const TextViewRef& /*view*/) {}
    virtual bool shouldChangeText(const TextViewRef& /*view*/, ns::Range /*range*/, const std::string& /*replacement*/) {
        return true;
    }
    virtual void didChange(const TextViewRef& /*view*/) {}
};

class TextView : public View {
public:
    void initWithFrame(cg::Rect frame) override;

    const std::string& text() const { return text_; }
    void setText(std::string text);
    // The attributed form (the text in the view's font and colour when set as plain text).
    ns::AttributedString attributedText() const;
    void setAttributedText(const ns::AttributedString& text);
    FontRef font() const { return font_; }
    void setFont(FontRef font) { font_ = font ? std::move(font) : Font::systemFontOfSize(12); }
    ColorRef textColor() const { return textColor_; }
    void setTextColor(ColorRef color) { textColor_ = color ? std::move(color) : Color::blackColor(); }
    TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(TextAlignment alignment) { alignment_ = alignment; }
    bool isEditable() const { return editable_; }
    void setEditable(bool editable);
    bool isSelectable() const { return selectable_; }
    void setSelectable(bool selectable) { selectable_ = selectable; }
    KeyboardType keyboardType() const { return keyboardType_; }
    void setKeyboardType(KeyboardType type) { keyboardType_ = type; }
    ReturnKeyType returnKeyType() const { return returnKeyType_; }
    void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }
    EdgeInsets textContainerInset() const { return inset_; }
    void setTextContainerInset(EdgeInsets inset) { inset_ = inset; }

    ns::Weak<TextViewDelegate> delegate() const { return delegate_; }
    void setDelegate(ns::Weak<TextViewDelegate> delegate) { delegate_ = std::move(delegate); }
    bool isEditing() const { return editing_; }

    void setInputView(ns::Ref<View> view) { inputView_ = std::move(view); } // reloadInputViews applies it
    void setInputAccessoryView(ns::Ref<View> view) { accessoryView_ = std::move(view); }
    ns::Ref<View> inputView() const override { return inputView_; }
    ns::Ref<View> inputAccessoryView() const override { return accessoryView_; }

    // --- Editing ---
    ns::Range selectedRange() const { return selection_; }
    void setSelectedRange(ns::Range range);
    bool replaceCharacters(ns::Range range, const std::string& replacement);
    bool insertText(const std::string& text) { return replaceCharacters(selection_, text); }
    bool deleteBackward();
    // The return key: "\n" typed like any text.
    bool pressReturn() { return insertText("\n"); }

    // Width of the bounds, height of the laid-out text plus the container insets.
    cg::Size contentSize() const;
    cg::Size sizeThatFits(cg::Size size) const override;

    bool canBecomeFirstResponder() const override { return editable_; }
    bool canResignFirstResponder() const override;
    bool becomeFirstResponder() override;
    bool wantsKeyboard() const override { return editable_; }
    void touchesEnded(const TouchSet& touches, const EventRef& event) override;

protected:
    void didBecomeFirstResponder() override;
    void didResignFirstResponder() override;

private:
    cg::Size measure(double width) const;

    std::string text_;
    std::optional<ns::AttributedString> attributed_;
    FontRef font_;
    ColorRef textColor_;
    TextAlignment alignment_ = TextAlignment::Natural;
    bool editable_ = true;
    bool selectable_ = true;
    KeyboardType keyboardType_ = KeyboardType::Default;
    ReturnKeyType returnKeyType_ = ReturnKeyType::Default;
    EdgeInsets inset_{8, 0, 8, 0};
    ns::Weak<TextViewDelegate> delegate_;
    bool editing_ = false;
    ns::Ref<View> inputView_;
    ns::Ref<View> accessoryView_;
    ns::Range selection_{0, 0};
};

} // namespace ui
